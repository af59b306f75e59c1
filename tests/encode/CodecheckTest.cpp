#include <gtest/gtest.h>

#include "encode/Codecheck.h"

namespace {

TDotInfo Dot(int32_t nx, int32_t ny, bool coded = true) {
  TDotInfo dot;
  dot.Nx = nx;
  dot.Ny = ny;
  dot.Coded = coded;
  return dot;
}

}  // namespace

TEST(Codecheck, CountsCodedDotsAndNamesTheFirstSharedPosition) {
  // Not coded dots carry stale indices: they neither count nor clash.
  std::vector<TDotInfo> dots{Dot(0, 0),  Dot(1, 0), Dot(1, 0, false),
                             Dot(-1, 2), Dot(1, 0), Dot(-1, 2)};
  TCodeCheck check = CheckCodes(dots, 6);
  EXPECT_EQ(check.Coded, 5);
  EXPECT_EQ(check.First, 1);
  EXPECT_EQ(check.Second, 4);
  EXPECT_EQ(check.Nx, 1);
  EXPECT_EQ(check.Ny, 0);
  // Positions differing only in Nx or Ny, including ones that would collide in a packed key
  // of the wrong width, are distinct.
  check =
      CheckCodes({Dot(0, 1), Dot(1, 0), Dot(-1, 0), Dot(0, -1), Dot(65536, 0), Dot(0, 65536)}, 6);
  EXPECT_EQ(check.Coded, 6);
  EXPECT_EQ(check.First, -1);
  // Only the first count dots, and never past the array.
  EXPECT_EQ(CheckCodes(dots, 4).First, -1);
  EXPECT_EQ(CheckCodes(dots, 4).Coded, 3);
  EXPECT_EQ(CheckCodes(dots, 100).Coded, 5);
  EXPECT_EQ(CheckCodes({Dot(0, 0, false)}, 1).Coded, 0);
}
