#include <gtest/gtest.h>

#include <cmath>

#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "support/TempDir.h"

// The encoder writes code files and the matcher reads them: what one side writes, the other
// must take back dot for dot.
TEST(EncoderRoundTrip, CodedDotsComeBackInOrderWithScaledPositions) {
  TTempDir dir;
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(700);
  image->SetHeight(500);
  TEncode job(std::move(image), false, false, 25, 12);
  const int32_t count = 1200;  // indices and areas of four digits widen their fields
  std::vector<TDotInfo> dots(count);
  for (int32_t i = 0; i < count; ++i) {
    TDotInfo& dot = dots[i];
    dot.x = 5.0f + 0.5713f * static_cast<float>(i);
    dot.y = 1234.5678f - 0.917f * static_cast<float>(i);
    dot.Nx = i % 50 - 25;  // each grid position once
    dot.Ny = i / 50 - 12;
    dot.Area = 40 + i;
    dot.Coded = i % 7 != 3;
  }
  job.ReplaceDots(std::move(dots));
  job.SetScale(0.02f, 0.025f);
  const std::string path = dir.File("grid.cod");
  job.SaveCodes(path);

  TMatch match(path, path);
  EXPECT_EQ(match.FImageWidth, 700);
  EXPECT_EQ(match.FImageHeight, 500);
  EXPECT_EQ(match.FImageName[0], "MemoryPointer");
  EXPECT_EQ(match.FScaleX[0], 0.02f);
  EXPECT_EQ(match.FScaleY[0], 0.025f);
  EXPECT_EQ(match.FCoordinate[0]->MaxNx(), 25);
  EXPECT_EQ(match.FCoordinate[0]->MaxNy(), 12);
  EXPECT_EQ(match.FDotSum[0], job.CodedSum());
  int32_t k = 0;
  for (int32_t i = 0; i < count; ++i) {
    const TDotInfo& written = job.DotInfo()[i];
    if (!written.Coded) continue;
    ASSERT_LT(k, match.FDotSum[0]);
    const TDotInfo& read = match.FDotInfo[0][k];
    // Positions travel with three decimals and are scaled on the way in.
    const auto x = static_cast<float>(std::round(written.x * 1000.0) / 1000.0);
    const auto y = static_cast<float>(std::round(written.y * 1000.0) / 1000.0);
    EXPECT_EQ(read.x, x * 0.02f) << i;
    EXPECT_EQ(read.y, y * 0.025f) << i;
    EXPECT_EQ(read.Nx, written.Nx);
    EXPECT_EQ(read.Ny, written.Ny);
    EXPECT_EQ(read.Area, written.Area);
    ++k;
  }
  EXPECT_EQ(k, match.FDotSum[0]);
}
