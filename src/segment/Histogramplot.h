#pragma once

#include <array>
#include <cstdint>

class TSurface;

// The gray-level histogram of the simple segment dialog, without the widget: bars drawn on a
// 256 x 110 drawing area (x = gray level) and a red marker at the chosen threshold, which a
// click moves.
class THistogramPlot {
 public:
  static constexpr int32_t AreaWidth = 256;
  static constexpr int32_t AreaHeight = 110;
  static constexpr int32_t Base = AreaHeight - 1;  // the row every bar stands on
  static constexpr int32_t InitialMarker = 128;

  // Copies the counts, finds the maximum (at least 1), clears the area to white, draws every bar
  // in black and the marker in red at 128. The surface may be none.
  void SetHistogram(const std::array<int32_t, 256>& counts, TSurface* surface);
  // Height in pixels of the bar of gray level v: counts[v] * Base div max. The product is
  // formed in 64 bits: in 32 bits it overflows for counts above 19.7 million pixels.
  int32_t BarHeight(int32_t v) const;

  void MouseMove(int32_t x, int32_t y) {
    FMouseX = x;
    FMouseY = y;
  }
  // A click at the stored mouse position: outside the gray levels 0..255 it is ignored and
  // false is returned. Otherwise the marker moves there (the old marker column is erased and
  // its bar redrawn) and the new threshold is the marker x.
  bool Click(TSurface* surface);

  const std::array<int32_t, 256>& Counts() const { return FCounts; }
  int32_t MaxCount() const { return FMaxCount; }
  int32_t MarkerX() const { return FMarkerX; }
  int32_t MarkerY() const { return FMarkerY; }

 private:
  void DrawBar(TSurface* surface, int32_t v) const;

  std::array<int32_t, 256> FCounts{};
  int32_t FMaxCount = 1;
  int32_t FMouseX = 0, FMouseY = 0;
  int32_t FMarkerX = InitialMarker, FMarkerY = 0;
};
