#pragma once

#include "base/RgbSurface.h"

// Draws on an in-memory picture N times larger than the surface it stands for: every pixel
// becomes an N x N block, while texts keep their size at the scaled position. Enlarged this
// way, the labels of a dense grid no longer run into each other.
class TScaledSurface : public TSurface {
 public:
  TScaledSurface(TRgbSurface& target, int32_t scale) : FTarget(target), FScale(scale) {}

  int32_t Width() const override { return FTarget.Width() / FScale; }
  int32_t Height() const override { return FTarget.Height() / FScale; }
  void DrawGray(const uint8_t* pixels, int32_t width, int32_t height) override;
  void DrawPicture(const TRgbSurface& picture) override;
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor pen) override;

 private:
  TRgbSurface& FTarget;
  int32_t FScale;
};
