#include <gtest/gtest.h>

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
  EXPECT_EQ(ErrorOf([] { TCoordinate t(2147483647, 2147483647); }), message);  // wraps in 32 bits
  EXPECT_EQ(ErrorOf([] { TCoordinate t(100000, 100000); }), message);
}
