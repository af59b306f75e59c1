#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "encode/Dotgrid.h"
#include "reference/LinearSearch.h"

namespace {

std::vector<TDotInfo> RandomDots(std::mt19937& rng, int32_t count, bool lattice) {
  std::vector<TDotInfo> dots(static_cast<size_t>(count));
  std::uniform_real_distribution<float> pos(0, 500);
  for (TDotInfo& d : dots) {
    if (lattice) {  // many exact ties and repeated positions
      d.x = static_cast<float>(rng() % 12) * 5.0f;
      d.y = static_cast<float>(rng() % 9) * 5.0f;
    } else {
      d.x = pos(rng);
      d.y = pos(rng) * 0.5f + 100;
    }
  }
  return dots;
}

void CheckAgainstLinear(const std::vector<TDotInfo>& dots, std::mt19937& rng, int queries) {
  TDotGrid grid;
  grid.Build(dots.data(), static_cast<int32_t>(dots.size()));
  std::uniform_real_distribution<float> pos(-100, 600);
  std::uniform_real_distribution<float> tol(0, 40);
  const int32_t n = static_cast<int32_t>(dots.size());
  for (int q = 0; q < queries; ++q) {
    float x = pos(rng), y = pos(rng);
    if (q % 3 == 0 && n > 0) {  // exactly on a dot, or half way between lattice points
      x = dots[rng() % n].x + (q % 2 == 0 ? 0.0f : 2.5f);
      y = dots[rng() % n].y;
    }
    float tx = tol(rng), ty = tol(rng);
    if (q % 5 == 0 && n > 0) {  // a dot exactly on the box edge
      const TDotInfo& d = dots[rng() % n];
      tx = std::fabs(d.x - x);
      ty = std::fabs(d.y - y);
    }
    const int32_t exclude = n > 0 ? static_cast<int32_t>(rng() % n) : -1;
    ASSERT_EQ(grid.NearestWithin(x, y, tx, ty), LinearWithin(dots, x, y, tx, ty))
        << x << "," << y << " tol " << tx << "," << ty;
    ASSERT_EQ(grid.Nearest(x, y, 1.0e10f, -1), LinearNearest(dots, x, y, 1.0e10f, -1));
    ASSERT_EQ(grid.Nearest(x, y, 1.0e20f, exclude), LinearNearest(dots, x, y, 1.0e20f, exclude));
    ASSERT_EQ(grid.Nearest(x, y, 30.0f, -1), LinearNearest(dots, x, y, 30.0f, -1));
  }
}

}  // namespace

TEST(DotGrid, AgreesWithALinearScanOnRandomDotSets) {
  std::mt19937 rng(4711);
  for (int trial = 0; trial < 200; ++trial) {
    const int32_t count = static_cast<int32_t>(rng() % 300);
    auto dots = RandomDots(rng, count, trial % 2 == 0);
    SCOPED_TRACE(testing::Message() << "trial " << trial << " with " << count << " dots");
    CheckAgainstLinear(dots, rng, 200);
  }
}

TEST(DotGrid, LowestIndexWinsAmongEquallyNearDots) {
  std::vector<TDotInfo> dots(40);
  for (int i = 0; i < 40; ++i) {  // a ring of dots at the same distance, and a copy of each
    dots[i].x = 100 + (i % 2 == 0 ? 10.0f : -10.0f) * (i % 4 < 2 ? 1 : 0);
    dots[i].y = 100 + (i % 2 == 0 ? 10.0f : -10.0f) * (i % 4 < 2 ? 0 : 1);
  }
  TDotGrid grid;
  grid.Build(dots.data(), 40);
  EXPECT_EQ(grid.Nearest(100, 100, 1.0e10f, -1), 0);
  EXPECT_EQ(grid.Nearest(100, 100, 1.0e10f, 0), 1);
  EXPECT_EQ(grid.NearestWithin(100, 100, 10, 10), 0);
  EXPECT_EQ(grid.NearestWithin(100, 100, 10, 9.999f), 0);  // only the two on the x axis
  EXPECT_EQ(grid.NearestWithin(100, 100, 9.999f, 10), 2);
  EXPECT_EQ(grid.NearestWithin(100, 100, 9.999f, 9.999f), -1);
}

TEST(DotGrid, StartValuesLimitHowFarADotIsFound) {
  std::vector<TDotInfo> dots(20);
  for (int i = 0; i < 20; ++i) {
    dots[i].x = 200000.0f + static_cast<float>(i);
    dots[i].y = 0;
  }
  TDotGrid grid;
  grid.Build(dots.data(), 20);
  EXPECT_EQ(grid.Nearest(0, 0, 1.0e10f, -1), -1);  // farther than 1e5 pixels
  EXPECT_EQ(grid.Nearest(0, 0, 1.0e20f, -1), 0);
  EXPECT_EQ(grid.Nearest(200010.0f, 1.0e5f, 1.0e10f, -1), -1);  // exactly 1e5 away is too far
  // Near 1e10 floats lie 1024 apart: the twenty dots are equally near, the lowest index wins.
  EXPECT_EQ(grid.Nearest(200010.0f, 99999.0f, 1.0e10f, -1), 0);
  EXPECT_EQ(grid.Nearest(200010.0f, 99.0f, 1.0e10f, -1), 10);
}

TEST(DotGrid, DegenerateQueriesAndDotSetsBehaveAsTheScan) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::mt19937 rng(5);
  auto dots = RandomDots(rng, 100, false);
  TDotGrid grid;
  grid.Build(dots.data(), 100);
  for (float x : {0.0f, inf, -inf, nan, 1.0e30f})
    for (float tol : {0.0f, -0.0f, -1.0f, 1.0e30f, inf, nan}) {
      ASSERT_EQ(grid.NearestWithin(x, 200, tol, tol), LinearWithin(dots, x, 200, tol, tol))
          << x << " " << tol;
      ASSERT_EQ(grid.NearestWithin(250, x, tol, tol), LinearWithin(dots, 250, x, tol, tol));
      ASSERT_EQ(grid.Nearest(x, 200, 1.0e20f, 3), LinearNearest(dots, x, 200, 1.0e20f, 3));
    }
  std::vector<TDotInfo> line(50);  // all on one row, several on one spot
  for (int i = 0; i < 50; ++i) line[i].x = static_cast<float>((i * 7) % 20);
  CheckAgainstLinear(line, rng, 300);
  std::vector<TDotInfo> none;
  grid.Build(none.data(), 0);
  EXPECT_EQ(grid.Nearest(1, 1, 1.0e20f, -1), -1);
  EXPECT_EQ(grid.NearestWithin(1, 1, 5, 5), -1);
}
