#include <gtest/gtest.h>

#include <cstring>

#include "EncodeTestSupport.h"
#include "base/RgbSurface.h"
#include "reference/PlainWalk.h"

using namespace enctest;

namespace {

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
    for (int32_t d : {0, 2, 1, 3}) PlainExpand(*ref, origin, d, expected);
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
