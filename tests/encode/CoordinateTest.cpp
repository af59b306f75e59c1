#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "base/Error.h"
#include "encode/Coordinate.h"
#include "support/Checks.h"

TEST(Coordinate, EveryPositionHoldsItsOwnEntryUpToTheInclusiveBounds) {
  TCoordinate table(3, 2);
  EXPECT_EQ(table.GetIndex(-3, 2), -1);  // empty at first
  int index = 0;
  for (int ny = -2; ny <= 2; ++ny)
    for (int nx = -3; nx <= 3; ++nx) table.SetIndex(nx, ny, index++);
  index = 0;
  for (int ny = -2; ny <= 2; ++ny)
    for (int nx = -3; nx <= 3; ++nx) EXPECT_EQ(table.GetIndex(nx, ny), index++);
  // The two range messages differ in their blanks.
  EXPECT_EQ(ErrorOf([&] { table.GetIndex(4, 0); }), "(4 ,0) not in the range");
  EXPECT_EQ(ErrorOf([&] { table.GetIndex(0, -3); }), "(0 ,-3) not in the range");
  EXPECT_EQ(ErrorOf([&] { table.SetIndex(-4, 2, 1); }), "(-4 , 2) not in the range");
  EXPECT_EQ(ErrorOf([&] { table.SetIndex(0, 3, 1); }), "(0 , 3) not in the range");
  TCoordinate single(0, 0);
  EXPECT_EQ(single.GetIndex(0, 0), -1);
  EXPECT_EQ(ErrorOf([&] { single.GetIndex(1, 0); }), "(1 ,0) not in the range");
}

TEST(Coordinate, NegativeOrHugeSizesAreRefusedWithTheAllocationMessage) {
  const std::string message = "No enough memory to allocate Coordinate System";
  EXPECT_EQ(ErrorOf([] { TCoordinate t(-1, 5); }), message);
  EXPECT_EQ(ErrorOf([] { TCoordinate t(5, -1); }), message);
  // Beyond the cap the text goes on: that it is a cap, and the options that lower the table.
  const std::string cap = message +
                          "\n(MaxNx 100000 and MaxNy 100000 ask for more than the cap of "
                          "134217728 grid positions; smaller MaxNx and MaxNy, the --max-nx and "
                          "--max-ny of encode, lift it)";
  EXPECT_EQ(ErrorOf([] { TCoordinate t(100000, 100000); }), cap);
  const std::string wrapped = ErrorOf([] { TCoordinate t(2147483647, 2147483647); });
  EXPECT_EQ(wrapped.substr(0, message.size() + 2), message + "\n(");  // wraps in 32 bits
}

TEST(Coordinate, TableForFewDotsKeepsOnlyTheirPositionsAndAnswersAsTheFullOne) {
  TCoordinate full(1000, 700), sparse(1000, 700, 3);
  EXPECT_FALSE(full.Sparse());
  EXPECT_TRUE(sparse.Sparse());
  EXPECT_FALSE(TCoordinate(1000, 700, 1000000).Sparse());  // enough dots to fill it
  const int32_t positions[][2] = {{5, 7}, {-1000, 700}, {1000, -700}, {-1, 7}, {5, 7}};
  int32_t index = 0;
  for (auto [nx, ny] : positions) {
    full.SetIndex(nx, ny, index);
    sparse.SetIndex(nx, ny, index++);  // the repeated position replaces its entry
  }
  std::vector<std::array<int32_t, 3>> seenFull, seenSparse;
  full.ForEachEntry([&](int32_t nx, int32_t ny, int32_t i) { seenFull.push_back({nx, ny, i}); });
  sparse.ForEachEntry([&](int32_t nx, int32_t ny, int32_t i) {
    seenSparse.push_back({nx, ny, i});
  });
  const std::vector<std::array<int32_t, 3>> rowByRow = {
      {1000, -700, 2}, {-1, 7, 3}, {5, 7, 4}, {-1000, 700, 1}};
  EXPECT_EQ(seenFull, rowByRow);
  EXPECT_EQ(seenSparse, rowByRow);
  for (int32_t ny = -700; ny <= 700; ny += 7)
    for (int32_t nx = -1000; nx <= 1000; nx += 5)
      ASSERT_EQ(sparse.GetIndex(nx, ny), full.GetIndex(nx, ny));
  EXPECT_EQ(ErrorOf([&] { sparse.GetIndex(1001, 0); }), "(1001 ,0) not in the range");
  EXPECT_EQ(ErrorOf([&] { sparse.SetIndex(0, -701, 1); }), "(0 , -701) not in the range");
}
