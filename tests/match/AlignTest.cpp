#include <gtest/gtest.h>

#include <cmath>

#include "CodeFiles.h"
#include "match/Match.h"
#include "match/Matchalign.h"
#include "support/TempDir.h"

namespace {

// A 9 x 7 grid of pitch 20 rotated by deg, moved by (tx, ty) pixels, whose indices are those of
// the physical dots plus (sx, sy): as if its origin had been picked sx, sy dots away.
TTestCodeFile Grid(double deg, double tx, double ty, int32_t sx, int32_t sy) {
  const double a = deg * 3.14159265358979 / 180, c = std::cos(a), s = std::sin(a);
  TTestCodeFile file;
  int32_t number = 0;
  for (int32_t ny = 3; ny >= -3; --ny)
    for (int32_t nx = -4; nx <= 4; ++nx) {
      const double gx = 20.0 * nx, gy = -20.0 * ny;  // y down in the picture
      file.Dots.push_back(
          {number++, 320 + c * gx - s * gy + tx, 240 + s * gx + c * gy + ty, nx - sx, ny - sy});
    }
  return file;
}

}  // namespace

TEST(Align, WholePitchOffsetsAreFoundAndRemovedAndTrueMotionsAreLeftAlone) {
  struct TCase {
    double Deg, Tx, Ty;
    int32_t Sx, Sy;
  };
  const TCase cases[] = {{0, 0.37, -0.23, 1, 0}, {0, 0.37, -0.23, 0, -1}, {45, 0.5, 0.2, -1, 2},
                         {-30, 7.5, -3, 2, 1},   {0, 8, 0, 0, 0},         {45, -6, 5, 0, 0}};
  TTempDir dir;
  const std::string initial = dir.File("initial.cod");
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Deg << " deg, offset " << c.Sx << " " << c.Sy);
    // The initial grid is rotated as well: both pictures show the same grid.
    WriteFileBytes(initial, CodeFileText(Grid(c.Deg, 0, 0, 0, 0)));
    const std::string deformed = dir.File("deformed.cod");
    WriteFileBytes(deformed, CodeFileText(Grid(c.Deg, c.Tx, c.Ty, c.Sx, c.Sy)));
    TMatch match(initial, deformed);
    match.Match();
    // Before: only the overlap of the two index ranges pairs, each dot with another one.
    EXPECT_EQ(match.FMatchSum, (9 - std::abs(c.Sx)) * (7 - std::abs(c.Sy)));
    const TMatchAlignment a = MeasureAlignment(match);
    EXPECT_NEAR(a.Pitch, 20, 0.01);
    EXPECT_EQ(a.OffsetNx, c.Sx);
    EXPECT_EQ(a.OffsetNy, c.Sy);
    EXPECT_EQ(a.Suspicious(), c.Sx != 0 || c.Sy != 0);
    AlignDeformed(match, a.OffsetNx, a.OffsetNy);
    // Every pair now joins a dot with itself: the true motion, dy with the y axis up.
    EXPECT_EQ(match.FMatchSum, 63);
    for (int32_t k = 0; k < match.FMatchSum; ++k) {
      ASSERT_NEAR(match.FDisplacement[k].x, c.Tx, 1e-3) << k;
      ASSERT_NEAR(match.FDisplacement[k].y, -c.Ty, 1e-3) << k;
    }
    EXPECT_FALSE(MeasureAlignment(match).Suspicious());
  }
}

TEST(Align, WarningSaysPitchesOrTurnAndNothingIsMeasuredWithoutPairs) {
  TMatchAlignment a;
  a.OffsetNx = 1;
  a.MedianDx = 30, a.Pitch = 20;
  const std::string warning = AlignmentWarning(a);
  EXPECT_NE(warning.find("is 1.50 grid pitches (pitch 20.00): either the grid moved that far, or "
                         "the two code files index it from origins (1, 0) dots apart"),
            std::string::npos)
      << warning;
  EXPECT_NE(warning.find("--reference INITIAL.cod"), std::string::npos);
  a.TurnDeg = 90;
  EXPECT_TRUE(a.AxesDiffer());
  EXPECT_NE(AlignmentWarning(a).find("axes turned by 90.0 degrees"), std::string::npos);

  TTempDir dir;
  TTestCodeFile empty;
  const std::string path = dir.File("empty.cod");
  WriteFileBytes(path, CodeFileText(empty));
  TMatch match(path, path);
  match.Match();
  EXPECT_FALSE(MeasureAlignment(match).Suspicious());
  EXPECT_EQ(MeasureAlignment(match).Pitch, 0);
}
