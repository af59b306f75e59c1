// The window lattice, its thresholds, the cell search and the interpolation arithmetic.
#include <gtest/gtest.h>

#include <random>

#include "SegmentTestSupport.h"
#include "segment/Segment.h"

namespace {

uint8_t Gray100(int32_t, int32_t) {
  return 100;
}

}  // namespace

// The lattice itself (margins, centres, leftovers) is checked against the plain lattice on
// random tables below; window means on whole runs in SegmentRunTest.cpp.
TEST(SegmentLattice, WindowThresholdIsTruncatedMeanPlusAdjustClampedToGrayRange) {
  // Four 4 x 4 windows: uniform 250, uniform 10, and two with sums that do not divide evenly.
  auto job = MakeJob(8, 8, [](int32_t x, int32_t y) -> uint8_t {
    if (x < 4 && y < 4) return 250;
    if (x >= 4 && y < 4) return 10;
    if (x < 4) return (x == 0 && y == 4) ? 115 : 100;  // sum 1615, mean 100.9
    return (x + y) % 2 ? 51 : 50;                      // mean 50.5
  });
  job->FWinSizeX = job->FWinSizeY = 4;
  // Rows: adjust, then the thresholds of windows (0,0), (1,0), (0,1), (1,1).
  const int32_t rows[][5] = {{10, 255, 20, 110, 60}, {-20, 230, 0, 80, 30}};
  for (const auto& r : rows) {
    job->FAdjust = r[0];
    job->ComputeThresholds();
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(job->GetThreshold(k % 2, k / 2), r[1 + k]) << r[0];
  }
}

TEST(SegmentLattice, WindowSumsOfVeryLargeWindowsDoNotOverflow) {
  // 3000 x 3000 windows of white: 2.3e9 per window, past the 32-bit range.
  auto job = MakeJob(6000, 6000, [](int32_t, int32_t) -> uint8_t { return 255; });
  job->FWinSizeX = job->FWinSizeY = 3000;
  job->FAdjust = -55;
  job->ComputeThresholds();
  for (int32_t j = 0; j < 2; ++j)
    for (int32_t i = 0; i < 2; ++i) EXPECT_EQ(job->GetThreshold(i, j), 200);
}

TEST(SegmentLattice, WindowSizesAndTableAccessOutsideTheirRangesAreRefused) {
  auto job = MakeJob(640, 480, [](int32_t x, int32_t y) -> uint8_t {
    return static_cast<uint8_t>((x * 7 + y) % 256);
  });
  const auto before = Pixels(job->Image());
  for (int32_t size : {0, -3, 241, 320}) {
    job->FWinSizeX = job->FWinSizeY = size;
    EXPECT_EQ(
        ErrorOf([&] { job->MultiAreaSegment(false, nullptr); }),
        "Window size " + std::to_string(size) + " is out of range: it must lie between 1 and 240");
  }
  EXPECT_EQ(Pixels(job->Image()), before);
  EXPECT_EQ(ErrorOf([&] { job->GetThreshold(0, 0); }), "Window (0,0) not in the threshold table");
  EXPECT_EQ(ErrorOf([&] { job->LocateCell(0, 0); }), "The threshold table has not been computed");
  job->FWinSizeX = 240;
  job->FWinSizeY = 0;  // both directions are checked
  EXPECT_NE(ErrorOf([&] { job->ComputeThresholds(); }).find("Window size 0"), std::string::npos);
  job->FWinSizeY = 240;
  job->ComputeThresholds();
  EXPECT_EQ(job->WinNumY(), 2);
  job->SetThreshold(1, 1, 77);
  EXPECT_EQ(job->GetThreshold(1, 1), 77);
  EXPECT_EQ(ErrorOf([&] { job->SetThreshold(2, 0, 1); }),
            "Window (2,0) not in the threshold table");
  EXPECT_EQ(ErrorOf([&] { job->GetThreshold(0, -1); }), "Window (0,-1) not in the threshold table");

  auto thin = MakeJob(1, 5, Gray100);
  thin->FWinSizeX = thin->FWinSizeY = 1;
  EXPECT_EQ(ErrorOf([&] { thin->ComputeThresholds(); }),
            "The image (1 x 5 pixels) is too small for multi-area segmentation: both sides must "
            "be at least 2 pixels");
}

TEST(SegmentLattice, WorkedEightByEightExample) {
  auto job = MakeJob(8, 8, Gray100);
  job->FWinSizeX = job->FWinSizeY = 4;
  job->ComputeThresholds();
  EXPECT_EQ(job->FirstCenterX(), 2);
  EXPECT_EQ(job->LastCenterX(), 6);
  job->SetThreshold(0, 0, 100);
  job->SetThreshold(1, 0, 120);
  job->SetThreshold(0, 1, 110);
  job->SetThreshold(1, 1, 140);

  const TCell corner = job->LocateCell(0, 0);
  EXPECT_EQ(corner.TR, 95);  // up(0)
  EXPECT_EQ(corner.BL, 90);  // left(0)
  EXPECT_EQ(corner.BR, 100);
  EXPECT_EQ(corner.TL, 95);  // 285 div 3
  EXPECT_EQ(TSegment::InterpolateThreshold(corner), 95);

  const TCell top = job->LocateCell(4, 0);
  EXPECT_EQ(top.TL, 95);
  EXPECT_EQ(top.TR, 110);
  EXPECT_EQ(TSegment::InterpolateThreshold(top), 102);                    // 102.5
  EXPECT_EQ(TSegment::InterpolateThreshold(job->LocateCell(4, 4)), 117);  // 117.5

  const TCell far = job->LocateCell(7, 7);
  EXPECT_EQ(far.TL, 140);
  EXPECT_EQ(far.TR, 155);  // right(1)
  EXPECT_EQ(far.BL, 150);  // down(1)
  EXPECT_EQ(far.BR, 148);  // 445 div 3
  EXPECT_EQ(far.Dx, 1);
  EXPECT_EQ(far.W, 2);
  EXPECT_EQ(TSegment::InterpolateThreshold(far), 148);  // 148.25
}

