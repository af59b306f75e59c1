#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "EncodeTestSupport.h"
#include "base/Error.h"
#include "base/RgbSurface.h"

using namespace enctest;

namespace {

float F(double v) {
  return static_cast<float>(v);
}

// The walk as its recursive definition, on the job's public operations: the rules in their
// order, then the three calls (d + 1), (d + 3), d. Only for small grids.
void ReferenceExpand(TEncode& job, int32_t u, int32_t d, std::vector<int32_t>& order) {
  const int32_t v = job.FDotInfo[u].Neighbour[d];
  if (v < 0) return;
  if (job.FDotInfo[v].Neted) {
    if (job.IsConsistent(u, v, d)) return;
    throw TError(" Error when encoding, Direct correct it");
  }
  if (!job.FDotInfo[v].Coded) return;
  const TDotInfo du = job.FDotInfo[u], dv = job.FDotInfo[v];
  int32_t n[4];
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t g = job.GridNeighbour(v, k);
    const int32_t w = job.GridNeighbour(u, k);
    if (g >= 0) {
      if (!job.IsConsistent(v, g, k)) throw TError("Error when Encoding, direct correct it");
      n[k] = g;
    } else if (k == d) {
      const double ax = std::fabs(double{dv.x} - du.x), ay = std::fabs(double{dv.y} - du.y);
      job.FTolX = ax > ay ? F(0.45 * ax) : F(0.45 * ay / job.FRatio);
      job.FTolY = F(double{job.FTolX} * job.FRatio);
      n[k] = job.NearestDotWithin(F(2.0 * dv.x - du.x), F(2.0 * dv.y - du.y));
    } else if (w >= 0) {
      const TDotInfo dw = job.FDotInfo[w];
      job.FTolX = F(0.45 * std::fabs(k % 2 == 1 ? double{dv.x} - du.x : double{dw.x} - du.x));
      job.FTolY = F(0.45 * std::fabs(k % 2 == 1 ? double{dw.y} - du.y : double{dv.y} - du.y));
      n[k] = job.NearestDotWithin(F(double{dv.x} + dw.x - du.x), F(double{dv.y} + dw.y - du.y));
    } else {
      double ex = double{dv.x} - du.x, ey = double{dv.y} - du.y;
      if (k == (d + 1) % 4)
        ey = -ey;
      else
        ex = -ex;
      const double step = std::max(std::fabs(ex), std::fabs(ey));
      const double scale = d % 2 == 0 ? job.FRatio : 1.0 / job.FRatio;
      job.FTolX = F(0.45 * step * (d % 2 == 0 ? 1.0 : 1.0 / job.FRatio));
      job.FTolY = F(double{job.FTolX} * job.FRatio);
      n[k] = job.NearestDotWithin(F(dv.x + scale * ey), F(dv.y + scale * ex));
    }
  }
  job.AssignDot(v, n, dv.Nx, dv.Ny);
  order.push_back(v);
  ReferenceExpand(job, v, (d + 1) % 4, order);
  ReferenceExpand(job, v, (d + 3) % 4, order);
  ReferenceExpand(job, v, d, order);
}

std::unique_ptr<TEncode> SmallJob(const TSynthOptions& options, bool draw) {
  TGridCase g = SegmentedGrid(options);
  auto job = Job(std::move(g.Image), options.WhiteDots, 50, draw);
  Extract(*job, 20);
  return job;
}

// A screen that counts how often it was asked to show what was drawn.
class TCountingSurface : public TRgbSurface {
 public:
  using TRgbSurface::TRgbSurface;
  void Flush() override { ++Flushes; }
  int32_t Flushes = 0;
};

}  // namespace

