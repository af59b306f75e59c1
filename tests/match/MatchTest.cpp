#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <utility>

#include "CodeFiles.h"
#include "match/Match.h"
#include "support/TempDir.h"

namespace {

class Matching : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const TTestCodeFile& file) {
    std::string path = FDir.File(name);
    WriteFileBytes(path, CodeFileText(file));
    return path;
  }
  TTempDir FDir;
};

TTestCodeFile Grid(int32_t columns, int32_t rows, double shiftX = 0, double shiftY = 0) {
  TTestCodeFile file;
  int32_t number = 0;
  for (int32_t ny = rows / 2; ny >= -(rows / 2); --ny)
    for (int32_t nx = -(columns / 2); nx <= columns / 2; ++nx)
      file.Dots.push_back({number++, 300 + 20.0 * nx + shiftX, 240 - 20.0 * ny + shiftY, nx, ny});
  return file;
}

}  // namespace

TEST_F(Matching, SameFileTwicePairsEveryDotWithItself) {
  TTestCodeFile file = Grid(5, 3);
  file.Dots.push_back({99, 1.0, 2.0, 0, 0});  // takes (0, 0) from the earlier row
  std::string path = Put("a.cod", file);
  TMatch match(path, path);
  match.Match();
  EXPECT_EQ(match.FMatchSum, 15);  // distinct grid positions, not rows
  EXPECT_EQ(match.FMatchIndex.size(), 16u);
  EXPECT_EQ(match.FDisplacement.size(), 16u);
  for (int32_t k = 0; k < match.FMatchSum; ++k) {
    EXPECT_EQ(match.FDisplacement[k].x, 0.0f);
    EXPECT_EQ(match.FDisplacement[k].y, 0.0f);
  }
  int32_t matched = 0;
  for (const TDotInfo& dot : match.FDotInfo[0]) matched += dot.Matched;
  EXPECT_EQ(matched, 15);
  EXPECT_FALSE(match.FDotInfo[0][7].Matched);  // the earlier dot at (0, 0)
  EXPECT_TRUE(match.FDotInfo[1][15].Matched);
}

TEST_F(Matching, PairsComeRowByRowFromTheLowestNy) {
  std::string a = Put("a.cod", {.Dots = {{0, 1, 1, -5, 0}, {1, 2, 2, 5, -1}, {2, 3, 3, 0, 0}}});
  std::string b = Put("b.cod", {.Dots = {{0, 4, 4, 0, 0}, {1, 5, 5, -5, 0}, {2, 6, 6, 5, -1}}});
  TMatch match(a, b);
  match.Match();
  ASSERT_EQ(match.FMatchSum, 3);
  EXPECT_EQ(match.FMatchIndex[0], 1);  // (5, -1)
  EXPECT_EQ(match.FMatchIndex[1], 0);  // (-5, 0)
  EXPECT_EQ(match.FMatchIndex[2], 2);  // (0, 0)
  EXPECT_EQ(match.FDisplacement[1].x, 5.0f - 1.0f);
}

TEST_F(Matching, OnlyTheCommonGridRangeIsWalked) {
  // A position can only be held by both files inside both tables, so the dot at Nx = 7 of the
  // wider file stays alone; the edges of the common range (6, 9) are walked.
  std::string a =
      Put("a.cod",
          {.Dots = {{0, 1, 1, 7, 0}, {1, 1, 1, 6, 9}, {2, 1, 1, -6, -9}}, .MaxNx = 8, .MaxNy = 9});
  std::string b = Put(
      "b.cod",
      {.Dots = {{0, 2, 2, 6, 10}, {1, 2, 2, 6, 9}, {2, 2, 2, -6, -9}}, .MaxNx = 6, .MaxNy = 10});
  TMatch match(a, b);
  match.Match();
  EXPECT_EQ(match.FMaxNx, 6);
  EXPECT_EQ(match.FMaxNy, 9);
  ASSERT_EQ(match.FMatchSum, 2);
  EXPECT_EQ(match.FMatchIndex[0], 2);
  EXPECT_EQ(match.FMatchIndex[1], 1);
  EXPECT_FALSE(match.FDotInfo[0][0].Matched);
  EXPECT_FALSE(match.FDotInfo[1][0].Matched);
}

