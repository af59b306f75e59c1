// The fast row kernel against the extended-precision blend, column by column, with every
// instruction set this processor has.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "SegmentTestSupport.h"
#include "segment/Thresholdrow.h"

namespace {

struct TColumn {
  float Top, Bottom;
};

std::vector<TLaneSet> AvailableLaneSets() {
  std::vector<TLaneSet> sets;
  for (TLaneSet set : {TLaneSet::Portable, TLaneSet::Sse2, TLaneSet::Avx}) {
    TThresholdRow probe;
    if (probe.SelectLanes(set)) sets.push_back(set);
  }
  return sets;
}

// Every row of a cell row of height h, every lane set, against BlendTruncate.
void ExpectRowsExact(const std::vector<TColumn>& columns, int32_t h, const char* what) {
  for (TLaneSet set : AvailableLaneSets()) {
    TThresholdRow rows;
    ASSERT_TRUE(rows.SelectLanes(set));
    rows.Reset(static_cast<int32_t>(columns.size()), h);
    for (size_t i = 0; i < columns.size(); ++i)
      rows.SetColumn(static_cast<int32_t>(i), columns[i].Top, columns[i].Bottom);
    const int32_t step = h > 4096 ? h / 4096 : 1;
    for (int32_t dy = 0; dy < h; dy += step) {
      const int16_t* got = rows.Compute(dy);
      for (size_t i = 0; i < columns.size(); ++i)
        ASSERT_EQ(got[i], Saturate16(BlendTruncate(dy, h, columns[i].Top, columns[i].Bottom)))
            << what << ": lanes " << static_cast<int>(set) << ", column " << i << " of "
            << columns.size() << ", dy " << dy << ", h " << h << ", top " << columns[i].Top
            << ", bottom " << columns[i].Bottom;
    }
  }
}

}  // namespace

TEST(ThresholdRow, EdgeQuotientRoundsOnceToSinglePrecision) {
  EXPECT_EQ(EdgeQuotient(1, 3, 0, 1), 1.0f / 3.0f);
  EXPECT_EQ(EdgeQuotient(2, 4, 95, 110), 102.5f);
  EXPECT_EQ(EdgeQuotient(0, 7, -255, 510), -255.0f);
  // 2^24 + 1 is not a float: the quotient is rounded from the exact value, once.
  EXPECT_EQ(EdgeQuotient(1, 1, 0, 16777217), 16777216.0f);
  EXPECT_EQ(BlendTruncate(1, 2, 147.5f, 149.0f), 148);
  EXPECT_EQ(BlendTruncate(1, 2, -1.0f, -2.5f), -1);
  EXPECT_EQ(BlendTruncate(0, 1, 3e9f, 0.0f), INT32_MAX);
  EXPECT_EQ(Saturate16(40000), 32767);
  EXPECT_EQ(Saturate16(-40000), -32768);
}

TEST(ThresholdRow, RandomCellRowsOfTheLattice) {
  std::mt19937 rng(7);
  for (int round = 0; round < 60; ++round) {
    const int32_t w = 1 + static_cast<int32_t>(rng() % 700);
    const int32_t h = 1 + static_cast<int32_t>(rng() % 400);
    const int32_t count = 1 + static_cast<int32_t>(rng() % 300);
    std::vector<TColumn> columns(static_cast<size_t>(count));
    int32_t corner[4] = {};
    for (int32_t i = 0; i < count; ++i) {
      const int32_t dx = i % w;
      if (dx == 0)
        for (int32_t& c : corner) c = static_cast<int32_t>(rng() % 766) - 255;
      columns[i] = {EdgeQuotient(dx, w, corner[0], corner[1]),
                    EdgeQuotient(dx, w, corner[2], corner[3])};
    }
    ExpectRowsExact(columns, h, "random");
  }
}

TEST(ThresholdRow, ValuesOnAndNextToIntegersAreExact) {
  // Thresholds that are exact integers part of the way down (naive double precision gets some
  // of them wrong), and edge values one float step either side of an integer.
  int32_t naiveWrong = 0;
  std::vector<TColumn> integral;
  for (int32_t d = 1; d <= 40; ++d)
    for (float top : {0.0f, 5.0f, -3.0f, 255.0f})
      integral.push_back({top, top + static_cast<float>(d)});
  for (int32_t h : {3, 6, 7, 9, 12, 49, 100, 197}) {
    ExpectRowsExact(integral, h, "integral");
    for (const TColumn& c : integral)
      for (int32_t dy = 0; dy < h; ++dy)
        naiveWrong +=
            NaiveDoubleBlend(dy, h, c.Top, c.Bottom) != BlendTruncate(dy, h, c.Top, c.Bottom);
  }
  EXPECT_GT(naiveWrong, 20);

  std::vector<TColumn> adjacent;
  for (float k : {0.0f, 1.0f, 2.0f, 7.0f, -1.0f, -6.0f, 100.0f, 255.0f, 256.0f}) {
    const float below = std::nextafter(k, -1e9f), above = std::nextafter(k, 1e9f);
    for (float top : {below, k, above})
      for (float bottom : {below, k, above, std::nextafter(above, 1e9f), k + 1, k - 1})
        adjacent.push_back({top, bottom});
  }
  for (int32_t h : {1, 2, 3, 5, 160, 1023, 1 << 20}) ExpectRowsExact(adjacent, h, "adjacent");

  // Tiny edges (1/w for wide cells), about zero from both sides.
  std::vector<TColumn> tiny;
  for (int32_t w : {3, 1000, 23170})
    for (int32_t a : {-2, -1, 0, 1, 2})
      for (int32_t b : {-1, 0, 1})
        tiny.push_back({EdgeQuotient(1, w, 0, a), EdgeQuotient(1, w, 0, b)});
  for (int32_t h : {2, 7, 23170}) ExpectRowsExact(tiny, h, "tiny");
}

TEST(ThresholdRow, ValuesBeyondTheCertifiedRangeAndEveryRowLength) {
  // Outside +-2^20 the kernel falls back to the extended blend; beyond 16 bits it saturates.
  ExpectRowsExact({{3e6f, -3e6f}, {40000.0f, 1.5f}, {-70000.25f, 12.0f}, {100.0f, 2e6f}}, 37,
                  "large");
  // Row lengths around the vector and block sizes; the padding never shows.
  std::mt19937 rng(3);
  for (int32_t count : {1, 2, 7, 8, 9, 15, 63, 64, 65, 127, 129, 200}) {
    std::vector<TColumn> columns(static_cast<size_t>(count));
    for (TColumn& c : columns)
      c = {static_cast<float>(rng() % 512) / 2.0f - 20, static_cast<float>(rng() % 512) / 4.0f};
    ExpectRowsExact(columns, 11, "lengths");
  }
}