TEST(WalkOrder, TheStackedWalkExpandsInTheOrderOfTheRecursiveOne) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    TSynthOptions o;
    o.Width = 300;
    o.Height = 260;
    o.PitchX = 20;
    o.PitchY = seed == 2 ? 28 : 20;
    o.Radius = 5;
    o.RotationDeg = seed == 3 ? 2 : 0;
    o.Missing = 5;
    o.Seed = seed;
    auto job = SmallJob(o, false);
    auto ref = SmallJob(o, false);
    const int32_t origin = job->FindOrigin(2);
    ASSERT_EQ(ref->FindOrigin(2), origin);
    ASSERT_GE(origin, 0);

    std::vector<int32_t> order;
    std::vector<bool> neted(static_cast<size_t>(job->FDotSum));
    for (int32_t i = 0; i < job->FDotSum; ++i) neted[i] = job->FDotInfo[i].Neted;
    job->FDelay = 50;
    job->FPause = [&](int32_t ms) {
      EXPECT_EQ(ms, 50);
      for (int32_t i = 0; i < job->FDotSum; ++i)
        if (job->FDotInfo[i].Neted && !neted[i]) {
          neted[i] = true;
          order.push_back(i);
        }
    };
    job->Encode(origin);

    std::vector<int32_t> expected;
    for (int32_t d : {0, 2, 1, 3}) ReferenceExpand(*ref, origin, d, expected);
    ASSERT_GT(expected.size(), 100u);
    EXPECT_EQ(order, expected);
    for (int32_t i = 0; i < job->FDotSum; ++i) {
      EXPECT_EQ(job->FDotInfo[i].Nx, ref->FDotInfo[i].Nx);
      EXPECT_EQ(job->FDotInfo[i].Ny, ref->FDotInfo[i].Ny);
      EXPECT_EQ(job->FDotInfo[i].Coded, ref->FDotInfo[i].Coded);
      for (int32_t d = 0; d < 4; ++d)
        EXPECT_EQ(job->FDotInfo[i].Neighbour[d], ref->FDotInfo[i].Neighbour[d]);
    }
  }
}

TEST(WalkOrder, PaintedWalkErasesDotsOneByOneFlushesAndRestoresThePicture) {
  TSynthOptions o;
  o.Width = 200;
  o.Height = 160;
  o.Radius = 5;
  auto job = SmallJob(o, true);
  std::vector<uint8_t> before(job->FImage->Data(), job->FImage->Data() + job->FImage->Size());
  TCountingSurface screen(200, 160, TColor{1, 2, 3});
  job->FCanvas = &screen;
  int32_t pauses = 0;
  int32_t erasedAtFirstPause = -1;
  job->FDelay = 50;
  job->FPause = [&](int32_t) {
    if (++pauses == 1) {  // the first expanded dot has gone from the screen
      erasedAtFirstPause = 0;
      for (int32_t i = 0; i < job->FDotSum; ++i)
        if (job->FDotInfo[i].Neted &&
            screen.Pixel(static_cast<int32_t>(job->FDotInfo[i].x),
                         static_cast<int32_t>(job->FDotInfo[i].y)) == GrayColor(0))
          ++erasedAtFirstPause;
    }
  };
  const int32_t origin = job->FindOrigin(2);
  job->Encode(origin);
  int32_t expanded = 0;
  for (int32_t i = 0; i < job->FDotSum; ++i) expanded += job->FDotInfo[i].Neted ? 1 : 0;
  EXPECT_EQ(pauses, expanded - 1);  // every expanded dot but the origin
  EXPECT_EQ(screen.Flushes, pauses);
  EXPECT_EQ(erasedAtFirstPause, 1);
  EXPECT_EQ(0, std::memcmp(job->FImage->Data(), before.data(), before.size()));

  auto quiet = SmallJob(o, false);  // no painting and no delay: no pause, nothing flushed
  TCountingSurface other(200, 160);
  quiet->FCanvas = &other;
  int32_t quietPauses = 0;
  quiet->FPause = [&](int32_t) { ++quietPauses; };
  quiet->Encode(quiet->FindOrigin(2));
  EXPECT_EQ(quietPauses, 0);
  EXPECT_EQ(other.Flushes, 0);
}
