#pragma once

// Direction and length of a displacement (dx, dy) given in a y-up frame.

// Radians in (-pi, pi]: atan2 in double precision when neither component is 0, otherwise the
// single-precision constants 3.1415925 (dy = 0, dx < 0), 0 (dy = 0, dx >= 0, also no motion)
// and +-1.5707963 (dx = 0).
float DisplacementTheta(float dx, float dy);

// sqrt(dx^2 + dy^2) in double precision, stored as a float.
float DisplacementR(float dx, float dy);

// -value, except that a zero stays a plain zero (no "-0.000" in the result files).
inline float NegatedValue(float value) {
  return 0.0f - value;
}
