#pragma once

#include <cstdint>
#include <string>

#include "base/Changestamp.h"

struct TColor {
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;
  friend bool operator==(const TColor&, const TColor&) = default;
};

constexpr TColor clBlack{0, 0, 0};
constexpr TColor clWhite{255, 255, 255};
constexpr TColor clRed{255, 0, 0};
constexpr TColor GrayColor(uint8_t v) {
  return TColor{v, v, v};
}

class TRgbSurface;

// A drawing surface: the image view of the desktop application, the histogram area of the
// simple segment dialog, or an in-memory picture. Everything is clipped to the surface; (0, 0)
// is the top-left pixel.
class TSurface {
 public:
  virtual ~TSurface() = default;

  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;

  // Draws a row-major 8-bit gray picture with its top-left corner at (0, 0).
  virtual void DrawGray(const uint8_t* pixels, int32_t width, int32_t height) = 0;
  // Copies a picture onto the surface with its top-left corner at (0, 0).
  virtual void DrawPicture(const TRgbSurface& picture) = 0;
  virtual void SetPixel(int32_t x, int32_t y, TColor color) = 0;
  // Sets count pixels of row y from x on to the gray values given, as SetPixel would.
  virtual void DrawGrayRow(int32_t x, int32_t y, const uint8_t* pixels, int32_t count) {
    for (int32_t i = 0; i < count; ++i) SetPixel(x + i, y, GrayColor(pixels[i]));
  }
  // Writes a text with its top-left corner at (x, y) in the surface's text style.
  virtual void TextOut(int32_t x, int32_t y, const std::string& text) = 0;
  // A line from (x1, y1) towards (x2, y2); the end point itself is not drawn.
  virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor pen) = 0;
  // Makes what was drawn so far visible at once (a screen view repaints; others ignore it).
  virtual void Flush() {}

  // Changes with everything drawn; a surface that does not keep track returns an untracked
  // value, and whoever drew on it must draw everything again.
  virtual TStampValue Stamp() const { return {}; }
  // The pixels TextOut(x, y, text) may touch: [left, right) x [top, bottom).
  struct TBox {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
  };
  virtual TBox TextBox(int32_t x, int32_t y, const std::string& text) const {
    (void)x, (void)y, (void)text;
    return TBox{0, 0, Width(), Height()};
  }
};

// A line from (x1, y1) towards (x2, y2), end point excluded, drawn pixel by pixel with
// SetPixel (Bresenham); for surfaces without a line primitive of their own.
void DrawLineBySetPixel(TSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        TColor pen);
