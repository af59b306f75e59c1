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

TTestCodeFile Grid(int32_t columns, int32_t rows) {
  TTestCodeFile file;
  int32_t number = 0;
  for (int32_t ny = rows / 2; ny >= -(rows / 2); --ny)
    for (int32_t nx = -(columns / 2); nx <= columns / 2; ++nx)
      file.Dots.push_back({number++, 300 + 20.0 * nx, 240 - 20.0 * ny, nx, ny});
  return file;
}

}  // namespace

TEST_F(Matching, SameFileTwicePairsEveryPositionWithItselfAndMarksTheRowsUsed) {
  TTestCodeFile file = Grid(5, 3);
  std::string path = Put("a.cod", file);
  TMatch match(path, path);
  match.Match();
  ASSERT_EQ(match.FMatchSum, 15);
  for (int32_t k = 0; k < match.FMatchSum; ++k) {
    EXPECT_EQ(match.FDisplacement[k].x, 0.0f) << k;
    EXPECT_EQ(match.FDisplacement[k].y, 0.0f) << k;
  }
  for (size_t row = 0; row < 15; ++row) EXPECT_TRUE(match.FDotInfo[0][row].Matched) << row;
}

// Pairing by a plain reference: files of up to 60 rows on at most 121 positions, positions outside
// the common range of two tables of different sizes are dropped, pairs are ordered by (Ny, Nx), the
// displacement is deformed minus initial with y up, and the result arrays have room for the smaller
// file.
TEST_F(Matching, AgreesWithAReferencePairingOnRandomFiles) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    TTestCodeFile files[2];
    std::map<std::pair<int, int>, int32_t> last[2];  // (Ny, Nx) -> row
    for (int i = 0; i < 2; ++i) {
      files[i].MaxNx = static_cast<int32_t>(random() % 6);
      files[i].MaxNy = static_cast<int32_t>(random() % 6);
      const int rows = static_cast<int>(random() % 60);
      for (int draw = 0; draw < rows; ++draw) {
        int nx = static_cast<int>(random() % (2 * files[i].MaxNx + 1)) - files[i].MaxNx;
        int ny = static_cast<int>(random() % (2 * files[i].MaxNy + 1)) - files[i].MaxNy;
        if (last[i].count({ny, nx}) > 0) continue;  // a file holds each position once
        const int k = static_cast<int>(files[i].Dots.size());
        files[i].Dots.push_back({k, static_cast<double>(random() % 100000) / 8.0,
                                 static_cast<double>(random() % 100000) / 8.0, nx, ny});
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
    EXPECT_EQ(match.FMatchIndex.size(), std::min(files[0].Dots.size(), files[1].Dots.size()));
    EXPECT_EQ(match.FDisplacement.size(), match.FMatchIndex.size());
    for (size_t k = 0; k < expected.size(); ++k) {
      const auto [i0, i1] = expected[k];
      EXPECT_EQ(match.FMatchIndex[k], i0);
      EXPECT_EQ(match.FDisplacement[k].x, match.FDotInfo[1][i1].x - match.FDotInfo[0][i0].x);
      EXPECT_EQ(match.FDisplacement[k].y, match.FDotInfo[0][i0].y - match.FDotInfo[1][i1].y);
    }
  }
}