TEST(SegmentLattice, CellsAndThresholdsMatchTheDefinitionOnRandomTables) {
  std::mt19937 rng(31);
  // Sizes with even and odd leftovers, the smallest and the largest windows.
  const int32_t cases[][3] = {{8, 8, 4},    {13, 11, 4}, {37, 29, 5},  {64, 48, 16}, {101, 77, 13},
                              {99, 60, 30}, {23, 31, 1}, {50, 21, 10}, {7, 9, 3},    {126, 95, 19}};
  for (const auto& c : cases) {
    auto job = MakeJob(c[0], c[1], Gray100);
    job->FWinSizeX = job->FWinSizeY = c[2];
    job->ComputeThresholds();
    TPlainLattice plain(c[0], c[1], c[2], c[2]);
    ASSERT_EQ(job->WinNumX(), plain.N);
    ASSERT_EQ(job->WinNumY(), plain.M);
    EXPECT_EQ(job->FirstCenterX(), plain.FirstX);
    EXPECT_EQ(job->LastCenterY(), plain.LastY);
    for (int round = 0; round < 3; ++round) {
      for (int32_t j = 0; j < plain.M; ++j)
        for (int32_t i = 0; i < plain.N; ++i) {
          const int32_t t = round == 2 ? static_cast<int32_t>(rng() % 2) * 255
                                       : static_cast<int32_t>(rng() % 256);
          job->SetThreshold(i, j, t);
          plain.T[static_cast<size_t>(j) * plain.N + i] = t;
        }
      for (int32_t y = 0; y < c[1]; ++y)
        for (int32_t x = 0; x < c[0]; ++x) {
          const TCell got = job->LocateCell(x, y);
          const TCell want = plain.Locate(x, y);
          ASSERT_EQ(std::tie(got.TL, got.TR, got.BL, got.BR, got.Dx, got.Dy, got.W, got.H),
                    std::tie(want.TL, want.TR, want.BL, want.BR, want.Dx, want.Dy, want.W, want.H))
              << c[0] << "x" << c[1] << " window " << c[2] << " at (" << x << "," << y << ")";
          ASSERT_EQ(TSegment::InterpolateThreshold(got), plain.Threshold(x, y));
        }
      // Every window centre gets exactly its window's threshold.
      for (int32_t j = 0; j < plain.M; ++j)
        for (int32_t i = 0; i < plain.N; ++i)
          EXPECT_EQ(TSegment::InterpolateThreshold(
                        job->LocateCell(plain.FirstX + i * c[2], plain.FirstY + j * c[2])),
                    plain.At(i, j));
    }
  }
}

TEST(SegmentLattice, InterpolationRoundsEdgesToSingleAndTruncatesTheBlendTowardZero) {
  // Extrapolated corners may be negative or above 255: not clamped, truncated toward zero.
  EXPECT_EQ(TSegment::InterpolateThreshold(1, 0, 2, 1, -3, 0, 0, 0), -1);  // -1.5
  EXPECT_EQ(TSegment::InterpolateThreshold(0, 1, 1, 3, 0, 0, -2, 0), 0);   // -0.67
  EXPECT_EQ(TSegment::InterpolateThreshold(1, 1, 2, 2, 300, 301, 302, 303), 301);
  // Edges 1/3 and 7/3 blend to exactly 1 in rational arithmetic, but 7/3 rounds down in single
  // precision, so the blend is 0.99999998 and truncates to 0.
  EXPECT_EQ(TSegment::InterpolateThreshold(1, 1, 3, 3, 0, 1, 3, 1), 0);
  EXPECT_EQ(TSegment::InterpolateThreshold(1, 3, 3, 4, 0, 3, 3, 1), 1);  // 1.99999994

  std::mt19937 rng(5);
  for (int k = 0; k < 200000; ++k) {
    const int32_t w = 1 + static_cast<int32_t>(rng() % 3000);
    const int32_t h = 1 + static_cast<int32_t>(rng() % 3000);
    const int32_t dx = static_cast<int32_t>(rng() % w), dy = static_cast<int32_t>(rng() % h);
    int32_t t[4];
    for (int32_t& v : t) v = static_cast<int32_t>(rng() % 766) - 255;  // the extrapolated range
    ASSERT_EQ(TSegment::InterpolateThreshold(dx, dy, w, h, t[0], t[1], t[2], t[3]),
              PlainInterpolate(dx, dy, w, h, t[0], t[1], t[2], t[3]));
  }
  EXPECT_NE(ErrorOf([] { TSegment::InterpolateThreshold(0, 0, 0, 1, 1, 1, 1, 1); }), "(no error)");
}
