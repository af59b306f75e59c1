#include "strain/Plotscale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// Percentile of |v| (or of v for unsigned data) that sets the end of the range.
constexpr double RangeQuantile = 0.995;
// Beyond this many times the percentile the largest values count as wild.
constexpr double OutlierRatio = 3;

}  // namespace

double NiceCeil(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= value * (1 - 1e-12)) return m * power;
  return 10 * power;
}

double NiceFloor(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * power <= value * (1 + 1e-12)) return m * power;
  return power;
}

TPlotScale::TPlotScale(const std::vector<double>& values, bool isSigned) {
  std::vector<double> magnitudes;
  magnitudes.reserve(values.size());
  for (double v : values)
    if (std::isfinite(v)) magnitudes.push_back(isSigned ? std::fabs(v) : std::max(v, 0.0));
  double top = 0;
  if (!magnitudes.empty()) {
    const size_t at =
        std::min(magnitudes.size() - 1,
                 static_cast<size_t>(RangeQuantile * static_cast<double>(magnitudes.size())));
    std::nth_element(magnitudes.begin(), magnitudes.begin() + static_cast<std::ptrdiff_t>(at),
                     magnitudes.end());
    top = magnitudes[at];
    // The whole range unless the largest values are wild: a strain concentration is what the
    // map is for and must not be clipped.
    const double largest = *std::max_element(magnitudes.begin(), magnitudes.end());
    if (largest <= OutlierRatio * top) top = largest;
  }
  if (!(top > 0)) top = 1e-6;  // a field of zeros still gets a readable bar

  // Ticks: four or five intervals of a nice step covering [0, top] (or [-top, top]).
  const int intervals = 4;
  const double step = NiceCeil(top / intervals);
  const int count = static_cast<int>(std::ceil(top / step - 1e-9));
  FHigh = step * count;
  FLow = isSigned ? -FHigh : 0;
  for (int i = isSigned ? -count : 0; i <= count; ++i) FTicks.push_back(i * step);

  FExponent = static_cast<int>(std::floor(std::log10(FHigh) / 3.0)) * 3;
  const double scaled = step / std::pow(10.0, FExponent);
  FDecimals = std::max(0, -static_cast<int>(std::floor(std::log10(scaled) + 1e-9)));
}

double TPlotScale::Fraction(double v) const {
  return std::clamp((v - FLow) / (FHigh - FLow), 0.0, 1.0);
}

std::string TPlotScale::Label(double tick) const {
  double shown = tick / std::pow(10.0, FExponent);
  if (std::fabs(shown) < 1e-12) shown = 0;  // no "-0"
  // '.' whatever the locale: a Qt application sets the user's locale for printf.
  char text[32];
  const auto end =
      std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed, FDecimals);
  return std::string(text, end.ptr);
}
