#include "app/match/Strainoverlay.h"

#include <QPainter>
#include <cmath>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "strain/Plotpaint.h"
#include "strain/Straincsv.h"

namespace {

// The map lets the dots show through faintly; arrows are drawn opaque over it: red over the
// gray picture, and over a map, whose colours include red and dark violet, black on a white
// edge, which stands out on every colour of both maps.
constexpr int MapAlpha = 204;
const QColor ArrowColour(200, 20, 20);
const QColor MapArrowColour(0, 0, 0);
const QColor MapArrowEdge(255, 255, 255);
constexpr double ArrowPen = 1.5;
constexpr double ArrowEdge = 1.5;  // device pixels of the edge on each side
// Closer arrows than this many screen pixels would merge into a smear.
constexpr double ArrowSpacing = 12;

}  // namespace

void TStrainOverlay::SetPicture(const TGrayImage* picture, const TStrainField& field) {
  const TPlotGeometry geometry(field);
  const int32_t width = geometry.Width(), height = geometry.Height();
  FGray = nullptr;
  if (picture != nullptr && picture->Width() == width && picture->Height() == height) {
    if (FPicture.Width() != width || FPicture.Height() != height)
      FPicture = TRgbSurface(width, height);
    picture->Repaint(&FPicture);
    FGray = picture;
  } else {
    FPicture = TRgbSurface(width, height, TColor{236, 236, 236});
  }
  FLayer = QImage();
}

void TStrainOverlay::SetField(std::shared_ptr<const TStrainField> field) {
  FField = std::move(field);
  FGeometry.emplace(*FField, FDeformed);
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
  if (FField) FScale.emplace(ScaleOf(*FField, quantity, FRange));
}

void TStrainOverlay::SetRange(const TColourRange& range) {
  if (range.Mode == TRangeMode::Limits) ScaleForRange({}, true, range);  // raises for no range
  FRange = range;
}

std::string TStrainOverlay::ValueAt(int32_t x, int32_t y) const {
  if (!FField || !FGeometry) return "";
  const int32_t k = FGeometry->NearestPoint(*FField, QPointF(x, y));
  if (k < 0) return "";
  const TStrainPoint& point = FField->Points()[static_cast<size_t>(k)];
  const TPlotQuantityInfo& info = InfoOf(FQuantity);
  std::string text = "  dot (" + std::to_string(point.Pair.Nx) + ", " +
                     std::to_string(point.Pair.Ny) + ") " + info.Name + " ";
  if (!HasValue(FQuantity, point)) return text + "none";
  AppendGeneral(text, ValueOf(FQuantity, point), 4);
  if (info.Displacement) text += " " + FField->FUnit;
  if (info.Degrees) text += " deg";
  return text;
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
  if (FVectors && FScale) {
    PaintArrows(painter, *FField, *FGeometry, FArrowFactor, ArrowStep(zoom), MapArrowEdge,
                ArrowPen + 2 * ArrowEdge, within);
    PaintArrows(painter, *FField, *FGeometry, FArrowFactor, ArrowStep(zoom), MapArrowColour,
                ArrowPen, within);
  } else if (FVectors) {
    PaintArrows(painter, *FField, *FGeometry, FArrowFactor, ArrowStep(zoom), ArrowColour, ArrowPen,
                within);
  }
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
