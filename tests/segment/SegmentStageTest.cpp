// The segmentation run of a batch: the options choose the filter, the method, the window and
// the dot colour; judged against where the true dots lie.
#include <gtest/gtest.h>

#include <cmath>

#include "SegmentTestSupport.h"
#include "segment/Segmentrun.h"
#include "synth/Synth.h"

namespace {

// Pixels well outside every dot must become background, pixels well inside must not; (5, 5)
// holds the speck.
std::string Misplaced(const TGrayImage& after, const TSynthGrid& grid, uint8_t background) {
  const double r = grid.Options().Radius;
  int32_t wrong = 0;
  for (int32_t y = 0; y < after.Height(); ++y) {
    for (int32_t x = 0; x < after.Width(); ++x) {
      double nearest = 1e9;
      for (const TSynthDot& d : grid.Dots())
        nearest = std::min(nearest, std::hypot(d.X0 - x, d.Y0 - y));
      const bool isBackground = after.GetPixel(x, y) == background;
      if (x == 5 && y == 5) continue;
      if (nearest > r + 2 && !isBackground) ++wrong;
      if (nearest < r - 2 && isBackground) ++wrong;
    }
  }
  return wrong == 0 ? "" : std::to_string(wrong) + " pixels misplaced";
}

}  // namespace

TEST(SegmentStage, EveryMethodSeparatesTheDotsOfEitherColour) {
  struct TCase {
    bool White;
    TSegmentRunOptions Run;
  };
  TSegmentRunOptions simple;
  simple.Threshold = 128;
  TSegmentRunOptions filtered;
  filtered.Median = 3;
  filtered.Window = 40;
  filtered.Adjust = 10;
  for (TCase c : {TCase{true, {}}, TCase{false, {}}, TCase{true, simple}, TCase{false, simple},
                  TCase{true, filtered}}) {
    TSynthOptions o;
    o.Width = 160;
    o.Height = 120;
    o.WhiteDots = c.White;
    o.Gradient = 20;
    TSynthGrid grid(o);
    TGrayImage picture;
    grid.Render(false, picture);
    auto job = MakeJob(160, 120, [&](int32_t x, int32_t y) { return picture.GetPixel(x, y); });
    // A speck in the background: only the median filter removes it.
    const uint8_t speck = c.White ? 255 : 0, background = c.White ? 0 : 255;
    job->Image().SetPixel(5, 5, speck);
    c.Run.WhiteDots = c.White;
    RunSegmentation(*job, c.Run);
    SCOPED_TRACE(testing::Message()
                 << "white " << c.White << " threshold " << c.Run.Threshold.value_or(-1));
    EXPECT_EQ(job->FWinSizeX, c.Run.Window.value_or(160 / 4));
    EXPECT_EQ(job->FAdjust, c.Run.Threshold ? 0 : c.Run.Adjust);
    EXPECT_EQ(job->Image().GetPixel(5, 5), c.Run.Median ? background : speck);
    EXPECT_EQ(Misplaced(job->Image(), grid, background), "");
  }
}
