#include "track/Trackextract.h"

#include <cstring>

#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Refinecentroid.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"

namespace {

std::unique_ptr<TGrayImage> CopyOf(const TGrayImage& image) {
  auto copy = std::make_unique<TGrayImage>();
  copy->SetWidth(image.Width());
  copy->SetHeight(image.Height());
  std::memcpy(copy->Data(), image.Data(), static_cast<size_t>(image.Size()));
  return copy;
}

}  // namespace

std::unique_ptr<TEncode> ExtractPicture(const std::string& picture, const TTrackOptions& options) {
  TSegment segment(picture, false);
  // Refined centroids weigh the picture as it was taken, before the background is wiped.
  std::unique_ptr<TGrayImage> original;
  if (options.RefinedCentroids) original = CopyOf(segment.Image());
  if (options.Median) segment.Image().MedianFilter(*options.Median, *options.Median);
  segment.FWhiteDots = !options.BlackDots;
  if (options.Threshold) {
    segment.SimpleSegment(nullptr, *options.Threshold);
  } else {
    const int32_t window = options.Window ? *options.Window : segment.Image().Width() / 4;
    segment.FWinSizeX = window;
    segment.FWinSizeY = window;
    segment.FAdjust = options.Adjust;
    segment.MultiAreaSegment(false, nullptr);
  }

  const bool sized = options.MaxNx && options.MaxNy;
  auto job = std::make_unique<TEncode>(segment.ReleaseImage(), !options.BlackDots, false,
                                       sized ? *options.MaxNx : 1, sized ? *options.MaxNy : 1);
  job->FDelay = 0;
  job->PrepareImage(nullptr);
  if (options.LeastArea) {
    job->FAreaThreshold = *options.LeastArea;
  } else if (options.AutoLeastArea) {
    job->FAreaThreshold = 2 * job->FAreaThreshold / 3;
  } else {
    job->FAreaThreshold = RobustLeastArea(*job);
  }
  job->RemoveNoise(nullptr);
  job->BuildDotInfo(nullptr);
  if (original) {
    RefineCentroids(*job, *original);
    job->DotsMoved();
  }
  return job;
}
