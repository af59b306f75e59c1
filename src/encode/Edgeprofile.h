#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// How a dot's edge looks in the pixels of a picture: a straight step integrated over a square
// pixel (the pixel sees the share of its area inside the dot) and blurred by a Gaussian of the
// given sigma. Across an edge whose normal makes the angle theta with the pixel rows, the pixel
// integration spreads the step over two boxes of widths |cos theta| and |sin theta|; a Gaussian
// edge alone misses that shape on sharp pictures and pulls fitted centres towards the pixel
// grid.
//
// The profile is tabulated once for the sigma, over the signed distance of the pixel centre
// inside the edge (linear between steps of 1/64 px) and the tangent of the normal's angle folded
// into 0..45 degrees (the nearest of 33 steps: the shape changes little with the angle).
class TEdgeProfile {
 public:
  // stepsPerPixel: the table's resolution in distance (a rough profile serves to compare sigmas).
  explicit TEdgeProfile(double sigma, int32_t stepsPerPixel = 64);
  double Sigma() const { return FSigma; }
  // Beyond this distance either side the pixel is wholly outside (0) or inside (1).
  float Reach() const { return FReach; }

  // The share f of the pixel inside the dot and its derivative df by the distance, for a pixel
  // centre at distance inside the edge (negative: outside) whose edge normal has the folded
  // tangent (0..1).
  void At(float distance, float tangent, float& f, float& df) const {
    const float* e = Entry(Step(distance), tangent);
    const float a = Fraction(distance);
    f = e[0] + a * (e[2] - e[0]);
    df = e[1] + a * (e[3] - e[1]);
  }
#if defined(__SSE2__)
  // The same for four pixels at once.
  void At4(__m128 distance, __m128 tangent, __m128& f, __m128& df) const {
    const __m128 step = _mm_min_ps(
        _mm_max_ps(_mm_mul_ps(_mm_add_ps(distance, _mm_set1_ps(FReach)), _mm_set1_ps(FScale)),
                   _mm_setzero_ps()),
        _mm_set1_ps(FLast));
    const __m128i whole = _mm_cvttps_epi32(step);
    const __m128 a = _mm_sub_ps(step, _mm_cvtepi32_ps(whole));
    const __m128 angle = _mm_cvtepi32_ps(_mm_cvttps_epi32(
        _mm_add_ps(_mm_mul_ps(_mm_min_ps(_mm_max_ps(tangent, _mm_setzero_ps()), _mm_set1_ps(1.0f)),
                              _mm_set1_ps(static_cast<float>(Angles))),
                   _mm_set1_ps(0.5f))));
    // The entry's index in floats: exact below 2^24.
    alignas(16) int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at),
                    _mm_cvttps_epi32(_mm_mul_ps(
                        _mm_add_ps(_mm_mul_ps(angle, _mm_set1_ps(static_cast<float>(FSteps))),
                                   _mm_cvtepi32_ps(whole)),
                        _mm_set1_ps(2.0f))));
    const float* t = FTable.data();
    __m128 e0 = _mm_loadu_ps(t + at[0]), e1 = _mm_loadu_ps(t + at[1]);
    __m128 e2 = _mm_loadu_ps(t + at[2]), e3 = _mm_loadu_ps(t + at[3]);
    _MM_TRANSPOSE4_PS(e0, e1, e2, e3);  // e0: f at the step, e1: df, e2: f one step on, e3: df
    f = _mm_add_ps(e0, _mm_mul_ps(a, _mm_sub_ps(e2, e0)));
    df = _mm_add_ps(e1, _mm_mul_ps(a, _mm_sub_ps(e3, e1)));
  }
#endif

 private:
  static constexpr int32_t Angles = 32;  // steps of the tangent from 0 to 1
  // The step below the distance, clamped to the table (whose ends are 0 and 1 to 3e-7).
  int32_t Step(float distance) const {
    const float s = std::clamp((distance + FReach) * FScale, 0.0f, FLast);
    return static_cast<int32_t>(s);
  }
  float Fraction(float distance) const {
    const float s = std::clamp((distance + FReach) * FScale, 0.0f, FLast);
    return s - static_cast<float>(static_cast<int32_t>(s));
  }
  const float* Entry(int32_t step, float tangent) const {
    const int32_t angle = static_cast<int32_t>(std::clamp(tangent, 0.0f, 1.0f) * Angles + 0.5f);
    return FTable.data() + 2 * (static_cast<size_t>(angle) * static_cast<size_t>(FSteps) +
                                static_cast<size_t>(step));
  }

  double FSigma;
  float FReach, FScale, FLast;
  int32_t FSteps;
  std::vector<float> FTable;  // (f, df) by angle, then distance
};
