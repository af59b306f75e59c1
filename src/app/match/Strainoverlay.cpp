#include "app/match/Strainoverlay.h"

#include <QPainter>
#include <cmath>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "strain/Plotpaint.h"

namespace {

// The map lets the dots show through faintly; arrows are drawn opaque over it.
constexpr int MapAlpha = 204;
const QColor ArrowColour(200, 20, 20);
constexpr double ArrowPen = 1.5;
// Closer arrows than this many screen pixels would merge into a smear.
constexpr double ArrowSpacing = 12;

}  // namespace

void TStrainOverlay::SetPicture(const TGrayImage* picture, const TStrainField& field) {
  const TPlotGeometry geometry(field);
  const int32_t width = geometry.Width(), height = geometry.Height();
  if (picture != nullptr && picture->Width() == width && picture->Height() == height) {
    FPicture = TRgbSurface(width, height);
    picture->Repaint(&FPicture);
  } else {
    FPicture = TRgbSurface(width, height, TColor{236, 236, 236});
  }
  FLayer = QImage();
}

void TStrainOverlay::SetField(std::shared_ptr<const TStrainField> field) {
  FField = std::move(field);
  FGeometry.emplace(*FField);
  FArrowFactor = ::ArrowFactor(*FField, *FGeometry);
  try {
    SetQuantity(FQuantity);
  } catch (const TError&) {
    // No map of this quantity until another is chosen.
  }
}

void TStrainOverlay::SetQuantity(TPlotQuantity quantity) {
  FQuantity = quantity;
  FScale.reset();
  FLayer = QImage();
  if (FField) FScale.emplace(ScaleOf(*FField, quantity));
}

void TStrainOverlay::SetVectors(bool shown) {
  if (shown == FVectors) return;
  FVectors = shown;
  FLayer = QImage();
}

int32_t TStrainOverlay::ArrowStep(double zoom) const {
  const double spacing = FGeometry ? FGeometry->Pitch() * zoom : 0;
  if (spacing >= ArrowSpacing) return 1;
  if (!(spacing > 0)) return 1;
  return static_cast<int32_t>(std::ceil(ArrowSpacing / spacing));
}

QImage TStrainOverlay::Render(const QRect& area, double zoom) const {
  QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  if (!FField || !FGeometry) return layer;
  QPainter painter(&layer);
  // Box pixel b shows picture pixel floor(b / zoom), whose centre is the position + 0.5.
  painter.translate(-area.left(), -area.top());
  painter.scale(zoom, zoom);
  painter.translate(0.5, 0.5);
  const QRectF within(area.left() / zoom - 0.5, area.top() / zoom - 0.5, area.width() / zoom,
                      area.height() / zoom);
  if (FScale) {
    // Cells are painted opaque, so that their overlaps stay even, then faded at once.
    PaintCells(painter, *FField, *FGeometry, FQuantity, *FScale, within);
    painter.save();
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(layer.rect(), QColor(0, 0, 0, MapAlpha));
    painter.restore();
  }
  if (FVectors)
    PaintArrows(painter, *FField, *FGeometry, FArrowFactor, ArrowStep(zoom), ArrowColour, ArrowPen,
                within);
  return layer;
}

void TStrainOverlay::PaintOver(QPainter& painter, const QRect& area, double zoom) {
  if (!FField || area.isEmpty()) return;
  const int64_t w = static_cast<int64_t>(std::ceil(FPicture.Width() * zoom));
  const int64_t h = static_cast<int64_t>(std::ceil(FPicture.Height() * zoom));
  if (w * h > MaxLayerPixels) {
    FLayer = QImage();
    painter.drawImage(area.topLeft(), Render(area, zoom));
    return;
  }
  if (FLayer.isNull() || FLayerZoom != zoom) {
    FLayer = Render(QRect(0, 0, static_cast<int>(w), static_cast<int>(h)), zoom);
    FLayerZoom = zoom;
  }
  painter.drawImage(area.topLeft(), FLayer, area);
}
