#include <gtest/gtest.h>

#include <limits>

#include "EncodeTestSupport.h"
#include "support/Encodeprobe.h"

using namespace enctest;

namespace {

// 3 x 3 squares centred on whole pixels, so every centroid is exact.
std::unique_ptr<TEncode> Squares(const std::vector<std::pair<int32_t, int32_t>>& centres,
                                 int32_t w = 200, int32_t h = 200) {
  auto image = Blank(w, h, 0);
  for (auto [x, y] : centres) image->FillRect(255, x - 1, y - 1, x + 1, y + 1);
  auto job = Job(std::move(image), true);
  Extract(*job, 0);
  return job;
}

std::vector<std::pair<int32_t, int32_t>> Lattice(int32_t x0, int32_t y0, int32_t dx, int32_t dy,
                                                 int32_t nx, int32_t ny) {
  std::vector<std::pair<int32_t, int32_t>> c;
  for (int32_t j = 0; j < ny; ++j)
    for (int32_t i = 0; i < nx; ++i) c.push_back({x0 + i * dx, y0 + j * dy});
  return c;
}

int32_t Index(const TEncode& job, int32_t x, int32_t y) {
  return DotAt(job, x, y, 0.01);
}

}  // namespace

// Neighbours and ratios on every pitch shape are checked through whole encodings in
// EncodeWalkTest.cpp; here the exact choices.
TEST(Origin, SquarePitchTakesTheFourNeighboursWithTolerancesOfNineTenthsOfHalfAStep) {
  auto job = Squares(Lattice(60, 60, 20, 20, 5, 5));
  const int32_t o = job->FindOrigin(2);
  ASSERT_EQ(o, Index(*job, 100, 100));
  EXPECT_EQ(TEncodeProbe::TolX(*job), 9.0f);
  EXPECT_EQ(TEncodeProbe::TolY(*job), 9.0f);
  const int32_t expected[4] = {Index(*job, 120, 100), Index(*job, 100, 120), Index(*job, 80, 100),
                               Index(*job, 100, 80)};
  for (int32_t d = 0; d < 4; ++d) EXPECT_EQ(job->DotInfo()[o].Neighbour[d], expected[d]) << d;
  const TDotInfo& below = job->DotInfo()[expected[1]];
  EXPECT_TRUE(below.Coded);
  EXPECT_FALSE(below.Neted);
  EXPECT_EQ(below.Nx, 0);
  EXPECT_EQ(below.Ny, -1);
  EXPECT_EQ(job->Coordinate().GetIndex(-1, 0), expected[2]);
}

TEST(Origin, AnExactlyDiagonalNearestNeighbourCountsAsVertical) {
  auto job = Squares({{50, 50}, {60, 60}, {38, 62}, {150, 150}}, 200, 200);
  const int32_t o = Index(*job, 50, 50);
  TEncodeProbe::Dots(*job)[o].Area = 100;  // make it the largest
  ASSERT_EQ(job->FindOrigin(0), o);
  EXPECT_EQ(job->DotInfo()[o].Neighbour[1], Index(*job, 60, 60));
  EXPECT_EQ(job->DotInfo()[o].Neighbour[2], Index(*job, 38, 62));
  EXPECT_FLOAT_EQ(job->Ratio(), 10.0f / 12.0f);
}

TEST(Origin, TheMethodChoosesTheOrigin) {
  auto job = Squares(Lattice(30, 30, 20, 20, 6, 4));  // 24 dots, centre of the grid (80, 60)
  TEncodeProbe::Dots(*job)[5].Area = 50;
  EXPECT_EQ(job->FindOrigin(0), 5);
  job = Squares(Lattice(30, 30, 20, 20, 6, 4));
  EXPECT_EQ(job->FindOrigin(1), 12);
  job = Squares(Lattice(30, 30, 20, 20, 6, 4));
  EXPECT_EQ(job->FindOrigin(2), Index(*job, 70, 50));  // the lowest index of four equals
  job = Squares(Lattice(30, 30, 20, 20, 6, 4), 300, 200);
  EXPECT_EQ(job->FindOrigin(3), Index(*job, 130, 90));
  EXPECT_EQ(ErrorOf([&] { job->FindOrigin(7); }), "Unknown origin method 7: choose 0 to 3");
  EXPECT_EQ(ErrorOf([&] { job->FindOriginByRatio(-1, 1); }),
            "Unknown origin method -1: choose 0 to 3");
}

TEST(Origin, FailuresAssignNothing) {
  // No perpendicular neighbour: a single row of dots.
  auto job = Squares(Lattice(40, 100, 20, 20, 6, 1));
  EXPECT_EQ(job->FindOrigin(2), -1);
  // One dot only.
  auto lone = Squares({{50, 50}});
  EXPECT_EQ(lone->FindOrigin(2), -1);
  EXPECT_EQ(lone->FindOriginByRatio(2, 1), -1);
  // The ratio search needs all four neighbours: the largest dot sits in a corner.
  job = Squares(Lattice(40, 40, 20, 20, 4, 4));
  TEncodeProbe::Dots(*job)[0].Area = 100;
  EXPECT_EQ(job->FindOriginByRatio(0, 1), -1);
  // A ratio that is not a finite positive number.
  EXPECT_EQ(job->FindOriginByRatio(2, 0), -1);
  EXPECT_EQ(job->FindOriginByRatio(2, -1), -1);
  EXPECT_EQ(job->FindOriginByRatio(2, std::numeric_limits<float>::infinity()), -1);
  for (const auto* j : {job.get(), lone.get()})
    for (int32_t i = 0; i < j->DotSum(); ++i) EXPECT_FALSE(j->DotInfo()[i].Coded);
  EXPECT_EQ(job->Coordinate().GetIndex(0, 0), -1);
}

TEST(Origin, SetOriginTakesThePickedDotsAndFallsBackToRatioOne) {
  auto job = Squares(Lattice(40, 40, 20, 30, 5, 5));
  const int32_t o = Index(*job, 80, 100);
  const int32_t right = Index(*job, 100, 100), down = Index(*job, 80, 130);
  int32_t picked[4] = {right, down, -1, 99999};  // an index past the dots counts as not picked
  EXPECT_EQ(job->SetOrigin(o, picked, 3, -2), o);
  EXPECT_EQ(job->Ratio(), 1.5f);
  EXPECT_EQ(job->DotInfo()[o].Nx, 3);
  EXPECT_EQ(job->DotInfo()[o].Neighbour[3], -1);
  EXPECT_EQ(job->DotInfo()[down].Ny, -3);
  EXPECT_EQ(job->Coordinate().GetIndex(4, -2), right);

  int32_t horizontalOnly[4] = {-1, -1, Index(*job, 60, 100), -1};
  EXPECT_EQ(job->SetOrigin(o, horizontalOnly, 0, 0), o);
  EXPECT_EQ(job->Ratio(), 1.0f);
  int32_t level[4] = {right, right, -1, -1};  // "down" picked level with the origin
  EXPECT_EQ(job->SetOrigin(o, level, 0, 0), o);
  EXPECT_EQ(job->Ratio(), 1.0f);

  int32_t none[4] = {-1, -1, -1, -1};
  EXPECT_EQ(job->SetOrigin(-1, none, 0, 0), -1);
  EXPECT_EQ(job->SetOrigin(job->DotSum(), none, 0, 0), -1);
  EXPECT_EQ(ErrorOf([&] { job->SetOrigin(o, none, 51, 0); }), "(51 , 0) not in the range");
}
