#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

#include "base/RgbSurface.h"

class QFont;
class QFontMetrics;
class QPainter;
class TBoxOverlay;
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
  // With labels kept apart, a text is not burnt into the picture but kept as a label at an image
  // position, and the box draws it at screen resolution at every zoom. A picture drawn over a
  // label's position takes the label away, as it would cover burnt-in text.
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  void DrawGray(const uint8_t* pixels, int32_t width, int32_t height) override;
  void DrawPicture(const TRgbSurface& picture) override;
  void DrawGrayRow(int32_t x, int32_t y, const uint8_t* pixels, int32_t count) override;

  struct TLabel {
    int32_t X = 0;
    int32_t Y = 0;
    std::string Text;
  };
  void SetLabelsApart(bool apart) { FLabelsApart = apart; }

  // What the view shows, to be put back when a command that drew on it is cancelled.
  struct TSnapshot {
    TRgbSurface Picture;
    std::vector<TLabel> Labels;
  };
  TSnapshot Snapshot() const { return {*this, FLabels}; }
  // Draws the snapshot's picture and its labels; the surface must have the snapshot's size.
  void Restore(const TSnapshot& snapshot);
  const std::vector<TLabel>& Labels() const { return FLabels; }
  uint64_t LabelVersion() const { return FLabelVersion; }  // changes with every label change

  static constexpr int FlushInterval = 40;  // milliseconds

 private:
  void InvertPixel(int32_t x, int32_t y);
  void DropLabels(int32_t left, int32_t top, int32_t right, int32_t bottom);
  static uint64_t Place(int32_t x, int32_t y) {
    return (uint64_t{static_cast<uint32_t>(x)} << 32) | static_cast<uint32_t>(y);
  }

  TPaintBox& FBox;
  QElapsedTimer FLastFlush;
  bool FLabelsApart = false;
  std::vector<TLabel> FLabels;
  // The positions that hold a label: a label at a new position (Show Position writes tens of
  // thousands) is added without looking through the others.
  std::unordered_set<uint64_t> FLabelPlaces;
  uint64_t FLabelVersion = 0;
};

// A widget that shows its surface at a zoom factor and reports the mouse in picture pixels.
// A click is a press and a release of the left button, both inside the box.
class TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent = nullptr);

  TViewSurface& Surface() { return FSurface; }
  // Gives the picture a new size, filled with the background colour; the zoom stays.
  void ResizeSurface(int32_t width, int32_t height);
  TColor Background() const;

  // Screen pixels per picture pixel; the box takes the picture's size times the zoom.
  double Zoom() const { return FZoom; }
  void SetZoom(double zoom);
  // The picture pixel shown at a point of the box (a pixel's centre decides, as in drawing),
  // and the box point where a picture pixel's top-left corner is shown.
  QPoint ToPicture(QPointF boxPoint) const;
  QPoint ToBox(int32_t x, int32_t y) const;
  // Shows the overlay instead of the surface (see TBoxOverlay); nullptr shows the surface
  // again. The zoom stays; the box takes the size of what it shows.
  void SetOverlay(TBoxOverlay* overlay);
  TBoxOverlay* Overlay() const { return FOverlay; }
  // The size of the picture shown, in picture pixels.
  QSize PictureSize() const;
  // Picture pixels averaged per screen pixel and direction when zoomed out.
  static constexpr int Samples = 4;
  // A rubber band in picture pixels, both corners included, drawn at screen resolution.
  void SetBand(std::optional<QRect> band);
  const std::optional<QRect>& Band() const { return FBand; }
  // Where the labels shown at this zoom stand, in box pixels; labels that would overlap are
  // left out.
  std::vector<QRect> ShownLabels();

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
  struct TPlacedLabel {
    QRect Box;
    QString Text;
  };
  // The picture shown: the overlay's, else the surface.
  TRgbSurface& Shown();
  void PaintPicture(QPainter& painter, const QRect& area);
  // The picture reduced to the means of factor x factor blocks, brought up to date where the
  // surface changed since; zoomed out, frames sample it instead of the full picture, which
  // costs a fraction of the memory traffic.
  const uint8_t* Reduced(int factor, int32_t& width, int32_t& height);
  QFont LabelFont() const;
  void PlaceLabels(const QFontMetrics& metrics);
  void PaintLabels(QPainter& painter, const QRect& area);

  TViewSurface FSurface;
  TBoxOverlay* FOverlay = nullptr;
  std::vector<uint8_t> FReduced;  // R, G, B per block, row-major
  int FReducedFactor = 0;
  int32_t FReducedWidth = 0;
  int32_t FReducedHeight = 0;
  bool FLeftDown = false;
  double FZoom = 1.0;
  std::optional<QRect> FBand;
  std::vector<TPlacedLabel> FPlaced;  // the labels shown at this zoom, in box pixels
  uint64_t FPlacedVersion = ~uint64_t{0};
  double FPlacedZoom = 0;
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
