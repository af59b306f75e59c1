#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "support/Checks.h"

TEST(Convert, IntegersAcceptSignsAndBlanksAndRefuseTheRestWithThePlatformMessage) {
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("  +160 "), 160);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"abc", "", "12a", "1.5", "2147483648", "- 3"})
    EXPECT_EQ(ErrorOf([bad] { StrToInt(bad); }),
              std::string("'") + bad + "' is not a valid integer value");
}

TEST(Convert, FloatsAreFiniteDecimalsOnly) {
  EXPECT_DOUBLE_EQ(StrToFloat(" -2.5 "), -2.5);
  EXPECT_DOUBLE_EQ(StrToFloat("3e-2"), 0.03);
  for (const char* bad : {"abc", "", "nan", "inf", "-inf", "1e999", "0x10", "1,5", "1.5.2"})
    EXPECT_EQ(ErrorOf([bad] { StrToFloat(bad); }),
              std::string("'") + bad + "' is not a valid floating point value");
}

TEST(Convert, ShortFloatTextIsWhatAPersonTypesAndReadsBackExactly) {
  EXPECT_EQ(ShortFloatToStr(399.73f), "399.73");
  EXPECT_EQ(ShortFloatToStr(0.05f), "0.05");
  EXPECT_EQ(ShortFloatToStr(-101.5f), "-101.5");
  EXPECT_EQ(ShortFloatToStr(0.0f), "0");
  for (float v : {1234.5678f, 1.0f / 3.0f, 6000.125f, 1e-6f, 3.4e38f})
    EXPECT_EQ(static_cast<float>(StrToFloat(ShortFloatToStr(v))), v);
}

TEST(Convert, FloatToStrUsesTheGeneralFormatWithFifteenDigits) {
  // Single-precision factors widened to double show their fifteen significant digits.
  EXPECT_EQ(FloatToStr(1234.5678f), "1234.56774902344");
  EXPECT_EQ(FloatToStr(-101.5), "-101.5");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(0.00001), "0.00001");
}

TEST(Convert, FormatFollowsPrintfWithoutAFixedBuffer) {
  EXPECT_EQ(Format("(%d , %d) not in the range", -51, 3), "(-51 , 3) not in the range");
  EXPECT_EQ(Format("%s", std::string(1000, 'x').c_str()).size(), 1000u);  // no fixed buffer
}

TEST(ErrorDisplay, PeriodAppendedOnlyAfterCharactersSortingAfterPeriod) {
  EXPECT_EQ(DisplayText("Do matching first"), "Do matching first.");
  EXPECT_EQ(DisplayText("value 7"), "value 7.");
  EXPECT_EQ(DisplayText("path/"), "path/.");
  for (const char* kept : {"ends in blank ", "not in the range)", "quote\"", "already.", ""})
    EXPECT_EQ(DisplayText(kept), kept);
}

TEST(PathHelpers, FileNameIsWhatFollowsTheLastSlash) {
  EXPECT_EQ(ExtractFileName("/data/run1/grid0.bmp"), "grid0.bmp");
  EXPECT_EQ(ExtractFileName("grid0.bmp"), "grid0.bmp");
  EXPECT_EQ(ExtractFileName("/data/"), "");
}

TEST(PathHelpers, ExtensionOfTheFileNamePartAndCaseFolding) {
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("/data/x.tar.RAW"), ".RAW");
  EXPECT_EQ(LowerCase("X.Raw"), "x.raw");
}

TEST(PathHelpers, DirectoryGetsExactlyOneTrailingSlash) {
  EXPECT_EQ(IncludeTrailingSlash("/data"), "/data/");
  EXPECT_EQ(IncludeTrailingSlash("/"), "/");
}

// The fast number writers against printf itself, the plain reference: every float class, the
// halfway cases printf rounds to even, both zeros, doubles of every exponent the exact integer
// path takes and beyond, huge values and non-finite ones, at every precision the files use.
TEST(Convert, FastWritersMatchPrintfByteForByte) {
  std::vector<double> values = {0.0,
                                -0.0,
                                0.0005,
                                -0.0005,
                                0.0015,
                                0.0025,
                                2.5e-4,
                                1e-30,
                                -1e-300,
                                5e-324,
                                3.4e38,
                                -3.4e38,
                                1e17,
                                1e300,
                                123456789.0625,
                                -7.0625,
                                0.0625,
                                -0.0625,
                                0.1875,
                                99999.9995,
                                4503599627370495.5,
                                9007199254740991.0,
                                9007199254740992.0,
                                446.700000762939453125,
                                std::nan(""),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity()};
  std::mt19937 rng(9);
  for (int i = 0; i < 20000; ++i) {
    // Floats as the dot coordinates are: random bits within a range of exponents.
    const float f =
        std::ldexp(static_cast<float>(rng() % (1u << 24)), static_cast<int>(rng() % 40) - 34);
    values.push_back(rng() % 2 ? f : -f);
    values.push_back(static_cast<double>(rng() % 2000001) / 16.0 - 62500.0);  // many halves
    const uint64_t mantissa = (uint64_t{rng()} << 32 | rng()) & ((uint64_t{1} << 52) - 1);
    double d = std::ldexp(1.0 + std::ldexp(static_cast<double>(mantissa), -52),
                          static_cast<int>(rng() % 140) - 80);
    if (i % 4 == 0) d = std::ldexp(std::round(d), -static_cast<int>(rng() % 10));
    values.push_back(i % 2 ? d : -d);
  }
  const std::pair<int, int> formats[] = {{8, 3}, {10, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 9}, {3, 0}};
  for (double v : values)
    for (const auto& [width, precision] : formats) {
      std::string fast;
      AppendFixed(fast, v, width, precision);
      char reference[512];
      std::snprintf(reference, sizeof reference, "%*.*f", width, precision, v);
      ASSERT_EQ(fast, reference) << v << " as %" << width << "." << precision << "f";
    }
  for (int64_t v : {int64_t{0}, int64_t{7}, int64_t{-7}, int64_t{123}, int64_t{-123},
                    int64_t{123456}, int64_t{-2147483648}}) {
    std::string fast;
    AppendInt(fast, v, 3);
    char reference[64];
    std::snprintf(reference, sizeof reference, "%3lld", static_cast<long long>(v));
    ASSERT_EQ(fast, reference) << v;
  }
}
