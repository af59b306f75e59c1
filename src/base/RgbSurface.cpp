#include "base/RgbSurface.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "base/Bmp.h"
#include "base/Error.h"

namespace {

// Glyphs row by row, "#" for ink, for the characters that dot labels use: a 5 x 7 font and a
// compact 3 x 5 one. Any other character is drawn as an empty box.
struct TGlyph {
  char Code;
  const char* Rows[7];
};

constexpr TGlyph Glyphs[] = {
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'(', {"   # ", "  #  ", " #   ", " #   ", " #   ", "  #  ", "   # "}},
    {')', {" #   ", "  #  ", "   # ", "   # ", "   # ", "  #  ", " #   "}},
    {',', {"     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {'+', {"     ", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "     "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}},
};
constexpr TGlyph Unknown = {'?', {"#####", "#   #", "#   #", "#   #", "#   #", "#   #", "#####"}};

constexpr TGlyph SmallGlyphs[] = {
    {'0', {"###", "# #", "# #", "# #", "###"}}, {'1', {" # ", "## ", " # ", " # ", "###"}},
    {'2', {"###", "  #", "###", "#  ", "###"}}, {'3', {"###", "  #", "###", "  #", "###"}},
    {'4', {"# #", "# #", "###", "  #", "  #"}}, {'5', {"###", "#  ", "###", "  #", "###"}},
    {'6', {"###", "#  ", "###", "# #", "###"}}, {'7', {"###", "  #", "  #", "  #", "  #"}},
    {'8', {"###", "# #", "###", "# #", "###"}}, {'9', {"###", "# #", "###", "  #", "###"}},
    {'(', {" # ", "#  ", "#  ", "#  ", " # "}}, {')', {" # ", "  #", "  #", "  #", " # "}},
    {',', {"   ", "   ", "   ", " # ", "#  "}}, {'-', {"   ", "   ", "###", "   ", "   "}},
    {'+', {"   ", " # ", "###", " # ", "   "}}, {'.', {"   ", "   ", "   ", "   ", " # "}},
    {' ', {"   ", "   ", "   ", "   ", "   "}},
};
constexpr TGlyph SmallUnknown = {'?', {"###", "# #", "# #", "# #", "###"}};

const TGlyph& GlyphOf(char c, bool small) {
  if (small) {
    for (const TGlyph& g : SmallGlyphs)
      if (g.Code == c) return g;
    return SmallUnknown;
  }
  for (const TGlyph& g : Glyphs)
    if (g.Code == c) return g;
  return Unknown;
}

}  // namespace

TRgbSurface::TRgbSurface(int32_t width, int32_t height, TColor fill)
    : FChanged{0, 0, std::max(width, 0), std::max(height, 0)},
      FWidth(std::max(width, 0)),
      FHeight(std::max(height, 0)) {
  try {
    FPixels.resize(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight) * 3);
  } catch (const std::bad_alloc&) {
    throw TError("Now more memory to allocate for repaint");
  }
  for (size_t i = 0; i < FPixels.size(); i += 3) {
    FPixels[i] = fill.R;
    FPixels[i + 1] = fill.G;
    FPixels[i + 2] = fill.B;
  }
}

void TRgbSurface::DrawGray(const uint8_t* pixels, int32_t width, int32_t height) {
  FStamp.Bump();
  const int32_t w = std::min(width, FWidth);
  const int32_t h = std::min(height, FHeight);
  Changed(0, 0, w, h);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    uint8_t* dst = FPixels.data() + static_cast<size_t>(y) * static_cast<size_t>(FWidth) * 3;
    for (int32_t x = 0; x < w; ++x) dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[x];
  }
}

void TRgbSurface::DrawPicture(const TRgbSurface& picture) {
  FStamp.Bump();
  const int32_t w = std::min(picture.FWidth, FWidth);
  const int32_t h = std::min(picture.FHeight, FHeight);
  Changed(0, 0, w, h);
  for (int32_t y = 0; y < h; ++y)
    std::copy_n(picture.FPixels.data() + static_cast<size_t>(y) * picture.FWidth * 3,
                static_cast<size_t>(w) * 3,
                FPixels.data() + static_cast<size_t>(y) * static_cast<size_t>(FWidth) * 3);
}

void TRgbSurface::SetPixel(int32_t x, int32_t y, TColor color) {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
  FStamp.Bump();
  Changed(x, y, x + 1, y + 1);
  uint8_t* p = FPixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(FWidth) + x) * 3;
  p[0] = color.R;
  p[1] = color.G;
  p[2] = color.B;
}

