#pragma once

#include <cstdint>
#include <optional>

class TSegment;
class TSurface;

// One segmentation run as a batch runs it: the median filter, then multi-area segmentation
// with square windows or simple segmentation with one threshold. The GUI runs these steps as
// separate commands of its own.
struct TSegmentRunOptions {
  bool WhiteDots = true;
  std::optional<int32_t> Median;     // P x P median filter first, as the Filter dialog
  std::optional<int32_t> Window;     // window size of multi-area segmentation, default width div 4
                                     // within half the smaller side
  int32_t Adjust = 0;                // added to every window mean
  std::optional<int32_t> Threshold;  // simple segmentation with this threshold instead
};

// Raises TError when the options contradict each other or leave their ranges: a threshold with
// a window, an adjustment or a median filter; a median filter outside 0..10; a window below 1.
void CheckSegmentRunOptions(const TSegmentRunOptions& options);

// Segments the job's picture in place (after CheckSegmentRunOptions); with show, every new pixel
// value is drawn on surface.
void RunSegmentation(TSegment& job, const TSegmentRunOptions& options, TSurface* surface = nullptr,
                     bool show = false);
