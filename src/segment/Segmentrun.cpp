#include "segment/Segmentrun.h"

#include "segment/Segment.h"

void RunSegmentation(TSegment& job, const TSegmentRunOptions& options, TSurface* surface,
                     bool show) {
  if (options.Median) job.Image().MedianFilter(*options.Median, *options.Median);
  job.FWhiteDots = options.WhiteDots;
  if (options.Threshold) {
    job.SimpleSegment(surface, *options.Threshold);
    return;
  }
  const int32_t window = options.Window
                             ? *options.Window
                             : TSegment::DefaultWindow(job.Image().Width(), job.Image().Height());
  job.FWinSizeX = window;
  job.FWinSizeY = window;
  job.FAdjust = options.Adjust;
  job.MultiAreaSegment(show, surface);
}
