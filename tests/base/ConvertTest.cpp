#include <gtest/gtest.h>

#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "support/Checks.h"

TEST(Convert, IntegersAcceptSignsAndSurroundingBlanks) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("  160 "), 160);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(Convert, BadIntegersRaiseThePlatformMessage) {
  EXPECT_EQ(ErrorOf([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
  EXPECT_EQ(ErrorOf([] { StrToInt(""); }), "'' is not a valid integer value");
  EXPECT_EQ(ErrorOf([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
  EXPECT_EQ(ErrorOf([] { StrToInt("1.5"); }), "'1.5' is not a valid integer value");
  EXPECT_EQ(ErrorOf([] { StrToInt("2147483648"); }), "'2147483648' is not a valid integer value");
  EXPECT_EQ(ErrorOf([] { StrToInt("- 3"); }), "'- 3' is not a valid integer value");
}

TEST(Convert, FloatsAreFiniteDecimalsOnly) {
  EXPECT_DOUBLE_EQ(StrToFloat("1.0"), 1.0);
  EXPECT_DOUBLE_EQ(StrToFloat(" -2.5 "), -2.5);
  EXPECT_DOUBLE_EQ(StrToFloat("3e-2"), 0.03);
  EXPECT_DOUBLE_EQ(StrToFloat("20"), 20.0);
  for (const char* bad : {"abc", "", "nan", "inf", "-inf", "1e999", "0x10", "1,5", "1.5.2"})
    EXPECT_EQ(ErrorOf([bad] { StrToFloat(bad); }),
              std::string("'") + bad + "' is not a valid floating point value")
        << bad;
}

TEST(Convert, GeneralFormatShowsSinglePrecisionFactorsWithFifteenDigits) {
  EXPECT_EQ(FloatToStr(0.1f), "0.100000001490116");
  EXPECT_EQ(FloatToStr(5.0f / 250.0f), "0.0199999995529652");
  EXPECT_EQ(FloatToStr(static_cast<float>(5.0 / 200.0)), "0.025000000372529");
  EXPECT_EQ(FloatToStr(1.0f), "1");
  EXPECT_EQ(FloatToStr(0.5), "0.5");
  EXPECT_EQ(FloatToStr(-101.5), "-101.5");
  EXPECT_EQ(FloatToStr(1234.5678f), "1234.56774902344");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(0.00001), "0.00001");
}

TEST(Convert, FormatIsPrintfStyle) {
  EXPECT_EQ(Format("(%d , %d) not in the range", -51, 3), "(-51 , 3) not in the range");
  EXPECT_EQ(Format("%5.2f", 5.5), " 5.50");
  EXPECT_EQ(Format("%s", std::string(1000, 'x').c_str()).size(), 1000u);
}

TEST(ErrorDisplay, PeriodAppendedOnlyAfterCharactersSortingAfterPeriod) {
  EXPECT_EQ(DisplayText("Do matching first"), "Do matching first.");
  EXPECT_EQ(DisplayText("value 7"), "value 7.");
  EXPECT_EQ(DisplayText("ends in blank "), "ends in blank ");
  EXPECT_EQ(DisplayText("(1 , 2) not in the range)"), "(1 , 2) not in the range)");
  EXPECT_EQ(DisplayText("quote\""), "quote\"");
  EXPECT_EQ(DisplayText("already."), "already.");
  EXPECT_EQ(DisplayText("path/"), "path/.");
  EXPECT_EQ(DisplayText(""), "");
}

TEST(PathHelpers, FileNamePartAndExtension) {
  EXPECT_EQ(ExtractFileName("/data/run1/grid0.bmp"), "grid0.bmp");
  EXPECT_EQ(ExtractFileName("grid0.bmp"), "grid0.bmp");
  EXPECT_EQ(ExtractFileName("/data/"), "");
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("/data/x.BMP"), ".BMP");
  EXPECT_EQ(ExtractFileExt("/data/x.tar.raw"), ".raw");
  EXPECT_EQ(LowerCase("X.Raw"), "x.raw");
  EXPECT_EQ(IncludeTrailingSlash("/data"), "/data/");
  EXPECT_EQ(IncludeTrailingSlash("/"), "/");
}
