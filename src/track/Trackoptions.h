#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "image/Picturedecode.h"
#include "strain/Strainoptions.h"

// How every picture of a sequence is segmented and its dots extracted and indexed, and how each
// step's strain is computed. The same choices as the segment, encode and strain commands.
struct TTrackOptions {
  TBits16 Bits16 = TBits16::Percentile;  // how 16-bit pictures become 8-bit for segmentation
  bool BlackDots = false;
  // The dots' colour found from the first picture (BlackDots is then set from it).
  bool FindPolarity = false;
  std::optional<int32_t> Median;     // median filter size before segmentation
  std::optional<int32_t> Window;     // multi-area window; default a quarter of the width
  int32_t Adjust = 0;                // added to every window's threshold
  std::optional<int32_t> Threshold;  // one threshold for the whole picture instead
  // Least dot area in pixels; unset: from the median blob (robust), or the Auto rule.
  std::optional<int32_t> LeastArea;
  bool AutoLeastArea = false;
  bool RefinedCentroids = false;
  // The lattice rules of extraction (TEncodeRunOptions::Lattice).
  bool LatticeDots = false;
  // Grid table size; unset: sized from the dots of each picture.
  std::optional<int32_t> MaxNx;
  std::optional<int32_t> MaxNy;
  float ScaleX = 1.0f;
  float ScaleY = 1.0f;
  int32_t Neighbourhood = 1;
  TStrainMeasure Measure = TStrainMeasure::Small;
  // The grid's motion from the first picture to the second, pixels, for pictures where nothing
  // decides it.
  std::optional<std::array<float, 2>> Shift;
  int32_t Jobs = 1;  // pictures segmented and extracted at once
  // The dots of every picture come from the dots files of a split run's extraction
  // (outDir/dots/), not from the pictures.
  bool Extracted = false;
  // DIR/summary.png and the last good step's maps in DIR/plots/.
  bool Plots = false;
};

// One row of the summary: a step's picture, its dot counts and the means over its paired dots
// whose (2K + 1) x (2K + 1) neighbourhood is complete, so that borders and crack lips do not bias
// them (over all paired dots where none is complete; frame x right, y up, units of the scale
// factors; rotation in degrees counterclockwise). Reason is empty for a good step and says why a
// step failed; its numbers then mean nothing. Registration says how the step was indexed
// (RegistrationName); an ambiguous step is good but flagged.
struct TTrackStep {
  int32_t Step = 0;
  std::string Picture;
  int32_t Dots = 0;
  int32_t Pairs = 0;
  int32_t Lost = 0;  // reference dots not found in this step
  double MeanDx = 0;
  double MeanDy = 0;
  double Exx = 0;
  double Eyy = 0;
  double Exy = 0;
  double Rotation = 0;
  std::string Reason;
  std::string Registration;
  std::string Note;  // how the step was registered, when not simply as predicted
  // Why the step's files (code file, strain CSV, its summary row) could not be written; they
  // are then all missing. Empty when they were written.
  std::string WriteError;
  bool Good() const { return Reason.empty(); }
  bool Flagged() const { return Registration == "ambiguous"; }
};
