#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "support/Checks.h"

// Code files written by hand for the matching tests.

struct TTestDot {
  int32_t Number;  // the row's own first value
  double X;
  double Y;
  int32_t Nx;
  int32_t Ny;
  int32_t Area = 50;
};

struct TTestCodeFile {
  std::vector<TTestDot> Dots;
  int32_t Width = 640;
  int32_t Height = 480;
  int32_t MaxNx = 50;
  int32_t MaxNy = 50;
  std::string ScaleX = "1.000000";
  std::string ScaleY = "1.000000";
  int32_t Background = 255;
  std::string ImageName = "grid0.bmp";
};

// The file as the encoder writes it: CR LF line ends, the usual column widths.
std::string CodeFileText(const TTestCodeFile& file);

// Lines joined with CR LF, each ended by it.
std::string CrLfLines(const std::vector<std::string>& lines);
