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
    sum += std::pow(job.DotInfo()[i].x - t.X0, 2) + std::pow(job.DotInfo()[i].y - t.Y0, 2);
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
    const TDotInfo& d = job->DotInfo()[5];
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

// The span sums are exact whatever the span's length and where it starts against the 16- and
// 8-byte steps, with bytes up to 255.
TEST(Refine, SpanSumsAreThoseOfThePlainLoop) {
  std::vector<uint8_t> row(200);
  for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i % 7 == 0 ? 255 : i * 37);
  for (int32_t from = 0; from < 20; ++from)
    for (int32_t to = from - 1; to < from + 90; ++to) {
      int64_t sum = 0, weighted = 0, expectedSum = 0, expectedWeighted = 0;
      for (int32_t x = from; x <= to; ++x) {
        expectedSum += row[x];
        expectedWeighted += int64_t{row[x]} * x;
      }
      SpanSums(row.data(), from, to, sum, weighted);
      ASSERT_EQ(sum, expectedSum) << from << ".." << to;
      ASSERT_EQ(weighted, expectedWeighted) << from << ".." << to;
    }
}

// Dots shared out over threads come out as on one thread, to the bit, for white and dark dots.
TEST(Refine, ThreadsGiveTheSameCentroidsToTheBit) {
  for (bool white : {true, false}) {
    TTruthOptions o;
    o.Noise = 3;
    o.Gradient = 40;
    o.Dot = white ? 220 : 30;
    o.Background = white ? 40 : 200;
    TGrayImage picture;
    TTruthGrid(o).Render(false, picture);
    auto one = Extracted(picture, white);
    auto many = Extracted(picture, white);
    RefineCentroids(*one, picture, 1);
    RefineCentroids(*many, picture, 3);
    ASSERT_GT(one->DotSum(), 100);
    int32_t moved = 0;
    for (int32_t i = 0; i < one->DotSum(); ++i) {
      ASSERT_EQ(one->DotInfo()[i].x, many->DotInfo()[i].x) << i;
      ASSERT_EQ(one->DotInfo()[i].y, many->DotInfo()[i].y) << i;
    }
    auto plain = Extracted(picture, white);
    for (int32_t i = 0; i < one->DotSum(); ++i)
      moved += one->DotInfo()[i].x != plain->DotInfo()[i].x;
    EXPECT_GT(moved, one->DotSum() / 2);  // the refinement did something to compare
  }
}
