#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/view/Viewsurface.h"

class QFont;
class QFontMetrics;
class QPainter;
class TBoxOverlay;

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
