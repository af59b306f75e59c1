// Multi-area and simple segmentation runs against the per-pixel definition, and the progress
// drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "SegmentTestSupport.h"
#include "base/RgbSurface.h"
#include "segment/Segment.h"
#include "segment/Thresholdrow.h"

namespace {

// Smoothly varying light with dots and noise: window means differ from window to window.
uint8_t Lit(int32_t x, int32_t y, uint32_t seed) {
  const double light = 90 + 60 * std::sin(0.013 * x + 0.3 * seed) * std::cos(0.017 * y);
  const bool dot = (x % 9 < 4) && (y % 8 < 4);
  const uint32_t noise =
      (static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 40503u ^ seed) % 23;
  return static_cast<uint8_t>(std::clamp(light + (dot ? 70 : 0) + noise, 0.0, 255.0));
}

// Windows at levels from a small set, each dithered by -6..+6: the window thresholds differ by
// simple amounts, so many pixel thresholds land exactly on integers, and pixel values lie
// close to them - where a threshold one off would change the result.
uint8_t Staircase(int32_t x, int32_t y, int32_t size) {
  static const uint8_t levels[] = {100, 104, 112, 96, 100, 160, 40, 101};
  return static_cast<uint8_t>(levels[(x / size * 3 + y / size * 5) % 8] + (x * 7 + y * 3) % 13 - 6);
}

// Each window's threshold from its pixels: the truncated mean plus the adjustment, clamped.
void ExpectWindowThresholds(const TSegment& job, const std::vector<uint8_t>& original,
                            int32_t adjust) {
  const int32_t s = job.FWinSizeX, w = job.Width(), h = job.Height();
  const int32_t marginX = (w - w / s * s) / 2, marginY = (h - h / s * s) / 2;
  for (int32_t j = 0; j < h / s; ++j)
    for (int32_t i = 0; i < w / s; ++i) {
      int64_t sum = 0;
      for (int32_t y = marginY + j * s; y < marginY + (j + 1) * s; ++y)
        for (int32_t x = marginX + i * s; x < marginX + (i + 1) * s; ++x)
          sum += original[static_cast<size_t>(y) * w + x];
      ASSERT_EQ(job.GetThreshold(i, j), std::clamp<int64_t>(sum / (s * s) + adjust, 0, 255))
          << "window " << i << "," << j;
    }
}

class TRecordingSurface : public TRgbSurface {
 public:
  using TRgbSurface::TRgbSurface;
  void Flush() override { ++FFlushes; }
  int32_t FFlushes = 0;
};

}  // namespace

TEST(SegmentRun, MultiAreaMatchesThePerPixelDefinition) {
  struct TCase {
    int32_t W, H, Size;
  };
  const TCase cases[] = {{8, 8, 4},      {37, 29, 5},    {64, 48, 16},  {101, 77, 13},
                         {200, 150, 50}, {7, 9, 2},      {23, 31, 1},   {99, 60, 30},
                         {130, 67, 33},  {300, 211, 37}, {161, 120, 60}};
  std::mt19937 rng(11);
  int32_t runs = 0;
  for (const TCase& c : cases) {
    for (int pattern = 0; pattern < 3; ++pattern) {
      for (bool white : {true, false}) {
        for (int32_t adjust : {0, 7, -12}) {
          const auto seed = static_cast<uint32_t>(rng());
          auto job = MakeJob(c.W, c.H, [&](int32_t x, int32_t y) -> uint8_t {
            if (pattern == 0) return Lit(x, y, seed);
            if (pattern == 1) return Staircase(x, y, c.Size);
            return static_cast<uint8_t>((x * 131 + y * 71 + seed) % 256);
          });
          job->FWinSizeX = job->FWinSizeY = c.Size;
          job->FWhiteDots = white;
          const auto original = Pixels(job->Image());
          // The whole image, then a rectangle that is not the whole image.
          job->FAdjust = adjust;
          job->MultiAreaSegment(false, nullptr);
          ASSERT_EQ(Pixels(job->Image()),
                    SegmentByDefinition(*job, original, 0, 0, c.W - 1, c.H - 1))
              << c.W << "x" << c.H << " window " << c.Size << " pattern " << pattern;
          ExpectWindowThresholds(*job, original, adjust);
          std::memcpy(job->Image().Data(), original.data(), original.size());
          const int32_t x1 = static_cast<int32_t>(rng() % c.W);
          const int32_t y1 = static_cast<int32_t>(rng() % c.H);
          const int32_t x2 = x1 + static_cast<int32_t>(rng() % (c.W - x1));
          const int32_t y2 = y1 + static_cast<int32_t>(rng() % (c.H - y1));
          job->MultiAreaSegmentRect(false, nullptr, adjust, x1, y1, x2, y2);
          ASSERT_EQ(Pixels(job->Image()), SegmentByDefinition(*job, original, x1, y1, x2, y2))
              << c.W << "x" << c.H << " rectangle " << x1 << "," << y1 << "-" << x2 << "," << y2;
          ++runs;
        }
      }
    }
  }
  EXPECT_EQ(runs, 11 * 3 * 2 * 3);
}

