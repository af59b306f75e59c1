// The picture behind the image view: what the system draws, with labels kept apart.
#include "app/view/Viewsurface.h"

#include "app/view/Paintbox.h"

#include <string>
#include <utility>
#include <vector>

TViewSurface::TViewSurface(TPaintBox& box) : FBox(box) {
  FTextColor = clBlack;
  FTextBackground = TColor{255, 255, 150};
  FTextTransparent = false;
}

void TViewSurface::TextOut(int32_t x, int32_t y, const std::string& text) {
  if (FLabelsApart) {
    // One label per position: a text written again at the same place replaces the old one.
    if (FLabelPlaces.erase(Place(x, y)) > 0)
      std::erase_if(FLabels, [&](const TLabel& l) { return l.X == x && l.Y == y; });
    if (!text.empty()) {
      FLabels.push_back(TLabel{x, y, text});
      FLabelPlaces.insert(Place(x, y));
    }
    ++FLabelVersion;
    Touch();
    return;
  }
  TRgbSurface::TextOut(x, y, text);
  if (text.empty()) return;
  // The edge stands just left of the text, over the dot, and leaves the glyphs alone.
  const int32_t edge = x - 1;
  const int32_t height = FSmallFont ? SmallGlyphHeight : GlyphHeight;
  for (int32_t row = 0; row < height; ++row)
    if (edge >= 0 && edge < Width() && y + row >= 0 && y + row < Height())
      SetPixel(edge, y + row, TColor{0, 0, 128});
}

void TViewSurface::DropLabels(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (FLabels.empty()) return;
  ++FLabelVersion;
  Touch();
  if (left <= 0 && top <= 0 && right >= Width() && bottom >= Height()) {
    FLabels.clear();
    FLabelPlaces.clear();
    return;
  }
  std::erase_if(FLabels, [&](const TLabel& l) {
    const bool inside = l.X >= left && l.X < right && l.Y >= top && l.Y < bottom;
    if (inside) FLabelPlaces.erase(Place(l.X, l.Y));
    return inside;
  });
}

void TViewSurface::DrawGray(const uint8_t* pixels, int32_t width, int32_t height) {
  TRgbSurface::DrawGray(pixels, width, height);
  DropLabels(0, 0, width, height);
}

void TViewSurface::DrawPicture(const TRgbSurface& picture) {
  TRgbSurface::DrawPicture(picture);
  DropLabels(0, 0, picture.Width(), picture.Height());
}

void TViewSurface::Restore(const TSnapshot& snapshot) {
  DrawPicture(snapshot.Picture);
  FLabels = snapshot.Labels;
  FLabelPlaces.clear();
  for (const TLabel& l : FLabels) FLabelPlaces.insert(Place(l.X, l.Y));
  ++FLabelVersion;
  Touch();
}

void TViewSurface::DrawGrayRow(int32_t x, int32_t y, const uint8_t* pixels, int32_t count) {
  TRgbSurface::DrawGrayRow(x, y, pixels, count);
  DropLabels(x, y, x + count, y + 1);
}

void TViewSurface::Reset(int32_t width, int32_t height, TColor fill) {
  // A new size and fill, but the view's own label style stays.
  TRgbSurface fresh(width, height, fill);
  fresh.FTextStyle = FTextStyle;
  fresh.FTextColor = FTextColor;
  fresh.FTextBackground = FTextBackground;
  fresh.FTextTransparent = FTextTransparent;
  fresh.FSmallFont = FSmallFont;
  static_cast<TRgbSurface&>(*this) = std::move(fresh);
  FLabels.clear();
  FLabelPlaces.clear();
  ++FLabelVersion;
}

void TViewSurface::Flush() {
  if (FLastFlush.isValid() && FLastFlush.elapsed() < FlushInterval) {
    FBox.update();  // shown at the next flush or when the command ends, whichever comes first
    return;
  }
  // repaint(), not processEvents(): the user's clicks must wait until the command has ended.
  FBox.repaint();
  FLastFlush.start();
}

void TViewSurface::InvertPixel(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  if (((x + y) & 1) != 0) return;  // dotted: every other pixel
  TColor c = Pixel(x, y);
  SetPixel(x, y,
           TColor{static_cast<uint8_t>(255 - c.R), static_cast<uint8_t>(255 - c.G),
                  static_cast<uint8_t>(255 - c.B)});
}

void TViewSurface::InvertFocusRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (right <= left || bottom <= top) return;
  const int32_t lastX = right - 1;
  const int32_t lastY = bottom - 1;
  for (int32_t x = left; x <= lastX; ++x) {
    InvertPixel(x, top);
    if (lastY != top) InvertPixel(x, lastY);
  }
  for (int32_t y = top + 1; y < lastY; ++y) {
    InvertPixel(left, y);
    if (lastX != left) InvertPixel(lastX, y);
  }
}
