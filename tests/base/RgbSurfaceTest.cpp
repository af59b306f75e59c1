#include <gtest/gtest.h>

#include "base/RgbSurface.h"
#include "support/TempDir.h"

TEST(RgbSurface, LineLeavesOutItsEndPointAndClips) {
  TRgbSurface s(10, 10, clWhite);
  s.Line(3, 9, 3, 5, clBlack);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(s.Pixel(3, y) == clBlack, y >= 6 && y <= 9) << y;
  s.Line(-5, 0, 20, 0, clRed);  // clipped, no crash
  EXPECT_EQ(s.Pixel(0, 0), clRed);
  EXPECT_EQ(s.Pixel(9, 0), clRed);
  s.SetPixel(-1, 3, clRed);
  s.SetPixel(10, 3, clRed);
}

TEST(RgbSurface, GrayPictureIsDrawnAtTheOriginAndLeavesTheRest) {
  TRgbSurface s(4, 3, clRed);
  const uint8_t gray[] = {1, 2, 3, 4, 5, 6};
  s.DrawGray(gray, 3, 2);
  EXPECT_EQ(s.Pixel(2, 1), GrayColor(6));
  EXPECT_EQ(s.Pixel(3, 0), clRed);
  EXPECT_EQ(s.Pixel(0, 2), clRed);
}

TEST(RgbSurface, LargerPictureIsCopiedAtTheOriginAndCut) {
  TRgbSurface s(4, 3, clRed);
  TRgbSurface big(6, 6, clBlack);
  big.SetPixel(1, 1, clWhite);
  s.DrawPicture(big);
  EXPECT_EQ(s.Pixel(1, 1), clWhite);
  EXPECT_EQ(s.Pixel(3, 2), clBlack);
}

TEST(RgbSurface, TextIsDrawnInItsBoxAndCutAtTheBorder) {
  TRgbSurface s(20, 20, clRed);
  s.TextOut(15, 15, "12");
  // The box of the first glyph starts at (15, 15) and is cut by the picture border.
  EXPECT_EQ(s.Pixel(15, 15), clWhite);
  int ink = 0;
  for (int y = 15; y < 20; ++y)
    for (int x = 15; x < 20; ++x) ink += s.Pixel(x, y) == clBlack;
  EXPECT_GT(ink, 0);
  EXPECT_EQ(s.Pixel(14, 15), clRed);
  s.FTextTransparent = true;
  s.TextOut(0, 0, "8");
  EXPECT_EQ(s.Pixel(0, 0), clRed);  // blank corner of the glyph keeps the picture
}

TEST(RgbSurface, SavesAStandardBitmap) {
  TTempDir dir;
  TRgbSurface s(2, 1, clBlack);
  s.SetPixel(0, 0, TColor{10, 20, 30});
  s.SaveBmp(dir.File("p.bmp"));
  std::string bytes = ReadFileBytes(dir.File("p.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 8u);
  EXPECT_EQ(bytes.substr(54), std::string("\x1e\x14\x0a\0\0\0\0\0", 8));
}

TEST(RgbSurface, OutlinedSmallTextKeepsThePictureOutsideItsRim) {
  TRgbSurface s(30, 12, clRed);
  s.FTextStyle = TRgbSurface::TTextStyle::Outlined;
  s.FSmallFont = true;
  s.FTextColor = TColor{255, 255, 0};
  s.FTextBackground = clBlack;
  s.TextOut(5, 2, "1-");
  EXPECT_EQ(s.TextWidth("1-"), 8);
  int ink = 0, rim = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 30; ++x) {
      TColor c = s.Pixel(x, y);
      ink += c == TColor{255, 255, 0};
      rim += c == clBlack;
      // Every rim pixel touches ink; nothing is drawn left of the text's cell frame.
      if (x < 4) {
        EXPECT_EQ(c, clRed);
      }
    }
  EXPECT_EQ(ink, 8 + 3);  // the small "1" and "-"
  EXPECT_GT(rim, ink);
  EXPECT_EQ(s.Pixel(1, 1), clRed);
}

TEST(RgbSurface, GrayRowsAreClippedLikeSinglePixels) {
  TRgbSurface s(5, 2, clRed), expected(5, 2, clRed);
  const uint8_t row[] = {10, 20, 30, 40, 50, 60, 70};
  s.DrawGrayRow(-2, 1, row, 7);  // starts left of the picture and ends right of it
  s.DrawGrayRow(0, 2, row, 7);   // below the picture
  for (int i = 0; i < 7; ++i) expected.SetPixel(i - 2, 1, GrayColor(row[i]));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(s.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
}
