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
    std::vector<bool> neted(static_cast<size_t>(job->DotSum()));
    for (int32_t i = 0; i < job->DotSum(); ++i) neted[i] = job->DotInfo()[i].Neted;
    job->SetDelay(50);
    job->SetPause([&](int32_t ms) {
      EXPECT_EQ(ms, 50);
      for (int32_t i = 0; i < job->DotSum(); ++i)
        if (job->DotInfo()[i].Neted && !neted[i]) {
          neted[i] = true;
          order.push_back(i);
        }
    });
    job->Encode(origin);

    std::vector<int32_t> expected;
    for (int32_t d : {0, 2, 1, 3}) PlainExpand(*ref, origin, d, expected);
    ASSERT_GT(expected.size(), 100u);
    EXPECT_EQ(order, expected);
    for (int32_t i = 0; i < job->DotSum(); ++i) {
      EXPECT_EQ(job->DotInfo()[i].Nx, ref->DotInfo()[i].Nx);
      EXPECT_EQ(job->DotInfo()[i].Ny, ref->DotInfo()[i].Ny);
      EXPECT_EQ(job->DotInfo()[i].Coded, ref->DotInfo()[i].Coded);
      for (int32_t d = 0; d < 4; ++d)
        EXPECT_EQ(job->DotInfo()[i].Neighbour[d], ref->DotInfo()[i].Neighbour[d]);
    }
  }
}

TEST(WalkOrder, PaintedWalkErasesDotsOneByOneFlushesAndRestoresThePicture) {
  TSynthOptions o;
  o.Width = 200;
  o.Height = 160;
  o.Radius = 5;
  auto job = SmallJob(o, true);
  std::vector<uint8_t> before(job->Image().Data(), job->Image().Data() + job->Image().Size());
  TCountingSurface screen(200, 160, TColor{1, 2, 3});
  job->SetCanvas(&screen);
  int32_t pauses = 0;
  int32_t erasedAtFirstPause = -1;
  job->SetDelay(50);
  job->SetPause([&](int32_t) {
    if (++pauses == 1) {  // the first expanded dot has gone from the screen
      erasedAtFirstPause = 0;
      for (int32_t i = 0; i < job->DotSum(); ++i)
        if (job->DotInfo()[i].Neted &&
            screen.Pixel(static_cast<int32_t>(job->DotInfo()[i].x),
                         static_cast<int32_t>(job->DotInfo()[i].y)) == GrayColor(0))
          ++erasedAtFirstPause;
    }
  });
  const int32_t origin = job->FindOrigin(2);
  job->Encode(origin);
  int32_t expanded = 0;
  for (int32_t i = 0; i < job->DotSum(); ++i) expanded += job->DotInfo()[i].Neted ? 1 : 0;
  EXPECT_EQ(pauses, expanded - 1);  // every expanded dot but the origin
  EXPECT_EQ(screen.Flushes, pauses);
  EXPECT_EQ(erasedAtFirstPause, 1);
  EXPECT_EQ(0, std::memcmp(job->Image().Data(), before.data(), before.size()));

  auto quiet = SmallJob(o, false);  // no painting and no delay: no pause, nothing flushed
  TCountingSurface other(200, 160);
  quiet->SetCanvas(&other);
  int32_t quietPauses = 0;
  quiet->SetPause([&](int32_t) { ++quietPauses; });
  quiet->Encode(quiet->FindOrigin(2));
  EXPECT_EQ(quietPauses, 0);
  EXPECT_EQ(other.Flushes, 0);
}
