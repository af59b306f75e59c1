#include "app/Imageview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TViewSurface::TViewSurface(TPaintBox& box) : FBox(box) {
  FTextColor = clBlack;
  FTextBackground = TColor{255, 255, 150};
  FTextTransparent = false;
}

void TViewSurface::TextOut(int32_t x, int32_t y, const std::string& text) {
  TRgbSurface::TextOut(x, y, text);
  if (text.empty()) return;
  // The edge stands just left of the text, over the dot, and leaves the glyphs alone.
  const int32_t edge = x - 1;
  const int32_t height = FSmallFont ? SmallGlyphHeight : GlyphHeight;
  for (int32_t row = 0; row < height; ++row)
    if (edge >= 0 && edge < Width() && y + row >= 0 && y + row < Height())
      SetPixel(edge, y + row, TColor{0, 0, 128});
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

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent), FSurface(*this) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TColor TPaintBox::Background() const {
  QColor c = palette().color(QPalette::Window);
  return TColor{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                static_cast<uint8_t>(c.blue())};
}

void TPaintBox::ResizeSurface(int32_t width, int32_t height) {
  FSurface.Reset(width, height, Background());
  setFixedSize(std::max(width, 0), std::max(height, 0));
  update();
}

void TPaintBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (FSurface.Width() > 0 && FSurface.Height() > 0) {
    // A view of the picture's bytes, no copy: three bytes per pixel, rows packed.
    QImage image(FSurface.Data(), FSurface.Width(), FSurface.Height(), FSurface.Width() * 3,
                 QImage::Format_RGB888);
    painter.drawImage(event->rect(), image, event->rect());
  }
  QRect picture(0, 0, FSurface.Width(), FSurface.Height());
  QRegion outside = QRegion(event->rect()).subtracted(picture);
  for (const QRect& r : outside) painter.fillRect(r, palette().color(QPalette::Window));
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton) FLeftDown = true;
  if (OnMouseDown) OnMouseDown(p.x(), p.y(), event->button());
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(p.x(), p.y());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  bool click = event->button() == Qt::LeftButton && FLeftDown && rect().contains(p);
  if (event->button() == Qt::LeftButton) FLeftDown = false;
  if (OnMouseUp) OnMouseUp(p.x(), p.y(), event->button());
  if (click && OnClick) OnClick();
}

TImageView::TImageView(QWidget* parent) : QFrame(parent), FPaintBox(new TPaintBox(this)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  FPaintBox->move(Border, Border);
}

void TImageView::SetImageSize(int32_t width, int32_t height) {
  FPaintBox->ResizeSurface(width, height);
  setFixedSize(width + 2 * Border, height + 2 * Border);
}
