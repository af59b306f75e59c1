#include "track/Trackextract.h"

#include <cstring>

#include "encode/Encode.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "segment/Segmentrun.h"

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
  TSegmentRunOptions segmentation;
  segmentation.WhiteDots = !options.BlackDots;
  segmentation.Median = options.Median;
  segmentation.Window = options.Window;
  segmentation.Adjust = options.Adjust;
  segmentation.Threshold = options.Threshold;
  RunSegmentation(segment, segmentation);

  const bool sized = options.MaxNx && options.MaxNy;
  auto job = std::make_unique<TEncode>(segment.ReleaseImage(), !options.BlackDots, false,
                                       sized ? *options.MaxNx : 1, sized ? *options.MaxNy : 1);
  job->SetDelay(0);
  // The table is sized when the picture is indexed, from the reference's reach.
  TEncodeRunOptions run;
  if (options.LeastArea)
    run.LeastArea = TLeastArea::Given(*options.LeastArea);
  else if (!options.AutoLeastArea)
    run.LeastArea.Mode = TLeastArea::TMode::Robust;
  run.Refined = options.RefinedCentroids;
  run.Lattice = options.LatticeDots;
  run.RefinePicture = original.get();
  ExtractDots(*job, run);
  return job;
}