TEST_F(Matching, ResultArraysHaveRoomForTheSmallerFile) {
  TTestCodeFile big = Grid(11, 11);  // 121 dots
  big.Dots.pop_back();
  TTestCodeFile small = Grid(11, 11);
  small.Dots.resize(100);
  TMatch match(Put("a.cod", big), Put("b.cod", small));
  match.Match();
  EXPECT_EQ(match.FMatchIndex.size(), 100u);
  EXPECT_EQ(match.FDisplacement.size(), 100u);
  EXPECT_EQ(match.FMatchSum, 100);

  TMatch none(Put("c.cod", big), Put("d.cod", {}));
  none.Match();
  EXPECT_EQ(none.FMatchSum, 0);
  EXPECT_TRUE(none.FMatchIndex.empty());
  EXPECT_TRUE(none.FDisplacement.empty());

  TTestCodeFile apart = Grid(3, 3);
  for (TTestDot& dot : apart.Dots) dot.Nx += 10;
  TMatch disjoint(Put("e.cod", Grid(3, 3)), Put("f.cod", apart));
  disjoint.Match();
  EXPECT_EQ(disjoint.FMatchSum, 0);
  EXPECT_EQ(disjoint.FMatchIndex.size(), 9u);
}

TEST_F(Matching, DisplacementIsDeformedMinusInitialWithYUp) {
  // Moves right and up in the picture: x grows, the image row shrinks.
  std::string a = Put("a.cod", {.Dots = {{0, 100, 200, 0, 0}, {1, 130.25, 200, 1, 0}}});
  std::string b = Put("b.cod", {.Dots = {{0, 101.5, 198, 0, 0}, {1, 131, 200.5, 1, 0}}});
  TMatch match(a, b);
  match.Match();
  ASSERT_EQ(match.FMatchSum, 2);
  EXPECT_EQ(match.FDisplacement[0].x, 1.5f);
  EXPECT_EQ(match.FDisplacement[0].y, 2.0f);
  EXPECT_EQ(match.FDisplacement[1].x, 131.0f - 130.25f);
  EXPECT_EQ(match.FDisplacement[1].y, -0.5f);
}

// Pairing by a plain reference: the last row of each file at a position wins, positions outside
// the common range are dropped, and pairs are ordered by (Ny, Nx).
TEST_F(Matching, AgreesWithAReferencePairingOnRandomFiles) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    TTestCodeFile files[2];
    std::map<std::pair<int, int>, int32_t> last[2];  // (Ny, Nx) -> row
    for (int i = 0; i < 2; ++i) {
      files[i].MaxNx = static_cast<int32_t>(random() % 6);
      files[i].MaxNy = static_cast<int32_t>(random() % 6);
      const int rows = static_cast<int>(random() % 60);
      for (int k = 0; k < rows; ++k) {
        int nx = static_cast<int>(random() % (2 * files[i].MaxNx + 1)) - files[i].MaxNx;
        int ny = static_cast<int>(random() % (2 * files[i].MaxNy + 1)) - files[i].MaxNy;
        files[i].Dots.push_back({k, (random() % 100000) / 8.0, (random() % 100000) / 8.0, nx, ny});
        last[i][{ny, nx}] = k;
      }
    }
    TMatch match(Put("a.cod", files[0]), Put("b.cod", files[1]));
    match.Match();
    const int maxNx = std::min(files[0].MaxNx, files[1].MaxNx);
    const int maxNy = std::min(files[0].MaxNy, files[1].MaxNy);
    std::vector<std::pair<int32_t, int32_t>> expected;  // (row in file 0, row in file 1)
    for (const auto& [position, row0] : last[0]) {
      auto other = last[1].find(position);
      if (other == last[1].end() || std::abs(position.first) > maxNy ||
          std::abs(position.second) > maxNx)
        continue;
      expected.push_back({row0, other->second});
    }
    ASSERT_EQ(match.FMatchSum, static_cast<int32_t>(expected.size())) << "round " << round;
    for (size_t k = 0; k < expected.size(); ++k) {
      const auto [i0, i1] = expected[k];
      EXPECT_EQ(match.FMatchIndex[k], i0);
      EXPECT_EQ(match.FDisplacement[k].x, match.FDotInfo[1][i1].x - match.FDotInfo[0][i0].x);
      EXPECT_EQ(match.FDisplacement[k].y, match.FDotInfo[0][i0].y - match.FDotInfo[1][i1].y);
    }
  }
}
