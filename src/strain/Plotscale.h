#pragma once

#include <string>
#include <vector>

// The value range of a colour bar, its ticks and their labels. The range is rounded outwards to
// a step of 1, 2 or 5 times a power of ten; signed ranges are symmetric about 0. Labels share
// one power of ten, a multiple of 3, which goes into the unit text ("x1e-3").
class TPlotScale {
 public:
  // values: the values to show. The range holds them all, unless the largest |v| exceeds three
  // times the 99.5th percentile: then the percentile sets it and the wild few are drawn at the
  // ends, so that one bad dot does not wash out the map.
  TPlotScale(const std::vector<double>& values, bool isSigned);

  double Low() const { return FLow; }
  double High() const { return FHigh; }
  // Position of v in [0, 1] along the bar (clamped).
  double Fraction(double v) const;
  const std::vector<double>& Ticks() const { return FTicks; }
  std::string Label(double tick) const;
  // The power of ten of the labels (0, 3, -3, -6, ...).
  int Exponent() const { return FExponent; }

 private:
  double FLow = 0, FHigh = 1;
  std::vector<double> FTicks;
  int FExponent = 0;
  int FDecimals = 0;
};

// The nice number (1, 2 or 5 times a power of ten) at or above value > 0.
double NiceCeil(double value);
// The nice number at or below value > 0.
double NiceFloor(double value);
