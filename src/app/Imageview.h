#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QWidget>
#include <functional>

#include "base/RgbSurface.h"

class TPaintBox;

// The picture behind a paint box. The system draws into it through the surface operations, so
// everything drawn is the same as on the in-memory pictures of the core; Qt paint events only
// copy it to the screen.
class TViewSurface : public TRgbSurface {
 public:
  explicit TViewSurface(TPaintBox& box);

  // A fresh picture of the given size, filled with one colour.
  void Reset(int32_t width, int32_t height, TColor fill);
  // Repaints the box at once so that progress drawn during a long command shows while the
  // command still runs; no more than once per FlushInterval, since a repaint costs far more
  // than the drawing between two of them.
  void Flush() override;
  // Inverts every other pixel of the outline of the rectangle [left, right) x [top, bottom),
  // each pixel once: drawing the same rectangle twice leaves the picture as it was.
  void InvertFocusRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // Labels: black glyphs on a pale yellow box with a dark edge just left of it. The box reads on
  // white dots and on a black background alike; where the labels of a dense grid overlap, each
  // later box hides the rest of the one before, and the dark edge shows where a label (and the
  // centre of its dot) begins.
  void TextOut(int32_t x, int32_t y, const std::string& text) override;

  static constexpr int FlushInterval = 40;  // milliseconds

 private:
  void InvertPixel(int32_t x, int32_t y);

  TPaintBox& FBox;
  QElapsedTimer FLastFlush;
};

// A widget that shows its surface one screen pixel per picture pixel and reports the mouse.
// A click is a press and a release of the left button, both inside the box.
class TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent = nullptr);

  TViewSurface& Surface() { return FSurface; }
  // Gives the box and its picture a new size, filled with the background colour.
  void ResizeSurface(int32_t width, int32_t height);
  TColor Background() const;

  std::function<void(int32_t x, int32_t y, Qt::MouseButton button)> OnMouseDown;
  std::function<void(int32_t x, int32_t y)> OnMouseMove;
  std::function<void(int32_t x, int32_t y, Qt::MouseButton button)> OnMouseUp;
  std::function<void()> OnClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TViewSurface FSurface;
  bool FLeftDown = false;
};

// A sunken frame with a paint box 4 pixels inside it: the image view of the main window and the
// histogram area of the simple segment dialog.
class TImageView : public QFrame {
  Q_OBJECT
 public:
  static constexpr int32_t Border = 4;

  explicit TImageView(QWidget* parent = nullptr);
  TPaintBox* PaintBox() const { return FPaintBox; }
  // Frame of (w + 8) x (h + 8) with the paint box of w x h at (4, 4).
  void SetImageSize(int32_t width, int32_t height);

 private:
  TPaintBox* FPaintBox;
};
