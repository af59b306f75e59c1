#include <gtest/gtest.h>

#include "base/Error.h"
#include "encode/Coordinate.h"
#include "support/Checks.h"

TEST(Coordinate, NewTableIsEmptyUpToItsCorners) {
  TCoordinate table(50, 50);
  for (int nx : {-50, 0, 50})
    for (int ny : {-50, 0, 50}) EXPECT_EQ(table.GetIndex(nx, ny), -1);
  TCoordinate single(0, 0);
  EXPECT_EQ(single.GetIndex(0, 0), -1);
  EXPECT_EQ(ErrorOf([&] { single.GetIndex(1, 0); }), "(1 ,0) not in the range");
}

TEST(Coordinate, StoreAndLookUpAtEveryPositionKeepTheLayout) {
  TCoordinate table(3, 2);
  int index = 0;
  for (int ny = -2; ny <= 2; ++ny)
    for (int nx = -3; nx <= 3; ++nx) table.SetIndex(nx, ny, index++);
  index = 0;
  for (int ny = -2; ny <= 2; ++ny)
    for (int nx = -3; nx <= 3; ++nx) EXPECT_EQ(table.GetIndex(nx, ny), index++);
  table.SetIndex(1, 1, 99);  // a second store replaces the first
  EXPECT_EQ(table.GetIndex(1, 1), 99);
}

TEST(Coordinate, OutsideTheTableRaisesTheTwoRangeMessages) {
  TCoordinate table(50, 40);
  EXPECT_EQ(ErrorOf([&] { table.GetIndex(51, 0); }), "(51 ,0) not in the range");
  EXPECT_EQ(ErrorOf([&] { table.GetIndex(0, -41); }), "(0 ,-41) not in the range");
  EXPECT_EQ(ErrorOf([&] { table.SetIndex(-51, 3, 1); }), "(-51 , 3) not in the range");
  EXPECT_EQ(ErrorOf([&] { table.SetIndex(0, 41, 1); }), "(0 , 41) not in the range");
  EXPECT_NO_THROW(table.SetIndex(50, -40, 7));
}

TEST(Coordinate, NegativeOrHugeSizesAreRefusedWithTheAllocationMessage) {
  const std::string message = "No enough memory to allocate Coordinate System";
  EXPECT_EQ(ErrorOf([] { TCoordinate t(-1, 5); }), message);
  EXPECT_EQ(ErrorOf([] { TCoordinate t(5, -1); }), message);
  EXPECT_EQ(ErrorOf([] { TCoordinate t(2147483647, 2147483647); }), message);  // wraps in 32 bits
  EXPECT_EQ(ErrorOf([] { TCoordinate t(100000, 100000); }), message);
  EXPECT_NO_THROW(TCoordinate(60, 40));
}
