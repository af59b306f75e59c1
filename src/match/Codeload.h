#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encode/Coordinate.h"
#include "encode/Dotinfo.h"

// One code file as written: its header, its dots in row order with their positions in pixels
// (the header's scale factors not applied) and the table from grid position to row position.
struct TCodeFileContent {
  int32_t DotSum = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Background = 0;
  float ScaleX = 1;
  float ScaleY = 1;
  std::vector<TDotInfo> Dots;  // Nx, Ny, Area set, Coded and Neted true
  std::unique_ptr<TCoordinate> Table;
  std::string ImageName;
  // What follows the magic word's seven characters in the first word (Codelineage.h).
  std::string Mark;
};

// Reads a code file by the format's reading rules, with the loader's messages: the file cannot be
// opened, is not a code file, a row cannot be read (also a header value, a negative or impossible
// dot count, a position that is not finite once scaled), or a grid position lies outside the
// header's ranges. The matching job loads its two files with it; an encoding run that takes its
// origin from an earlier picture reads that picture's file with it.
TCodeFileContent ReadCodeFile(const std::string& path);
// The same rules on a code file's text held in memory; name stands for the path in messages.
TCodeFileContent ReadCodeFileText(std::string text, const std::string& name);
