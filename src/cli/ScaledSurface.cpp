#include "cli/ScaledSurface.h"

#include <algorithm>

void TScaledSurface::SetPixel(int32_t x, int32_t y, TColor color) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  for (int32_t dy = 0; dy < FScale; ++dy)
    for (int32_t dx = 0; dx < FScale; ++dx)
      FTarget.SetPixel(x * FScale + dx, y * FScale + dy, color);
}

void TScaledSurface::DrawGray(const uint8_t* pixels, int32_t width, int32_t height) {
  const int32_t w = std::min(width, Width()), h = std::min(height, Height());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      SetPixel(x, y, GrayColor(pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x]));
}

void TScaledSurface::DrawPicture(const TRgbSurface& picture) {
  const int32_t w = std::min(picture.Width(), Width()), h = std::min(picture.Height(), Height());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) SetPixel(x, y, picture.Pixel(x, y));
}

void TScaledSurface::TextOut(int32_t x, int32_t y, const std::string& text) {
  FTarget.TextOut(x * FScale, y * FScale, text);
}

void TScaledSurface::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor pen) {
  DrawLineBySetPixel(*this, x1, y1, x2, y2, pen);
}
