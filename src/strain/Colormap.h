#pragma once

#include <QColor>
#include <array>
#include <cstddef>

// A colour map interpolated linearly between evenly spaced control colours.
// Viridis: perceptually uniform from dark violet to yellow, for quantities of one sign.
// Diverging: blue through light gray to red, centred on its middle, for signed quantities.
class TColorMap {
 public:
  static const TColorMap& Viridis();
  static const TColorMap& Diverging();

  // The colour at t in [0, 1]; t outside is clamped, NaN gives the lowest colour.
  QColor At(double t) const;

 private:
  static constexpr size_t Stops = 9;
  explicit TColorMap(const std::array<std::array<int, 3>, Stops>& stops) : FStops(stops) {}
  std::array<std::array<int, 3>, Stops> FStops;
};
