#pragma once

#include <QRect>
#include <cstdint>
#include <string>

class QPainter;
class TGrayImage;
class TRgbSurface;

// What a paint box shows instead of its own picture and labels while the overlay is set: a
// picture of the overlay's own, which sizes the box, and marks painted over it at screen
// resolution. The box's surface is left as it is, so whatever the commands drew there (marks,
// labels) is shown again when the overlay goes.
class TBoxOverlay {
 public:
  virtual ~TBoxOverlay() = default;
  virtual TRgbSurface& Picture() = 0;
  // Paints over area (box pixels, the picture already drawn) at zoom screen pixels per picture
  // pixel.
  virtual void PaintOver(QPainter& painter, const QRect& area, double zoom) = 0;
  // What the marks show at a picture pixel, for the status bar ("" where nothing), and the gray
  // picture under them (null when there is none), for the probes.
  virtual std::string ValueAt(int32_t x, int32_t y) const = 0;
  virtual const TGrayImage* GrayPicture() const = 0;
};