TEST(SegmentRun, ExactlyIntegralThresholdsAreNotOneOff) {
  // Window rows alternate between 0 and 14: down a node column the threshold is exactly 7 half
  // way between two rows of centres, which plain double precision computes as 6.999... The
  // margin columns (outside every window, so the table does not depend on them) get the value
  // threshold - 1 everywhere: a threshold one too low would keep those pixels.
  const int32_t w = 64, h = 75, size = 6;  // margins of 2 columns and 1 row
  for (int32_t base : {0, 1}) {
    auto job = MakeJob(w, h, [&](int32_t, int32_t y) -> uint8_t {
      return static_cast<uint8_t>(base + ((y - 1) / size) % 2 * 14);
    });
    job->FWinSizeX = job->FWinSizeY = size;
    job->ComputeThresholds();
    int32_t armed = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x : {0, 1, w - 2, w - 1}) {
        const TCell c = job->LocateCell(x, y);
        const int32_t t = TSegment::InterpolateThreshold(c);
        job->Image().SetPixel(x, y, static_cast<uint8_t>(std::clamp(t - 1, 0, 255)));
        armed += t != NaiveDoubleBlend(c.Dy, c.H, EdgeQuotient(c.Dx, c.W, c.TL, c.TR),
                                       EdgeQuotient(c.Dx, c.W, c.BL, c.BR));
      }
    EXPECT_GT(armed, 20);
    const auto original = Pixels(job->Image());
    job->MultiAreaSegment(false, nullptr);
    EXPECT_EQ(Pixels(job->Image()), SegmentByDefinition(*job, original, 0, 0, w - 1, h - 1));
    EXPECT_EQ(job->Image().GetPixel(0, 1 + 3 + 3), 0);  // threshold 7 + base, value 6 + base
  }
}

TEST(SegmentRun, RectangleOutsideTheImageIsRefusedBeforeAnyPixelChanges) {
  auto job = MakeJob(20, 10, [](int32_t x, int32_t y) { return uint8_t(x * 10 + y); });
  job->FWinSizeX = job->FWinSizeY = 5;
  const auto before = Pixels(job->Image());
  EXPECT_EQ(ErrorOf([&] { job->MultiAreaSegmentRect(false, nullptr, 0, 3, 2, 20, 4); }),
            "(20,2) not in the gray image");
  EXPECT_EQ(ErrorOf([&] { job->MultiAreaSegmentRect(false, nullptr, 0, 3, 2, 19, 10); }),
            "(3,10) not in the gray image");
  EXPECT_EQ(ErrorOf([&] { job->SimpleSegmentRect(nullptr, 300, -1, 0, 5, 5); }),
            "(-1,0) not in the gray image");
  EXPECT_EQ(Pixels(job->Image()), before);
  // An empty rectangle changes nothing and is no error.
  job->MultiAreaSegmentRect(false, nullptr, 50, 5, 5, 4, 9);
  job->SimpleSegmentRect(nullptr, 300, 0, 3, 19, 2);
  EXPECT_EQ(Pixels(job->Image()), before);
}

TEST(SegmentRun, ProgressPaintsEveryPixelOfTheRectangleAndShowsEachRow) {
  auto job = MakeJob(30, 20, [](int32_t x, int32_t y) { return uint8_t(x * 8 + y * 3); });
  job->FWinSizeX = job->FWinSizeY = 6;
  TRecordingSurface surface(30, 20, clRed);
  job->MultiAreaSegmentRect(true, &surface, 0, 4, 3, 25, 15);
  EXPECT_TRUE(job->FShowProgress);
  EXPECT_EQ(surface.FFlushes, 13);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 30; ++x) {
      const bool inside = x >= 4 && x <= 25 && y >= 3 && y <= 15;
      ASSERT_EQ(surface.Pixel(x, y), inside ? GrayColor(job->Image().GetPixel(x, y)) : clRed);
    }

  TRecordingSurface other(30, 20, clRed);
  job->MultiAreaSegment(false, &other);  // not shown
  job->MultiAreaSegment(true, nullptr);  // shown, but there is nowhere to draw
  EXPECT_EQ(other.FFlushes, 0);
  EXPECT_EQ(other.Pixel(10, 10), clRed);
  // Simple segmentation draws when the job's FShowProgress is set and a surface is given.
  job->SimpleSegment(&other, 100);
  EXPECT_EQ(other.FFlushes, 20);
  EXPECT_EQ(other.Pixel(29, 19), GrayColor(job->Image().GetPixel(29, 19)));
}

TEST(SegmentRun, SimpleThresholdAgreesWithTheDefinitionAtEveryLevelAndBeyond) {
  auto ramp = [](int32_t x, int32_t y) { return static_cast<uint8_t>(x + 85 * y); };
  const std::vector<uint8_t> original = Pixels(MakeJob(256, 3, ramp)->Image());
  std::vector<int32_t> thresholds = {INT32_MIN, -40, 999, 1 << 30};
  for (int32_t t = -2; t <= 257; ++t) thresholds.push_back(t);
  for (bool white : {true, false})
    for (int32_t t : thresholds) {
      auto job = MakeJob(256, 3, ramp);
      job->FWhiteDots = white;
      job->SimpleSegment(nullptr, t);
      ASSERT_EQ(Pixels(job->Image()),
                SimpleSegmentByDefinition(original, 256, white, t, 0, 0, 255, 2))
          << white << " " << t;
      auto part = MakeJob(256, 3, ramp);
      part->FWhiteDots = white;
      part->SimpleSegmentRect(nullptr, t, 10, 1, 200, 2);
      ASSERT_EQ(Pixels(part->Image()),
                SimpleSegmentByDefinition(original, 256, white, t, 10, 1, 200, 2));
    }
}