void TRgbSurface::DrawGrayRow(int32_t x, int32_t y, const uint8_t* pixels, int32_t count) {
  if (y < 0 || y >= FHeight) return;
  FStamp.Bump();
  const int32_t first = std::max(x, 0);
  const int32_t last = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + count, FWidth));
  if (first < last) Changed(first, y, last, y + 1);
  uint8_t* p = FPixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(FWidth) + first) * 3;
  for (int32_t i = first; i < last; ++i, p += 3) p[0] = p[1] = p[2] = pixels[i - x];
}

TSurface::TBox TRgbSurface::TakeChanged() {
  TBox changed = FChanged;
  FChanged = TBox{FWidth, FHeight, 0, 0};
  if (changed.Left >= changed.Right || changed.Top >= changed.Bottom) return TBox{};
  return changed;
}

TColor TRgbSurface::Pixel(int32_t x, int32_t y) const {
  const uint8_t* p =
      FPixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(FWidth) + x) * 3;
  return TColor{p[0], p[1], p[2]};
}

int32_t TRgbSurface::TextWidth(const std::string& text) const {
  return static_cast<int32_t>(text.size()) * (FSmallFont ? SmallGlyphWidth : GlyphWidth);
}

TSurface::TBox TRgbSurface::TextBox(int32_t x, int32_t y, const std::string& text) const {
  const int32_t height = FSmallFont ? SmallGlyphHeight : GlyphHeight;
  return TBox{x - 1, y - 1, x + TextWidth(text) + 1, y + height + 1};
}

void TRgbSurface::TextOut(int32_t x, int32_t y, const std::string& text) {
  // The ink of the whole text in a cell mask with a one-pixel frame, then the box or the
  // outline, then the ink.
  const int32_t advance = FSmallFont ? SmallGlyphWidth : GlyphWidth;
  const int32_t rows = FSmallFont ? 5 : 7;
  const int32_t cols = FSmallFont ? 3 : 5;
  const int32_t height = FSmallFont ? SmallGlyphHeight : GlyphHeight;
  const int32_t width = TextWidth(text);
  std::vector<uint8_t> ink(static_cast<size_t>(width + 2) * (height + 2), 0);
  auto at = [&](int32_t cx, int32_t cy) -> uint8_t& {
    return ink[static_cast<size_t>(cy + 1) * (width + 2) + (cx + 1)];
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const TGlyph& glyph = GlyphOf(text[i], FSmallFont);
    for (int32_t row = 0; row < rows; ++row)
      for (int32_t col = 0; col < cols; ++col)
        if (glyph.Rows[row][col] == '#') at(static_cast<int32_t>(i) * advance + col, row + 1) = 1;
  }
  for (int32_t cy = -1; cy <= height; ++cy) {
    for (int32_t cx = -1; cx <= width; ++cx) {
      if (at(cx, cy)) {
        SetPixel(x + cx, y + cy, FTextColor);
        continue;
      }
      bool paint = false;
      if (FTextStyle == TTextStyle::Boxed) {
        paint = !FTextTransparent && cx >= 0 && cy >= 0 && cx < width && cy < height;
      } else {
        for (int32_t ny = std::max(cy - 1, -1); ny <= std::min(cy + 1, height) && !paint; ++ny)
          for (int32_t nx = std::max(cx - 1, -1); nx <= std::min(cx + 1, width) && !paint; ++nx)
            paint = at(nx, ny) != 0;
      }
      if (paint) SetPixel(x + cx, y + cy, FTextBackground);
    }
  }
}

void TRgbSurface::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor pen) {
  DrawLineBySetPixel(*this, x1, y1, x2, y2, pen);
}

void DrawLineBySetPixel(TSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        TColor pen) {
  int64_t dx = std::llabs(static_cast<int64_t>(x2) - x1);
  int64_t dy = -std::llabs(static_cast<int64_t>(y2) - y1);
  const int sx = x1 < x2 ? 1 : -1;
  const int sy = y1 < y2 ? 1 : -1;
  int64_t err = dx + dy;
  int64_t x = x1;
  int64_t y = y1;
  const int64_t width = surface.Width(), height = surface.Height();
  while (x != x2 || y != y2) {
    if (x >= 0 && y >= 0 && x < width && y < height)
      surface.SetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), pen);
    const int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void TRgbSurface::SaveBmp(const std::string& fileName) const {
  WriteBmp24(fileName, FWidth, FHeight, [this](int32_t y, uint8_t* bgr) {
    const uint8_t* rgb = FPixels.data() + static_cast<size_t>(y) * static_cast<size_t>(FWidth) * 3;
    for (int32_t x = 0; x < FWidth; ++x) {
      bgr[3 * x] = rgb[3 * x + 2];
      bgr[3 * x + 1] = rgb[3 * x + 1];
      bgr[3 * x + 2] = rgb[3 * x];
    }
  });
}
