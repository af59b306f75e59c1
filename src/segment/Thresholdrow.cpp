#include "segment/Thresholdrow.h"

#include <algorithm>
#include <cmath>
#include <limits>

float EdgeQuotient(int32_t dx, int32_t w, int32_t a, int32_t b) {
  const int64_t numerator =
      (static_cast<int64_t>(w) - dx) * a + static_cast<int64_t>(dx) * static_cast<int64_t>(b);
  return static_cast<float>(static_cast<long double>(numerator) / static_cast<long double>(w));
}

int32_t BlendTruncate(int32_t dy, int32_t h, float top, float bottom) {
  const long double upper = static_cast<long double>(static_cast<int64_t>(h) - dy) * top;
  const long double lower = static_cast<long double>(dy) * bottom;
  const long double t = std::trunc((upper + lower) / static_cast<long double>(h));
  if (t >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (t <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(t);
}

// Why the double-precision value may stand for BlendTruncate. Let Q be the exact value of
// ((h - dy) top + dy bottom) / h for the single-precision top and bottom of a column, with
// |top|, |bottom| <= 2^20 (the lattice gives at most 510) and h < 2^29.
//  - BlendTruncate's two products are exact in the 64-bit significand of extended precision;
//    its sum and its quotient round once each, so |q_ext - Q| <= 2^-62 |Q| < 2^-42.
//  - q = top + dy * ((bottom - top) * (1 / h)) rounds five times on terms below 2^21, so
//    |q - Q| < 2^-29.
//  - When q lies at least 2^-20 from every integer, no integer lies between q, Q and q_ext, and
//    all three truncate alike.
//  - When bottom == top or dy == 0, q is exactly top, and so is q_ext: the sum h * top is
//    exact and so is its quotient by h.
// What is left - q within 2^-20 of an integer while the slope term is not zero - is rare in a
// real picture (an exactly integral threshold off the lattice rows) and is computed by
// BlendTruncate itself.
namespace {

constexpr double Limit = 1048576.0;                // 2^20
constexpr int32_t HeightLimit = 1 << 29;           // keeps the products exact
constexpr double Margin = 1.0 / 1048576.0;         // 2^-20
constexpr double RoundMagic = 6755399441055744.0;  // 1.5 * 2^52: (q + M) - M rounds q to an integer
constexpr int32_t Block = 64;

}  // namespace

void TThresholdRow::Reset(int32_t count, int32_t h) {
  FCount = std::max(count, 0);
  FHeight = std::max(h, 1);
  FCertifiable = FHeight < HeightLimit;
  FTop.assign(static_cast<size_t>(FCount), 0.0);
  FBottom.assign(static_cast<size_t>(FCount), 0.0);
  FSlope.assign(static_cast<size_t>(FCount), 0.0);
}

void TThresholdRow::SetColumn(int32_t i, float top, float bottom) {
  FTop[i] = top;
  FBottom[i] = bottom;
  FSlope[i] = (static_cast<double>(bottom) - static_cast<double>(top)) * (1.0 / FHeight);
  if (!(std::fabs(FTop[i]) <= Limit && std::fabs(FBottom[i]) <= Limit)) FCertifiable = false;
}

void TThresholdRow::Compute(int32_t dy, int32_t* out) const {
  if (FCertifiable)
    ComputeChecked(dy, out);
  else
    ComputeExact(dy, 0, FCount, out);
}

void TThresholdRow::ComputeChecked(int32_t dy, int32_t* out) const {
  const double* top = FTop.data();
  const double* slope = FSlope.data();
  const double rowOffset = dy;
  for (int32_t begin = 0; begin < FCount; begin += Block) {
    const int32_t end = std::min(begin + Block, FCount);
    int32_t doubtful = 0;
    for (int32_t i = begin; i < end; ++i) {
      const double term = rowOffset * slope[i];
      const double q = top[i] + term;
      const double d = q - ((q + RoundMagic) - RoundMagic);
      doubtful |= static_cast<int32_t>(d < Margin) & static_cast<int32_t>(d > -Margin) &
                  static_cast<int32_t>(term != 0.0);
      out[i] = static_cast<int32_t>(q);
    }
    if (doubtful != 0) {
      for (int32_t i = begin; i < end; ++i) {
        const double term = rowOffset * slope[i];
        const double q = top[i] + term;
        const double d = q - ((q + RoundMagic) - RoundMagic);
        if (d < Margin && d > -Margin && term != 0.0) ComputeExact(dy, i, i + 1, out);
      }
    }
  }
}

void TThresholdRow::ComputeExact(int32_t dy, int32_t begin, int32_t end, int32_t* out) const {
  for (int32_t i = begin; i < end; ++i)
    out[i] =
        BlendTruncate(dy, FHeight, static_cast<float>(FTop[i]), static_cast<float>(FBottom[i]));
}
