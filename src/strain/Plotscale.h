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
  // The range [low, high] (low < high), with ticks of a nice step inside it; rounded outwards to
  // that step when asked. A diverging bar is centred on 0 only when the range is.
  TPlotScale(double low, double high, bool diverging, bool roundOut);

  double Low() const { return FLow; }
  double High() const { return FHigh; }
  // Position of v in [0, 1] along the bar (clamped).
  double Fraction(double v) const;
  const std::vector<double>& Ticks() const { return FTicks; }
  std::string Label(double tick) const;
  // Blue through gray to red about 0, else dark violet to yellow from Low to High.
  bool Diverging() const { return FDiverging; }
  // The power of ten of the labels (0, 3, -3, -6, ...).
  int Exponent() const { return FExponent; }

 private:
  void SetLabels(double step);

  double FLow = 0, FHigh = 1;
  bool FDiverging = false;
  std::vector<double> FTicks;
  int FExponent = 0;
  int FDecimals = 0;
};

// How a map's colour range is chosen. Whole: every value, unless a wild few would wash out the
// rest (the plot files' rule). Percentiles: from the Percent-th to the (100 - Percent)-th
// percentile, on the one-sign map. Symmetric: +-(the larger end of those percentiles), on the
// diverging map. Limits: Low to High as given, diverging only when Low = -High.
enum class TRangeMode { Whole, Percentiles, Symmetric, Limits };
struct TColourRange {
  TRangeMode Mode = TRangeMode::Whole;
  double Percent = 2;
  double Low = 0;
  double High = 0;
};

// The scale of the values for a range; signed tells a quantity whose Whole range is centred on
// 0. Raises TError for limits that are not a range (Low not below High, not finite) or a percent
// outside 0 to 49.
TPlotScale ScaleForRange(std::vector<double> values, bool isSigned, const TColourRange& range);

// The nice number (1, 2 or 5 times a power of ten) at or above value > 0.
double NiceCeil(double value);
// The nice number at or below value > 0.
double NiceFloor(double value);
