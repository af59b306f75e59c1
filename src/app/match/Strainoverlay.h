#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>

#include "app/Boxoverlay.h"
#include "base/RgbSurface.h"
#include "strain/Plotgeometry.h"
#include "strain/Plotquantity.h"
#include "strain/Plotscale.h"
#include "strain/Strainfield.h"

class TGrayImage;

// A strain field drawn over the image view: the initial picture (or a blank area of its size),
// each dot's lattice cell in the colour of the chosen quantity, and on request the displacement
// vectors. Cells and arrows are painted at screen resolution for the zoom in hand, so they stay
// sharp at every zoom; a layer of the whole picture is kept while it is small enough, so that
// scrolling and repainting do not paint every cell again.
class TStrainOverlay : public TBoxOverlay {
 public:
  // Above this many screen pixels (zoomed far in) only the area asked for is painted.
  static constexpr int64_t MaxLayerPixels = 8'000'000;

  // The picture under the map: the initial picture, or a blank area when it is null or not of
  // the size the field's dots were measured in. A picture used stays the caller's and must live
  // while it is shown.
  void SetPicture(const TGrayImage* picture, const TStrainField& field);
  // Draws the dots where they have moved to, over the deformed picture (from the next field on).
  void SetDeformed(bool deformed) { FDeformed = deformed; }
  // How the colour range is chosen (from the next field or quantity on). Raises TError for
  // limits that are no range.
  void SetRange(const TColourRange& range);
  // The field to draw. The quantity stays; its colour scale is made anew, and when no dot has
  // a value of it there is no map (HasMap false) until another is chosen.
  void SetField(std::shared_ptr<const TStrainField> field);
  // Raises TError (the core's message) when no dot has a value of the quantity; the map is
  // then left out, the picture and vectors stay.
  void SetQuantity(TPlotQuantity quantity);
  void SetVectors(bool shown);

  TPlotQuantity Quantity() const { return FQuantity; }
  // Where the field's dots lie; null before the first field.
  const TPlotGeometry* Geometry() const { return FGeometry ? &*FGeometry : nullptr; }
  bool HasMap() const { return FScale.has_value(); }
  const TPlotScale& Scale() const { return *FScale; }
  bool VectorsShown() const { return FVectors; }
  // Every how many dots (in both grid directions) an arrow is drawn at a zoom, so that arrows
  // never crowd, and the displacement magnification there: arrows of every step-th dot are made
  // step times longer, so that they read as well zoomed out as in.
  int32_t ArrowStep(double zoom) const;
  double ArrowMagnification(double zoom) const { return FArrowFactor * ArrowStep(zoom); }

  TRgbSurface& Picture() override { return FPicture; }
  void PaintOver(QPainter& painter, const QRect& area, double zoom) override;
  // The nearest dot's grid position and value: "  dot (3, -2) exx 0.0012".
  std::string ValueAt(int32_t x, int32_t y) const override;
  const TGrayImage* GrayPicture() const override { return FGray; }
  const TStrainField* Field() const { return FField.get(); }

 private:
  // The cells and arrows of area (box pixels) at a zoom, on a transparent image of its size.
  QImage Render(const QRect& area, double zoom) const;

  std::shared_ptr<const TStrainField> FField;
  std::optional<TPlotGeometry> FGeometry;
  TPlotQuantity FQuantity = TPlotQuantity::Exx;
  std::optional<TPlotScale> FScale;
  TColourRange FRange;
  bool FDeformed = false;
  const TGrayImage* FGray = nullptr;
  bool FVectors = false;
  double FArrowFactor = 1;
  TRgbSurface FPicture;
  QImage FLayer;  // the whole box at FLayerZoom; null when out of date
  double FLayerZoom = 0;
};
