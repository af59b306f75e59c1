#include <gtest/gtest.h>

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
