#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "encode/Dotinfo.h"
#include "encode/Latticeextract.h"

class TEncode;
class TGrayImage;
class TSurface;

// One encoding run, the same for every shell: PrepareImage, the least area, RemoveNoise,
// BuildDotInfo, the origin, and the walk from it (Encode). What only a shell knows (where to
// draw, how to pause, when to read its fields, what to do when no origin is found) comes in
// TEncodeRunHooks; everything else is a choice in TEncodeRunOptions. Saving the code file is
// left to the shell: the GUI saves on its own command.

// The least dot area of a run.
struct TLeastArea {
  enum class TMode {
    Given,   // Pixels as given; a negative value counts as 10
    Auto,    // 2 x mean blob area div 3, of the picture the run has just prepared
    Robust,  // a third of the area-weighted median blob area (RobustLeastArea)
  };
  TMode Mode = TMode::Auto;
  int32_t Pixels = 0;

  static TLeastArea Given(int32_t pixels) { return {TMode::Given, pixels}; }
};

// Where the origin of the grid indices comes from.
enum class TOriginSource {
  Automatic,  // FindOrigin(Method)
  Pitch,      // FindOriginByRatio(Method, dy / dx)
  Picked,     // SetOrigin with the dot and the neighbours picked by hand
};

struct TEncodeRunOptions {
  TLeastArea LeastArea;
  TOriginSource Origin = TOriginSource::Automatic;
  // 0 max area, 1 centre index dot, 2 centre grid dot, 3 centre image dot.
  int32_t Method = 2;
  std::array<float, 2> Pitch = {0, 0};  // dx, dy in pixels
  int32_t PickedDot = -1;
  std::array<int32_t, 4> PickedNeighbours = {-1, -1, -1, -1};  // right, down, left, up
  std::array<int32_t, 2> PickedGrid = {0, 0};                  // (Nx, Ny) of the picked dot
  // Refined centroids, measured on RefinePicture (the unsegmented picture; null: the segmented
  // one the job holds).
  bool Refined = false;
  const TGrayImage* RefinePicture = nullptr;
  // The grid table sized from the dots found instead of the job's own size.
  bool AutoTable = false;
  // The lattice rules (Latticeextract.h): a blob is a dot by its size, shape and place in the
  // grid, so specks are dropped or cut away and merged dots split, and refined centroids fit each
  // dot's edge, leaving out what is not the dot. Off: every blob of at least the least area is a
  // dot, as the window's own encoding has it.
  bool Lattice = false;
};

// The choices of a run without a person to correct it, the defaults of the command line and of
// Python (and track's extraction): the robust least area (specks and merged blobs do not move
// it), the lattice rules and a grid table sized from the dots found. The struct's own defaults
// are the window's.
TEncodeRunOptions BatchEncodeOptions();

// A least area as users write it: a number of pixels (0 or more, or -1, the system's own word
// for 10), "auto" or "robust"; nothing for any other text.
std::optional<TLeastArea> LeastAreaFromText(const std::string& text);

struct TEncodeRunHooks {
  // Where the extraction and the walk draw (the job must have been made with drawing on to
  // paint); null draws nothing.
  TSurface* Canvas = nullptr;
  // Milliseconds between expanded dots, and how to wait; no pause without both.
  int32_t Delay = 0;
  std::function<void(int32_t ms)> Pause;
  // Asked for the least area once the picture is prepared (the GUI reads its field then, so a
  // field that is not a number fails after the picture was prepared); unset: the options' one.
  std::function<int32_t()> AskLeastArea;
  // Told the origin before the walk starts, or told that none was found just before the run
  // raises the origin message.
  std::function<void(int32_t origin)> OriginFound;
  std::function<void()> OriginFailed;
  // Asked between the extraction steps and after every expanded dot whether to stop; true makes
  // the run raise TCancelled (base/Cancel.h). ContinueEncoding then leaves the job's dots, table
  // and picture as it found them; an extraction stopped part way leaves a job only fit to be
  // thrown away.
  std::function<bool()> Cancelled;
};

// What a run found, for reports.
struct TEncodeSummary {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Dots = 0;
  int32_t Coded = 0;
  int32_t Neted = 0;
  int32_t LeastArea = 0;
  int32_t Origin = -1;
  std::string Decoding;  // how the picture was read ("8-bit bitmap", "16-bit TIFF, ...")
  TDotSorting Sorting;   // what the lattice rules did (Ran false without them)
};

// The whole run on a job fresh from its picture. Failures raise TError with the user's message
// and leave the job as far as it got.
TEncodeSummary RunEncoding(TEncode& job, const TEncodeRunOptions& options,
                           const TEncodeRunHooks& hooks = {});
// The run again from the origin on a job whose dots are extracted (the GUI's second and third
// origin stages); returns the origin.
int32_t ContinueEncoding(TEncode& job, const TEncodeRunOptions& options,
                         const TEncodeRunHooks& hooks = {});
// The first part alone, up to BuildDotInfo; returns the least area used.
int32_t ExtractDots(TEncode& job, const TEncodeRunOptions& options,
                    const TEncodeRunHooks& hooks = {});
TEncodeSummary SummarizeEncoding(const TEncode& job);
