#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "encode/Encoderun.h"
#include "image/Picturedecode.h"
#include "segment/Segmentrun.h"
#include "synth/Synth.h"

// The headless counterparts of the desktop application's commands. Each runs the same core
// stage functions as the GUI command it mirrors, so that the files it writes are those the GUI
// writes for the same choices. Failures raise TError with the system's message. The defaults
// here are the command line's defaults; Subcommands.h declares the options that set them.

struct TSegmentArgs {
  std::string Input;
  std::string Output;
  TSegmentRunOptions Run;
  bool Force = false;                    // the output may overwrite the input
  TBits16 Bits16 = TBits16::Percentile;  // how a 16-bit picture becomes 8-bit
  int32_t Page = 1;                      // of a multi-page TIFF, from 1
};

struct TEncodeArgs {
  std::string Input;
  std::string Output;
  bool BlackDots = false;
  TEncodeRunOptions Run;  // least area Auto, origin method 2
  int32_t MaxNx = 50;
  int32_t MaxNy = 50;
  std::array<float, 2> Scale = {1.0f, 1.0f};  // written into the code file
  std::string Overlay;       // picture of the result: unexpanded dots red, every dot labelled
  int32_t OverlayScale = 1;  // the overlay enlarged N times, so that dense labels stay apart
  bool Force = false;        // an output may overwrite the input
  std::string Reference;     // code file whose indices the picture's dots take
  // The user's motion of the grid since the reference, pixels; none: found.
  std::optional<std::array<float, 2>> Shift;
  std::string Picture;                   // unsegmented picture for refined centroids
  TBits16 Bits16 = TBits16::Percentile;  // how 16-bit pictures (INPUT, Picture) become 8-bit
  int32_t Page = 1;                      // of a multi-page TIFF (INPUT or Picture), from 1
};

struct TMatchArgs {
  std::string Initial;
  std::string Deformed;
  std::string Output;  // none: no displacement file (the CSV only)
  int32_t Layout = 0;
  bool KeepY = false;
  bool Force = false;  // the output may overwrite an input
  bool Align = false;  // shift the deformed indices by a whole-pitch offset the pairs show
  std::string Csv;     // the pairs as CSV, nx,ny,x,y,dx,dy with y up
};

struct TSynthArgs {
  std::string Initial;
  std::string Deformed;
  std::string Truth;
  TSynthOptions Options;
};

// What follows the table's "(%d , %d) not in the range" when the walk left a table of the
// given size: which options make it larger.
std::string TableRangeNote(int32_t maxNx, int32_t maxNy);

void RunSegment(const TSegmentArgs& args);
TEncodeSummary RunEncode(const TEncodeArgs& args);
// Returns the number of matched pairs.
int32_t RunMatch(const TMatchArgs& args);
void RunSynth(const TSynthArgs& args);
// Writes the demo files into directory and prints the report on standard output.
void RunDemo(const std::string& directory);
