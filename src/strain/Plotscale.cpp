#include "strain/Plotscale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/Error.h"

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
  FDiverging = isSigned;
  for (int i = isSigned ? -count : 0; i <= count; ++i) FTicks.push_back(i * step);
  SetLabels(step);
}

TPlotScale::TPlotScale(double low, double high, bool diverging, bool roundOut) {
  if (roundOut) {
    // To a twentieth of the span, so that the ends stay close to the values.
    const double grid = NiceCeil((high - low) / 20);
    low = grid * std::floor(low / grid + 1e-9);
    high = grid * std::ceil(high / grid - 1e-9);
  }
  const double step = NiceCeil((high - low) / 4);
  FLow = low;
  FHigh = high;
  FDiverging = diverging && std::fabs(low + high) <= 1e-9 * (high - low);
  for (double tick = step * std::ceil(low / step - 1e-9); tick <= high + 1e-9 * step; tick += step)
    FTicks.push_back(std::fabs(tick) < 1e-9 * step ? 0 : tick);
  SetLabels(step);
}

void TPlotScale::SetLabels(double step) {
  const double largest = std::max(std::fabs(FLow), std::fabs(FHigh));
  FExponent = static_cast<int>(std::floor(std::log10(largest) / 3.0)) * 3;
  const double scaled = step / std::pow(10.0, FExponent);
  FDecimals = std::max(0, -static_cast<int>(std::floor(std::log10(scaled) + 1e-9)));
}

TPlotScale ScaleForRange(std::vector<double> values, bool isSigned, const TColourRange& range) {
  if (range.Mode == TRangeMode::Whole) return TPlotScale(values, isSigned);
  if (range.Mode == TRangeMode::Limits) {
    if (!std::isfinite(range.Low) || !std::isfinite(range.High) || !(range.Low < range.High))
      throw TError("The colour range needs a low limit below its high limit");
    return TPlotScale(range.Low, range.High, true, false);
  }
  if (!(range.Percent >= 0 && range.Percent <= 49))
    throw TError("The share left out at each end of the colour range must be 0 to 49 %");
  values.erase(
      std::remove_if(values.begin(), values.end(), [](double v) { return !std::isfinite(v); }),
      values.end());
  double low = 0, high = 0;
  if (!values.empty()) {
    auto at = [&values](double fraction) {
      const size_t k = std::min(values.size() - 1,
                                static_cast<size_t>(fraction * static_cast<double>(values.size())));
      std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k),
                       values.end());
      return values[k];
    };
    low = at(range.Percent / 100);
    high = at(1 - range.Percent / 100);
  }
  if (range.Mode == TRangeMode::Symmetric) {
    high = std::max(std::fabs(low), std::fabs(high));
    if (!(high > 0)) high = 1e-6;
    low = -high;
  } else if (!(high > low)) {
    // One value everywhere: a narrow range about it.
    const double half = std::max(std::fabs(low) * 0.01, 1e-6);
    low -= half;
    high += half;
  }
  return TPlotScale(low, high, range.Mode == TRangeMode::Symmetric, true);
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
