#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Surface.h"

// An in-memory 24-bit picture with a small built-in font, used as the off-screen picture of the
// encoding display, by the tests and by the command-line tool. It can be saved as a bitmap.
class TRgbSurface : public TSurface {
 public:
  TRgbSurface() = default;
  TRgbSurface(int32_t width, int32_t height, TColor fill = clBlack);

  int32_t Width() const override { return FWidth; }
  int32_t Height() const override { return FHeight; }

  void DrawGray(const uint8_t* pixels, int32_t width, int32_t height) override;
  void DrawPicture(const TRgbSurface& picture) override;
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  void DrawGrayRow(int32_t x, int32_t y, const uint8_t* pixels, int32_t count) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor pen) override;
  TStampValue Stamp() const override { return FStamp.Value(); }
  // The text's cells and the one-pixel frame of its box or outline.
  TBox TextBox(int32_t x, int32_t y, const std::string& text) const override;

  // The pixel at (x, y); the caller keeps inside the picture.
  TColor Pixel(int32_t x, int32_t y) const;
  const uint8_t* Data() const { return FPixels.data(); }  // R, G, B per pixel, row-major

  // Text style. Boxed: glyphs in FTextColor on a box of FTextBackground unless transparent.
  // Outlined: glyphs in FTextColor with a one-pixel rim of FTextBackground, readable on dark
  // and bright pictures alike. The small font is 3 x 5 pixels a glyph, the normal one 5 x 7.
  enum class TTextStyle { Boxed, Outlined };
  TTextStyle FTextStyle = TTextStyle::Boxed;
  TColor FTextColor = clBlack;
  TColor FTextBackground = clWhite;
  bool FTextTransparent = false;
  bool FSmallFont = false;
  static constexpr int32_t GlyphWidth = 6;        // 5 columns and a blank
  static constexpr int32_t GlyphHeight = 9;       // 7 rows and a blank above and below
  static constexpr int32_t SmallGlyphWidth = 4;   // 3 columns and a blank
  static constexpr int32_t SmallGlyphHeight = 7;  // 5 rows and a blank above and below
  int32_t TextWidth(const std::string& text) const;

  // Writes the picture as an uncompressed 24-bit bitmap (replacing the file only when the whole
  // picture was written).
  void SaveBmp(const std::string& fileName) const;

  // The pixels changed since the last call, as one box (empty when none): a view that keeps a
  // reduced copy of the picture brings just that part up to date.
  TBox TakeChanged();

 protected:
  // For what a derived surface shows besides the pixels (labels kept apart).
  void Touch() { FStamp.Bump(); }

 private:
  void Changed(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    FChanged.Left = std::min(FChanged.Left, left);
    FChanged.Top = std::min(FChanged.Top, top);
    FChanged.Right = std::max(FChanged.Right, right);
    FChanged.Bottom = std::max(FChanged.Bottom, bottom);
  }

  TChangeStamp FStamp;
  TBox FChanged;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::vector<uint8_t> FPixels;
};
