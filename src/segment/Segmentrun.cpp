#include "segment/Segmentrun.h"

#include <string>

#include "base/Error.h"
#include "segment/Segment.h"

void CheckSegmentRunOptions(const TSegmentRunOptions& options) {
  if (options.Threshold && (options.Window || options.Adjust != 0 || options.Median))
    throw TError(
        "A threshold segments the picture on its own: it takes no window, adjustment "
        "or median filter");
  if (options.Median && (*options.Median < 0 || *options.Median > 10))
    throw TError("The median filter takes a size from 0 to 10, not " +
                 std::to_string(*options.Median));
  if (options.Window && *options.Window < 1)
    throw TError("The window must be at least 1 pixel, not " + std::to_string(*options.Window));
}

void RunSegmentation(TSegment& job, const TSegmentRunOptions& options, TSurface* surface,
                     bool show) {
  CheckSegmentRunOptions(options);
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
