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
    ASSERT_EQ(grid.NearestDot(x, y), LinearNearest(dots, x, y, 1.0e10f, -1));
    ASSERT_EQ(grid.NearestOther(x, y, exclude), LinearNearest(dots, x, y, 1.0e20f, exclude));
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
      ASSERT_EQ(grid.NearestOther(x, 200, 3), LinearNearest(dots, x, 200, 1.0e20f, 3));
    }
  std::vector<TDotInfo> line(50);  // all on one row, several on one spot
  for (int i = 0; i < 50; ++i) line[i].x = static_cast<float>((i * 7) % 20);
  CheckAgainstLinear(line, rng, 300);
  // Far dots: the start values limit the search (exactly 1e5 away is too far for 1e10), and
  // near 1e10 floats lie 1024 apart, so twenty dots tie and the lowest index wins.
  std::vector<TDotInfo> far(20);
  for (int i = 0; i < 20; ++i) far[i].x = 200000.0f + static_cast<float>(i);
  grid.Build(far.data(), 20);
  for (auto [x, y] :
       {std::pair{0.0f, 0.0f}, {200010.0f, 1.0e5f}, {200010.0f, 99999.0f}, {200010.0f, 99.0f}})
    for (float start : {1.0e10f, 1.0e20f})
      EXPECT_EQ(grid.Nearest(x, y, start, -1), LinearNearest(far, x, y, start, -1))
          << x << "," << y;
  EXPECT_EQ(grid.NearestDot(200010.0f, 1.0e5f), -1);
  EXPECT_EQ(grid.NearestDot(200010.0f, 99999.0f), 0);
  std::vector<TDotInfo> none;
  grid.Build(none.data(), 0);
  EXPECT_EQ(grid.Nearest(1, 1, 1.0e20f, -1), -1);
  EXPECT_EQ(grid.NearestWithin(1, 1, 5, 5), -1);
}
