#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>

#include "base/Convert.h"
#include "match/RowText.h"

namespace {

std::string Fixed(double value, int width) {
  TRowText row;
  row.Fixed3(value, width);
  return std::string(row.View());
}

std::string Int(int32_t value, int width) {
  TRowText row;
  row.Int(value, width);
  return std::string(row.View());
}

}  // namespace

// The result rows are built without printf; they must be what printf gives, digit for digit.
TEST(RowText, FixedAgreesWithPrintfOnFloatsOfEveryMagnitude) {
  std::mt19937 random(11);
  for (int n = 0; n < 300000; ++n) {
    float value;
    if (n % 3 == 0) {
      auto bits = static_cast<uint32_t>(random());
      std::memcpy(&value, &bits, sizeof value);
      if (!std::isfinite(value)) continue;
    } else {
      // Pixel-sized values with few fraction bits, where exact ties of the rounding occur.
      value = std::ldexp(static_cast<float>(static_cast<int32_t>(random() % 2000000) - 1000000),
                         -static_cast<int>(random() % 12));
    }
    ASSERT_EQ(Fixed(value, 10), Format("%10.3f", static_cast<double>(value))) << value;
  }
  // Doubles (such as height - y) of every exponent that the exact integer path takes and
  // beyond, and values with a few fraction bits where the rounding ties.
  for (int n = 0; n < 300000; ++n) {
    const uint64_t mantissa = (uint64_t{random()} << 32 | random()) & ((uint64_t{1} << 52) - 1);
    const int exponent = static_cast<int>(random() % 140) - 80;
    double value = std::ldexp(1.0 + std::ldexp(static_cast<double>(mantissa), -52), exponent);
    if (n % 4 == 0) value = std::ldexp(std::round(value), -static_cast<int>(random() % 10));
    if (n % 2 == 0) value = -value;
    ASSERT_EQ(Fixed(value, 10), Format("%10.3f", value)) << value;
  }
  // 446.700000762939453125 is 480 - 33.3f, a height minus a single-precision y.
  const double edges[][8] = {
      {0.0, -0.0, 0.0005, -0.0005, 0.0015, 0.0025, 0.0625, -0.0625},
      {0.1875, 2.5e-4, 1e-30, -1e-300, 5e-324, 1e17, FLT_MAX, -DBL_MAX},
      {99999.9995, 4503599627370495.5, 9007199254740991.0, 9007199254740992.0, -12345678.9,
       446.700000762939453125, INFINITY, -INFINITY}};
  for (const auto& row : edges)
    for (double value : row) EXPECT_EQ(Fixed(value, 10), Format("%10.3f", value)) << value;
}

TEST(RowText, IntAndTextAgreeWithPrintf) {
  for (int32_t value : {0, 7, -7, 99999, -9999, 100000, -10000, INT_MAX, INT_MIN})
    EXPECT_EQ(Int(value, 5), Format("%5d", value));
  TRowText row;
  row.Text(" ");
  row.Int(-3, 5);
  row.Text("  ");
  row.Fixed3(1.5, 10);
  EXPECT_EQ(row.View(), Format(" %5d  %10.3f", -3, 1.5));
  row.Clear();
  EXPECT_EQ(row.View(), "");
}
