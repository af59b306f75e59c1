#include "track/Trackextract.h"

#include <cstring>

#include "encode/Encode.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "segment/Segmentrun.h"
#include "track/Trackinput.h"

namespace {

std::unique_ptr<TGrayImage> CopyOf(const TGrayImage& image) {
  auto copy = std::make_unique<TGrayImage>();
  copy->SetSize(image.Width(), image.Height());
  std::memcpy(copy->Data(), image.Data(), static_cast<size_t>(image.Size()));
  return copy;
}

}  // namespace

TPictureDots ExtractPicture(const std::string& picture, const TTrackOptions& options) {
  TSegment segment(LoadSequencePicture(picture, options.Bits16), false);
  // Refined centroids weigh the picture as it was taken, before the background is wiped: a
  // picture of more than 8 bits keeps it (Deep), an 8-bit one is copied first.
  std::unique_ptr<TGrayImage> original;
  if (options.RefinedCentroids && !segment.Image().Deep()) original = CopyOf(segment.Image());
  TSegmentRunOptions segmentation;
  segmentation.WhiteDots = !options.BlackDots;
  segmentation.Median = options.Median;
  segmentation.Window = options.Window;
  segmentation.Adjust = options.Adjust;
  segmentation.Threshold = options.Threshold;
  RunSegmentation(segment, segmentation);

  TEncode job(segment.ReleaseImage(), !options.BlackDots, false, 1, 1);
  job.SetDelay(0);
  TEncodeRunOptions run;
  if (options.LeastArea)
    run.LeastArea = TLeastArea::Given(*options.LeastArea);
  else if (!options.AutoLeastArea)
    run.LeastArea.Mode = TLeastArea::TMode::Robust;
  run.Refined = options.RefinedCentroids;
  run.Lattice = options.LatticeDots;
  run.RefinePicture = original.get();
  TPictureDots dots;
  dots.LeastArea = ExtractDots(job, run);
  dots.Picture = picture;
  dots.FileName = job.Image().FileName();
  dots.Width = job.Image().Width();
  dots.Height = job.Image().Height();
  dots.WhiteDots = job.Background() == 0;
  dots.Decoding = job.Image().Decoding();
  dots.Dots.assign(job.DotInfo().begin(), job.DotInfo().begin() + job.DotSum());
  return dots;
}

std::unique_ptr<TEncode> JobFromDots(const TPictureDots& dots, const TTrackOptions& options) {
  // The table is sized when the picture is indexed, from the reference's reach, unless given.
  const bool sized = options.MaxNx && options.MaxNy;
  auto image = std::make_unique<TGrayImage>();
  image->SetSize(dots.Width, dots.Height);  // never written nor read: no memory is touched
  image->SetFileName(dots.FileName);
  auto job = std::make_unique<TEncode>(std::move(image), dots.WhiteDots, false,
                                       sized ? *options.MaxNx : 1, sized ? *options.MaxNy : 1);
  job->SetDelay(0);
  job->SetAreaThreshold(dots.LeastArea);
  job->ReplaceDots(dots.Dots);
  return job;
}
