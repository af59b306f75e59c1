#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "synth/Synth.h"

// The headless counterparts of the desktop application's commands. Each runs the same core
// operations in the same order as the GUI command it mirrors, so that the files it writes are
// those the GUI writes for the same choices. Failures raise TError with the system's message.

struct TSegmentArgs {
  std::string Input;
  std::string Output;
  bool BlackDots = false;
  std::optional<int32_t> Median;     // median filter with a P x P window, as the Filter dialog
  std::optional<int32_t> Window;     // multi-area window size, default width div 4
  int32_t Adjust = 0;                // added to every window mean
  std::optional<int32_t> Threshold;  // simple segmentation with one threshold instead
  bool Force = false;                // the output may overwrite the input
};

struct TEncodeArgs {
  std::string Input;
  std::string Output;
  bool BlackDots = false;
  std::optional<int32_t> LeastArea;  // none: the Auto estimate, 2 x mean blob area div 3
  int32_t Method = 2;  // origin method: 0 max area, 1 centre index, 2 centre grid, 3 centre image
  int32_t MaxNx = 50;
  int32_t MaxNy = 50;
  float ScaleX = 1.0f;
  float ScaleY = 1.0f;
  std::optional<std::array<float, 2>> Pitch;             // dx, dy: origin from the pitch ratio
  std::optional<int32_t> Origin;                         // origin dot index picked by hand
  std::array<int32_t, 4> Neighbours = {-1, -1, -1, -1};  // right, down, left, up
  std::array<int32_t, 2> OriginGrid = {0, 0};
  std::string Overlay;       // picture of the result: unexpanded dots red, every dot labelled
  int32_t OverlayScale = 1;  // the overlay enlarged N times, so that dense labels stay apart
  bool Force = false;        // an output may overwrite the input
};

// What an encoding run found, for reports.
struct TEncodeSummary {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Dots = 0;
  int32_t Coded = 0;
  int32_t Neted = 0;
  int32_t LeastArea = 0;
};

struct TMatchArgs {
  std::string Initial;
  std::string Deformed;
  std::string Output;
  int32_t Layout = 0;
  bool KeepY = false;
  bool Force = false;  // the output may overwrite an input
};

struct TSynthArgs {
  std::string Initial;
  std::string Deformed;
  std::string Truth;
  TSynthOptions Options;
};

void RunSegment(const TSegmentArgs& args);
TEncodeSummary RunEncode(const TEncodeArgs& args);
// Returns the number of matched pairs.
int32_t RunMatch(const TMatchArgs& args);
void RunSynth(const TSynthArgs& args);
// Writes the demo files into directory and prints the report on standard output.
void RunDemo(const std::string& directory);
