#include "match/Polar.h"

#include <cmath>

float DisplacementTheta(float dx, float dy) {
  constexpr float Pi = 3.1415925f;
  constexpr float HalfPi = 1.5707963f;
  if (dy == 0) return dx < 0 ? Pi : 0.0f;
  if (dx == 0) return dy > 0 ? HalfPi : -HalfPi;
  return static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
}

float DisplacementR(float dx, float dy) {
  const double x = dx;
  const double y = dy;
  return static_cast<float>(std::sqrt(x * x + y * y));
}
