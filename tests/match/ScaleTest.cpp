#include <gtest/gtest.h>

#include "CodeFiles.h"
#include "match/Scale.h"

TEST(Scale, ComputedFactorsAreFloatQuotientsShownAsTyped) {
  TScaleFactors factors = ComputeScaleFactors("250", "5", "200", "5");
  EXPECT_EQ(factors.X, 0.02f);
  EXPECT_EQ(factors.Y, 0.025f);
  EXPECT_EQ(ScaleText(factors.X), "0.02");
  EXPECT_EQ(ScaleText(factors.Y), "0.025");
  // The text reads back as the very same factor.
  EXPECT_EQ(ReadScaleFactors(ScaleText(factors.X), "1").X, factors.X);
  const float third = ComputeScaleFactors(" 3 ", "1", "1", "1.0").X;
  EXPECT_EQ(ReadScaleFactors(ScaleText(third), "1").X, third);
  EXPECT_EQ(ComputeScaleFactors(" 3 ", "1", "1", "1.0").X, static_cast<float>(1.0 / 3.0));
  EXPECT_EQ(ScaleText(1.0f), "1");
  EXPECT_EQ(ScaleText(0.5f), "0.5");
  EXPECT_EQ(ReadScaleFactors("0.1", "2").X, 0.1f);  // typed factors are taken as they are
}

TEST(Scale, BadFieldsRaiseAndReturnNothing) {
  TScaleFactors kept{0.25f, 0.75f};
  // The caller assigns only what comes back, so a failure leaves its factors as they were.
  const char* computed[][5] = {
      {"0", "5", "200", "5", "Floating point division by zero"},
      {"250", "5", "0", "5", "Floating point division by zero"},
      {"250", "abc", "200", "5", "'abc' is not a valid floating point value"},
      {"", "5", "200", "5", "'' is not a valid floating point value"},
      {"1e-300", "1e10", "1", "1", "Floating point overflow"},
  };
  for (const auto& c : computed)
    EXPECT_EQ(ErrorOf([&] { kept = ComputeScaleFactors(c[0], c[1], c[2], c[3]); }), c[4]);
  EXPECT_EQ(ErrorOf([&] { kept = ReadScaleFactors("0.5", "nan"); }),
            "'nan' is not a valid floating point value");
  EXPECT_EQ(ErrorOf([&] { kept = ReadScaleFactors("1e39", "1"); }), "Floating point overflow");
  EXPECT_EQ(kept.X, 0.25f);
  EXPECT_EQ(kept.Y, 0.75f);
}
