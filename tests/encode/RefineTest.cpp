#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "EncodeTestSupport.h"
#include "encode/Encoderun.h"
#include "encode/Refinecentroid.h"
#include "reference/Truthgrid.h"
#include "segment/Segment.h"

using namespace enctest;

namespace {

std::unique_ptr<TGrayImage> Copy(const TGrayImage& p) {
  auto c = std::make_unique<TGrayImage>();
  c->SetWidth(p.Width());
  c->SetHeight(p.Height());
  std::memcpy(c->Data(), p.Data(), static_cast<size_t>(p.Size()));
  return c;
}

// Segmented and extracted as the command-line tool does by default.
std::unique_ptr<TEncode> Extracted(const TGrayImage& picture, bool white) {
  TSegment segment(Copy(picture), false);
  segment.FWhiteDots = white;
  segment.FWinSizeX = segment.FWinSizeY = picture.Width() / 4;
  segment.MultiAreaSegment(false, nullptr);
  auto job = Job(Copy(segment.Image()), white);
  ExtractDots(*job, {});
  return job;
}

// RMS distance of the job's dots from the true centres of the initial picture.
double PositionRms(const TEncode& job, const TTruthGrid& grid) {
  double sum = 0;
  int32_t n = 0;
  for (const TTruthDot& t : grid.Dots()) {
    const int32_t i = DotAt(job, t.X0, t.Y0, 3.0);
    if (i < 0) continue;
    sum += std::pow(job.FDotInfo[i].x - t.X0, 2) + std::pow(job.FDotInfo[i].y - t.Y0, 2);
    ++n;
  }
  EXPECT_GT(n, 1000);
  return std::sqrt(sum / std::max(n, 1));
}

}  // namespace

// The base case of the accuracy sweep (tools/accuracy), one seed: the thresholded centroid's
// phase bias is gone and the displacement error is at the noise floor.
TEST(Refine, BaseCaseDisplacementErrorIsHalfThePlainOneAndBelowTwelveThousandths) {
  TTruthOptions o;
  o.Seed = 1;
  const TAccuracy plain = MeasureAccuracy(o, false);
  const TAccuracy refined = MeasureAccuracy(o, true);
  EXPECT_GT(refined.Pairs, 1800);
  EXPECT_LE(refined.Rms, 0.012);
  EXPECT_LT(refined.Rms, plain.Rms / 2);
  EXPECT_LT(refined.Max, plain.Max);
}

TEST(Refine, BrightAndDarkDotsUnderAGradientSitOnTheirTrueCentres) {
  for (bool white : {true, false}) {
    SCOPED_TRACE(white ? "white dots" : "black dots");
    TTruthOptions o;
    o.Noise = 0.5;
    o.Gradient = 80;
    o.Blur = 1;
    o.Dot = white ? 200 : 40;
    o.Background = white ? 50 : 190;
    const TTruthGrid grid(o);
    TGrayImage picture;
    grid.Render(false, picture);
    auto job = Extracted(picture, white);
    const double plain = PositionRms(*job, grid);
    RefineCentroids(*job, picture);
    const double refined = PositionRms(*job, grid);
    EXPECT_LT(refined, 0.006);
    EXPECT_LT(refined, plain / 3);
    // The searches follow the moved dots.
    const TDotInfo& d = job->FDotInfo[5];
    EXPECT_EQ(job->NearestDot(d.x, d.y), 5);
  }
}

TEST(Refine, PictureOfAnotherSizeIsRefused) {
  TTruthOptions o;
  o.Width = 200;
  o.Height = 160;
  TGrayImage picture;
  TTruthGrid(o).Render(false, picture);
  auto job = Extracted(picture, true);
  auto other = Blank(201, 160, 0);
  const std::string message = ErrorOf([&] { RefineCentroids(*job, *other); });
  EXPECT_NE(message.find("201 x 160"), std::string::npos) << message;
  EXPECT_NE(message.find("200 x 160"), std::string::npos) << message;
}
