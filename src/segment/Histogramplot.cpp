#include "segment/Histogramplot.h"

#include "base/Surface.h"

void THistogramPlot::SetHistogram(const std::array<int32_t, 256>& counts, TSurface* surface) {
  FCounts = counts;
  FMaxCount = 1;
  for (int32_t c : FCounts)
    if (c > FMaxCount) FMaxCount = c;
  FMarkerX = InitialMarker;
  FMarkerY = 0;
  if (surface == nullptr) return;
  for (int32_t v = 0; v < AreaWidth; ++v) surface->Line(v, 0, v, AreaHeight, clWhite);
  for (int32_t v = 0; v < AreaWidth; ++v) DrawBar(surface, v);
  surface->Line(FMarkerX, Base, FMarkerX, 0, clRed);
}

int32_t THistogramPlot::BarHeight(int32_t v) const {
  if (v < 0 || v > 255) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(FCounts[v]) * Base / FMaxCount);
}

void THistogramPlot::DrawBar(TSurface* surface, int32_t v) const {
  // The end point is not drawn: the tallest bar reaches row 1, an empty level draws nothing.
  surface->Line(v, Base, v, Base - BarHeight(v), clBlack);
}

bool THistogramPlot::Click(TSurface* surface) {
  const int32_t x = FMouseX;
  if (x < 0 || x > 255) return false;
  if (surface != nullptr) {
    surface->Line(FMarkerX, Base, FMarkerX, 0, clWhite);
    DrawBar(surface, FMarkerX);
    surface->Line(x, Base, x, 0, clRed);
  }
  FMarkerX = x;
  FMarkerY = FMouseY;
  return true;
}
