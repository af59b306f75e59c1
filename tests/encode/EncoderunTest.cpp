// The encoding run as every shell calls it: the least area, the origin sources and the hooks.
#include <gtest/gtest.h>

#include <vector>

#include "EncodeTestSupport.h"
#include "base/RgbSurface.h"
#include "encode/Encoderun.h"
#include "support/TempDir.h"

using namespace enctest;

namespace {

TGridCase Grid(bool white, uint32_t seed) {
  TSynthOptions o;
  o.Width = 300;
  o.Height = 240;
  o.Radius = 5;
  o.RotationDeg = 2;
  o.WhiteDots = white;
  o.Seed = seed;
  return SegmentedGrid(o);
}

std::unique_ptr<TGrayImage> Copy(const TGrayImage& image) {
  auto copy = std::make_unique<TGrayImage>();
  copy->SetWidth(image.Width());
  copy->SetHeight(image.Height());
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t x = 0; x < image.Width(); ++x) copy->SetPixel(x, y, image.GetPixel(x, y));
  return copy;
}

int32_t Present(const TSynthGrid& grid) {
  int32_t n = 0;
  for (const TSynthDot& d : grid.Dots()) n += d.Present ? 1 : 0;
  return n;
}

}  // namespace

// Auto takes the mean blob area of the picture the run has prepared: the same least area as
// the Auto button's estimate, which decodes the file again, and the specks below it are gone.
TEST(EncodeRun, AutoLeastAreaMatchesTheFileEstimateAndDropsTheSpecks) {
  for (bool white : {true, false}) {
    TGridCase g = Grid(white, 4);
    const uint8_t dot = white ? 255 : 0;
    int32_t specks = 0;
    for (const TSynthDot& d : g.Grid->Dots()) {  // a 2 x 2 speck between every fifth pair of dots
      if ((d.I + d.J) % 5 != 0) continue;
      const int32_t x = static_cast<int32_t>(d.X0 + 9), y = static_cast<int32_t>(d.Y0 + 9);
      if (x < 3 || y < 3 || x > 295 || y > 235) continue;
      g.Image->FillRect(dot, x, y, x + 1, y + 1);
      ++specks;
    }
    ASSERT_GT(specks, 10);
    TTempDir dir;
    g.Image->SaveBmp(dir.File("grid.bmp"));
    TEncode job(dir.File("grid.bmp"), white, false, 50, 50);
    const TEncodeSummary summary = RunEncoding(job, {});
    EXPECT_EQ(summary.LeastArea, TEncode::AutoLeastArea(dir.File("grid.bmp"), white));
    EXPECT_EQ(summary.Dots, Present(*g.Grid)) << "white " << white;
    EXPECT_EQ(summary.Coded, summary.Dots);
    EXPECT_EQ(summary.Neted, summary.Dots);
    EXPECT_EQ(EncodingErrors(job, *g.Grid), "");
    EXPECT_EQ(summary.Origin, job.Coordinate().GetIndex(0, 0));

    // A given area keeps the specks (they are larger than one pixel).
    TEncode kept(dir.File("grid.bmp"), white, false, 50, 50);
    TEncodeRunOptions given;
    given.LeastArea = TLeastArea::Given(2);
    EXPECT_EQ(ExtractDots(kept, given), 2);
    EXPECT_EQ(kept.DotSum(), Present(*g.Grid) + specks);
  }
}

TEST(EncodeRun, HooksDrawPauseAndHearAboutTheOriginAndTheLeastArea) {
  TGridCase g = Grid(true, 6);
  auto job = Job(Copy(*g.Image), true, 50, true);
  TRgbSurface view(g.Image->Width(), g.Image->Height(), TColor{1, 2, 3});
  std::vector<int32_t> pauses;
  int32_t meanWhenAsked = -1, found = -1, netedWhenFound = 0;
  TEncodeRunHooks hooks;
  hooks.Canvas = &view;
  hooks.Delay = 7;
  hooks.Pause = [&](int32_t ms) { pauses.push_back(ms); };
  hooks.AskLeastArea = [&] {
    meanWhenAsked = job->AreaThreshold();  // asked once the picture is prepared, before any dot
    EXPECT_TRUE(job->DotInfo().empty());
    return 30;
  };
  hooks.OriginFound = [&](int32_t origin) {
    found = origin;
    for (const TDotInfo& d : job->DotInfo()) netedWhenFound += d.Neted ? 1 : 0;
  };
  hooks.OriginFailed = [] { ADD_FAILURE() << "the grid has an origin"; };
  const TEncodeSummary summary = RunEncoding(*job, {}, hooks);
  EXPECT_GT(meanWhenAsked, 60);  // the mean area of dots of radius 5
  EXPECT_EQ(summary.LeastArea, 30);
  EXPECT_EQ(found, summary.Origin);
  EXPECT_LE(netedWhenFound, 1);  // told before the walk
  EXPECT_EQ(EncodingErrors(*job, *g.Grid), "");
  EXPECT_EQ(pauses, std::vector<int32_t>(static_cast<size_t>(summary.Neted - 1), 7));
  // The walk redrew the picture on the view: the view shows the picture's pixels again.
  EXPECT_EQ(view.Pixel(0, 0), GrayColor(0));

  // The core's own pause is none: no delay, no call, whatever the job held before.
  auto quiet = Job(Copy(*g.Image), true);
  quiet->SetDelay(50);
  int32_t quietPauses = 0;
  quiet->SetPause([&](int32_t) { ++quietPauses; });
  RunEncoding(*quiet, {});
  EXPECT_EQ(quietPauses, 0);
}

TEST(EncodeRun, AnOriginNotFoundTellsTheShellThenRaisesThatSourcesMessage) {
  // One row of dots: no perpendicular neighbour, so no origin by any automatic source.
  auto row = Blank(200, 60, 0);
  for (int32_t x = 20; x < 190; x += 20) row->FillRect(255, x - 3, 27, x + 3, 33);
  struct TCase {
    TOriginSource Source;
    int32_t PickedDot;
    const char* Message;
  };
  for (TCase c : {TCase{TOriginSource::Automatic, -1, TEncode::AutoOriginFailedMessage},
                  TCase{TOriginSource::Pitch, -1, TEncode::RatioOriginFailedMessage},
                  TCase{TOriginSource::Picked, 999, TEncode::WrongOriginMessage}}) {
    auto job = Job(Copy(*row), true);
    TEncodeRunOptions options;
    options.Origin = c.Source;
    options.Pitch = {20, 20};
    options.PickedDot = c.PickedDot;
    ExtractDots(*job, options);
    ASSERT_EQ(job->DotSum(), 9);
    int32_t failed = 0;
    TEncodeRunHooks hooks;
    hooks.OriginFailed = [&] { ++failed; };
    hooks.OriginFound = [](int32_t) { ADD_FAILURE() << "no origin here"; };
    EXPECT_EQ(ErrorOf([&] { ContinueEncoding(*job, options, hooks); }), c.Message);
    EXPECT_EQ(failed, 1);
    for (const TDotInfo& d : job->DotInfo()) EXPECT_FALSE(d.Coded);
  }
}
