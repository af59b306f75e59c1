#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "encode/Edgeprofile.h"
#include "encode/Refinecentroid.h"

// The fit of one dot's edge for FitCentroids (Discfit.h); not meant for other callers.
namespace discfit {

// Where a dot's fit starts: its centre, radius and contrast (0: from the picture), and its
// background plane about the start.
struct TStart {
  double X0, Y0, R0, A0;
  TBackgroundPlane Plane;
};
// A dot that overlaps the one fitted (or comes within a pixel of it): the side of it is left
// out. Separate neighbours are not: their light on a blurred picture falls on every side of a
// dot inside the grid alike, and their modelled edges, never quite their real ones, did worse.
struct TNeighbour {
  float X, Y, R;
};
struct TResult {
  double X = 0, Y = 0, R = 0, A = 0;
  double Cost = 0;     // residual sum of squares of the last pass
  int32_t Pixels = 0;  // the pixels it was taken over
};

// Fits dots one after the other on one picture, reading its pixels of type TPixel; one per
// thread, since it keeps the window's buffers.
template <typename TPixel>
class TFitter {
 public:
  static constexpr int32_t Unknowns = 5;     // x, y, radius, contrast, background offset
  static constexpr int32_t Iterations = 10;  // blurred dots start far off in radius and contrast
  static constexpr double OutlierContrast = 0.12;
  static constexpr double Settled = 0.02;  // px: the last step moved the centre less than this

  TFitter(const TPixel* data, int32_t width, int32_t height, int32_t sign,
          const std::vector<uint32_t>& junk)
      : FData(data), FWidth(width), FHeight(height), FSign(sign), FJunk(junk) {}

  // A residual beyond this (gray levels) marks a pixel as not the dot's; 0: none does.
  void SetOutlier(double bound) { FOutlier = bound; }

  // Fits over the pixels within band of the edge, leaving out those within margin of an
  // overlapping neighbour's edge or a junk pixel (Discfit.h); false when the fit does not hold.
  bool Fit(const TStart& s, const std::vector<TNeighbour>& neighbours, const TEdgeProfile& profile,
           double band, double margin, TResult& out) {
    const double reach = s.R0 + band + 0.5;
    FX0 = std::max(0, static_cast<int32_t>(std::floor(s.X0 - reach)));
    FY0 = std::max(0, static_cast<int32_t>(std::floor(s.Y0 - reach)));
    const int32_t x1 = std::min(FWidth - 1, static_cast<int32_t>(std::ceil(s.X0 + reach)));
    const int32_t y1 = std::min(FHeight - 1, static_cast<int32_t>(std::ceil(s.Y0 + reach)));
    if (x1 < FX0 || y1 < FY0) return false;
    FW = x1 - FX0 + 1, FH = y1 - FY0 + 1;
    Window(s, neighbours, margin, reach);
    double p[Unknowns] = {s.X0, s.Y0, s.R0, s.A0, 0};  // the offset is over the plane
    if (p[3] == 0) p[3] = StartContrast(s, band);
    if (!Converge(s, profile, p, out)) return false;
    // Pixels far off the model (a speck the segmentation missed or cut away) and the ground
    // around them are left out, and the fit goes on without them.
    // An eighth of the contrast is more than the model misses by where it fits.
    const double bound = std::max(FOutlier, OutlierContrast * std::fabs(p[3]));
    for (int32_t round = 0; round < 2 && FOutlier > 0 && FWorst > bound; ++round) {
      LeaveOutOutliers(p, profile, bound);
      if (!Converge(s, profile, p, out)) return false;
    }
    // A fit that leaves its dot follows something else.
    // (A start pulled off by a speck that stayed on its blob may lie over a pixel away.)
    if (std::hypot(p[0] - s.X0, p[1] - s.Y0) > std::max(1.0, 0.4 * s.R0) || !(p[2] < 3 * s.R0 + 2))
      return false;
    out.X = p[0], out.Y = p[1], out.R = p[2], out.A = p[3];
    return true;
  }

 private:
  // Gauss-Newton steps, damped (Levenberg-Marquardt) only when a step made the fit worse: a
  // dot among merged ones shows little background, and its contrast and offset then trade
  // against each other.
  bool Converge(const TStart& s, const TEdgeProfile& profile, double* p, TResult& out) {
    Split(p, profile.Reach());
    std::array<double, Unknowns * Unknowns> a{}, accepted{};
    std::array<double, Unknowns> g{}, gradient{};
    double best[Unknowns], bestCost = 0, damping = 0;
    int32_t pixels = 0;
    bool wild = false;  // the last step left the dot: it counts as worse
    for (int32_t it = 0; it < 3 * Iterations; ++it) {
      double cost = 0;
      if (!wild) {
        if (Distance(p[0] - FSplit[0], p[1] - FSplit[1]) + std::fabs(p[2] - FSplit[2]) > Margin)
          Split(p, profile.Reach());
        const int32_t n = Normal(p, profile, a, g, cost);
        if (n < 3 * Unknowns) return false;
        if (it == 0 || cost <= bestCost) {
          std::copy(p, p + Unknowns, best);
          bestCost = cost, accepted = a, gradient = g, pixels = n;
          damping /= 10;
          if (it > 0 && std::hypot(FStep[0], FStep[1]) < Settled &&
              std::fabs(FStep[2]) < 10 * Settled)
            break;
          if (it >= Iterations) break;
        }
      }
      if (wild || cost > bestCost) {
        damping = std::max(10 * damping, 1e-3);
        if (damping > 1e6) break;
      }
      std::array<double, Unknowns* Unknowns> m = accepted;
      std::array<double, Unknowns> step = gradient;
      for (int32_t u = 0; u < Unknowns; ++u) m[u * Unknowns + u] *= 1 + damping;
      if (!Solve(m, step)) return false;
      // The radius moves by half of itself at most: a blurred dot's blob is far larger.
      step[2] = std::clamp(step[2], -0.5 * best[2], 0.5 * best[2]);
      for (int32_t u = 0; u < Unknowns; ++u) p[u] = best[u] + step[u], FStep[u] = step[u];
      wild = std::hypot(p[0] - s.X0, p[1] - s.Y0) > std::max(2.0, 0.8 * s.R0) || !(p[2] > 0.2) ||
             !(FSign * p[3] > 0);
    }
    std::copy(best, best + Unknowns, p);
    out.Cost = bestCost, out.Pixels = pixels;
    return true;
  }

  // Leaves out the pixels whose residual at p is beyond the outlier bound, with their eight
  // neighbours.
  void LeaveOutOutliers(const double* p, const TEdgeProfile& profile, double bound) {
    if (FMask.size() != static_cast<size_t>(FW) * static_cast<size_t>(FH))
      FMask.assign(static_cast<size_t>(FW) * static_cast<size_t>(FH), 1);
    std::vector<uint8_t> bad(FMask.size(), 0);
    const double cx = p[0] - FOriginX, cy = p[1] - FOriginY;
    auto cell = [&](size_t k) {
      const int32_t u = static_cast<int32_t>(std::lround(FPx[k] + FOriginX)) - FX0;
      const int32_t v = static_cast<int32_t>(std::lround(FPy[k] + FOriginY)) - FY0;
      return std::make_pair(u, v);
    };
    for (size_t k = 0; k < FValue.size(); ++k) {
      const double fx = FPx[k] - cx, fy = FPy[k] - cy, d = Distance(fx, fy);
      const double ax = std::fabs(fx), ay = std::fabs(fy), big = std::max(ax, ay);
      float f = 0, df = 0;
      profile.At(static_cast<float>(p[2] - d),
                 big > 0 ? static_cast<float>(std::min(ax, ay) / big) : 0.0f, f, df);
      // Only light the dot does not explain: a fit pulled by a speck undershoots its own pixels.
      if (FSign * (FValue[k] - (p[4] + p[3] * f)) <= bound) continue;
      const auto [u, v] = cell(k);
      for (int32_t dv = -1; dv <= 1; ++dv)
        for (int32_t du = -1; du <= 1; ++du)
          if (u + du >= 0 && v + dv >= 0 && u + du < FW && v + dv < FH)
            bad[static_cast<size_t>(v + dv) * static_cast<size_t>(FW) + (u + du)] = 1;
    }
    size_t kept = 0;
    for (size_t k = 0; k < FValue.size(); ++k) {
      const auto [u, v] = cell(k);
      if (bad[static_cast<size_t>(v) * static_cast<size_t>(FW) + u]) continue;
      FPx[kept] = FPx[k], FPy[kept] = FPy[k], FValue[kept] = FValue[k];
      ++kept;
    }
    FPx.resize(kept), FPy.resize(kept), FValue.resize(kept);
  }

  // The normal equations of the model at p over the usable pixels; returns their count. Only
  // the pixels on the edge need the profile: wholly inside or outside, a pixel tells of the
  // contrast and the offset alone, and those sums are taken in closed form.
  int32_t Normal(const double* p, const TEdgeProfile& profile,
                 std::array<double, Unknowns * Unknowns>& a, std::array<double, Unknowns>& g,
                 double& cost) const {
    const float cx = static_cast<float>(p[0] - FOriginX), cy = static_cast<float>(p[1] - FOriginY);
    const float r = static_cast<float>(p[2]), amp = static_cast<float>(p[3]);
    const float offset = static_cast<float>(p[4]);
    const float reach = profile.Reach();
    const float in = std::max(r - reach, 0.0f), out = r + reach;
    const float in2 = in * in, out2 = out * out;
    // Inside: F = 1, outside: F = 0: count, sum and sum of squares of the values above the plane,
    // those of the pixels outside the band from Split.
    TSums inside = FCore, outside = FOuter;
    float sums[Terms + 1] = {};  // and the largest residual
    BandSums(cx, cy, r, amp, offset, profile, in2, out2, inside, outside, sums);
    const float a00 = sums[0], a10 = sums[1], a11 = sums[2], a20 = sums[3], a21 = sums[4],
                a22 = sums[5], a30 = sums[6], a31 = sums[7], a32 = sums[8], a33 = sums[9],
                a40 = sums[10], a41 = sums[11], a42 = sums[12], a43 = sums[13], a44 = sums[14];
    const float g0 = sums[15], g1 = sums[16], g2 = sums[17], g3 = sums[18], g4 = sums[19],
                squares = sums[20];
    const float lower[Unknowns * Unknowns] = {a00, 0,   0,   0,   0,   a10, a11, 0,   0,
                                              0,   a20, a21, a22, 0,   0,   a30, a31, a32,
                                              a33, 0,   a40, a41, a42, a43, a44};
    for (int32_t u = 0; u < Unknowns; ++u)
      for (int32_t m = 0; m <= u; ++m) a[u * Unknowns + m] = lower[u * Unknowns + m];
    g = {g0, g1, g2, g3, g4};
    // Inside: J = (0, 0, 0, 1, 1), e = w - offset - amp; outside: J = (0, 0, 0, 0, 1), e = w -
    // offset.
    const double cIn = p[4] + p[3], cOut = p[4];
    const double eIn = inside.Sum - inside.N * cIn, eOut = outside.Sum - outside.N * cOut;
    a[3 * Unknowns + 3] += inside.N, a[4 * Unknowns + 3] += inside.N;
    a[4 * Unknowns + 4] += inside.N + outside.N;
    g[3] += eIn, g[4] += eIn + eOut;
    cost = squares + inside.Squares(cIn) + outside.Squares(cOut);
    FWorst = std::max({static_cast<double>(sums[Terms]), inside.Worst(cIn), outside.Worst(cOut)});
    for (int32_t u = 0; u < Unknowns; ++u) {
      for (int32_t m = 0; m < u; ++m) a[m * Unknowns + u] = a[u * Unknowns + m];
      a[u * Unknowns + u] *= 1 + 1e-9;
    }
    return static_cast<int32_t>(a44 + inside.N + outside.N);
  }

  struct TSums {
    double N = 0, Sum = 0, Square = 0, Low = 1e300, High = -1e300;
    void Add(double w) {
      N += 1, Sum += w, Square += w * w, Low = std::min(Low, w), High = std::max(High, w);
    }
    double Worst(double c) const { return N > 0 ? std::max(High - c, c - Low) : 0; }
    double Squares(double c) const { return Square - 2 * c * Sum + N * c * c; }  // of w - c
  };

  // The sums over the band's pixels on the edge: the lower half of J'J (15), J'e (5) and e'e,
  // in the order of Normal. A band pixel wholly inside or outside counts in those sums instead.
  static constexpr int32_t Terms = 21;
  void BandSums(float cx, float cy, float r, float amp, float offset, const TEdgeProfile& profile,
                float in2, float out2, TSums& inside, TSums& outside, float* sums) const {
    const size_t count = FBandValue.size();
    size_t k = 0;
    auto one = [&](float fx, float fy, float w, float* to) {
      const float d2 = fx * fx + fy * fy;
      if (d2 <= in2) return inside.Add(w);
      if (d2 >= out2) return outside.Add(w);
      const float d = std::sqrt(d2), ax = std::fabs(fx), ay = std::fabs(fy);
      const float inv = 1.0f / std::max(d, 1e-6f), big = std::max(ax, ay);
      float f = 0, df = 0;
      profile.At(r - d, big > 0 ? std::min(ax, ay) / big : 0.0f, f, df);
      const float e = w - (offset + amp * f);
      const float j2 = amp * df, j0 = j2 * fx * inv, j1 = j2 * fy * inv, j3 = f;
      const float t[Terms] = {j0 * j0, j1 * j0, j1 * j1, j2 * j0, j2 * j1, j2 * j2, j3 * j0,
                              j3 * j1, j3 * j2, j3 * j3, j0,      j1,      j2,      j3,
                              1,       j0 * e,  j1 * e,  j2 * e,  j3 * e,  e,       e * e};
      for (int32_t i = 0; i < Terms; ++i) to[i] += t[i];
      to[Terms] = std::max(to[Terms], std::fabs(e));
    };
#if defined(__SSE2__)
    // Four band pixels at a time, on the edge or not: the table gives 1 and 0 beyond its reach,
    // so a pixel wholly inside or outside adds to the contrast and offset terms as it should.
    __m128 acc[Terms];
    for (__m128& a : acc) a = _mm_setzero_ps();
    __m128 worst = _mm_setzero_ps();
    const __m128 vcx = _mm_set1_ps(cx), vcy = _mm_set1_ps(cy), vr = _mm_set1_ps(r);
    const __m128 vamp = _mm_set1_ps(amp), voff = _mm_set1_ps(offset);
    const __m128 sign = _mm_set1_ps(-0.0f), tiny = _mm_set1_ps(1e-6f), one4 = _mm_set1_ps(1.0f);
    for (; k + 4 <= count; k += 4) {
      const __m128 fx = _mm_sub_ps(_mm_loadu_ps(FBandX.data() + k), vcx);
      const __m128 fy = _mm_sub_ps(_mm_loadu_ps(FBandY.data() + k), vcy);
      const __m128 w = _mm_loadu_ps(FBandValue.data() + k);
      const __m128 d = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(fx, fx), _mm_mul_ps(fy, fy)));
      const __m128 inv = _mm_div_ps(one4, _mm_max_ps(d, tiny));
      const __m128 ax = _mm_andnot_ps(sign, fx), ay = _mm_andnot_ps(sign, fy);
      const __m128 big = _mm_max_ps(_mm_max_ps(ax, ay), tiny);
      __m128 f, df;
      profile.At4(_mm_sub_ps(vr, d), _mm_div_ps(_mm_min_ps(ax, ay), big), f, df);
      const __m128 e = _mm_sub_ps(w, _mm_add_ps(voff, _mm_mul_ps(vamp, f)));
      const __m128 j2 = _mm_mul_ps(vamp, df);
      const __m128 j0 = _mm_mul_ps(j2, _mm_mul_ps(fx, inv)),
                   j1 = _mm_mul_ps(j2, _mm_mul_ps(fy, inv));
      const __m128 j3 = f;
      const __m128 t[Terms] = {_mm_mul_ps(j0, j0),
                               _mm_mul_ps(j1, j0),
                               _mm_mul_ps(j1, j1),
                               _mm_mul_ps(j2, j0),
                               _mm_mul_ps(j2, j1),
                               _mm_mul_ps(j2, j2),
                               _mm_mul_ps(j3, j0),
                               _mm_mul_ps(j3, j1),
                               _mm_mul_ps(j3, j2),
                               _mm_mul_ps(j3, j3),
                               j0,
                               j1,
                               j2,
                               j3,
                               one4,
                               _mm_mul_ps(j0, e),
                               _mm_mul_ps(j1, e),
                               _mm_mul_ps(j2, e),
                               _mm_mul_ps(j3, e),
                               e,
                               _mm_mul_ps(e, e)};
      for (int32_t i = 0; i < Terms; ++i) acc[i] = _mm_add_ps(acc[i], t[i]);
      worst = _mm_max_ps(worst, _mm_andnot_ps(sign, e));
    }
    for (int32_t i = 0; i < Terms; ++i) {
      alignas(16) float lanes[4];
      _mm_store_ps(lanes, acc[i]);
      sums[i] += (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, worst);
    sums[Terms] = std::max({sums[Terms], lanes[0], lanes[1], lanes[2], lanes[3]});
#endif
    for (; k < count; ++k) one(FBandX[k] - cx, FBandY[k] - cy, FBandValue[k], sums);
  }

  // Sorts the usable pixels for the model at p: those within the margin of the edge's band go
  // to the band lists that Normal goes through, the sums of the others are taken once.
  void Split(const double* p, float reach) {
    FSplit[0] = p[0], FSplit[1] = p[1], FSplit[2] = p[2];
    const double cx = p[0] - FOriginX, cy = p[1] - FOriginY;
    const double in = std::max(p[2] - reach - Margin, 0.0), out = p[2] + reach + Margin;
    FCore = FOuter = {};
    FBandX.clear(), FBandY.clear(), FBandValue.clear();
    for (size_t k = 0; k < FValue.size(); ++k) {
      const double d2 = Square(FPx[k] - cx, FPy[k] - cy);
      if (d2 < in * in) {
        FCore.Add(FValue[k]);
      } else if (d2 > out * out) {
        FOuter.Add(FValue[k]);
      } else {
        FBandX.push_back(FPx[k]), FBandY.push_back(FPy[k]), FBandValue.push_back(FValue[k]);
      }
    }
  }

  // The mean of the usable pixels well inside the dot above their background, signed by the
  // dots' colour.
  double StartContrast(const TStart& s, double band) const {
    const double inner = std::max(s.R0 - band, 0.5 * s.R0);
    double sum = 0;
    int32_t n = 0;
    for (size_t k = 0; k < FValue.size(); ++k)
      if (FPx[k] * FPx[k] + FPy[k] * FPy[k] <= inner * inner) sum += FValue[k], ++n;
    return FSign * std::max(FSign * (n > 0 ? sum / n : 0.0), 1.0);
  }

  static double Distance(double x, double y) {
    return std::sqrt(x * x + y * y);
  }
  static double Square(double x, double y) {
    return x * x + y * y;
  }

  // The usable pixels, as offsets from the start and values above the background plane. Left
  // out: beyond reach of the start; within band of an overlapping neighbour's edge or of a junk
  // pixel, unless inside the dot's own body, where its light covers theirs.
  void Window(const TStart& s, const std::vector<TNeighbour>& neighbours, double band,
              double reach) {
    const bool masked = !neighbours.empty() || !FJunk.empty();
    if (masked) {
      FMask.assign(static_cast<size_t>(FW) * static_cast<size_t>(FH), 1);
      const double body = std::max(s.R0 - band, 0.0);
      for (int32_t v = 0; v < FH; ++v)
        for (int32_t u = 0; u < FW && !neighbours.empty(); ++u) {
          const double px = FX0 + u, py = FY0 + v;
          if (Square(px - s.X0, py - s.Y0) <= body * body) continue;
          for (const TNeighbour& n : neighbours)
            if (Square(px - n.X, py - n.Y) < (n.R + band) * (n.R + band))
              FMask[static_cast<size_t>(v) * static_cast<size_t>(FW) + u] = 0;
        }
      if (!FJunk.empty()) LeaveOutJunk(s, band);
    }
    FOriginX = s.X0, FOriginY = s.Y0;
    FPx.clear(), FPy.clear(), FValue.clear();
    for (int32_t v = 0; v < FH; ++v) {
      const double dy = FY0 + v - s.Y0, half2 = reach * reach - dy * dy;
      if (half2 < 0) continue;
      const double half = std::sqrt(half2);
      const int32_t u0 = std::max(0, static_cast<int32_t>(std::ceil(s.X0 - half)) - FX0);
      const int32_t u1 = std::min(FW - 1, static_cast<int32_t>(std::floor(s.X0 + half)) - FX0);
      const TPixel* data = FData + static_cast<size_t>(FY0 + v) * static_cast<size_t>(FWidth) + FX0;
      const uint8_t* mask =
          masked ? FMask.data() + static_cast<size_t>(v) * static_cast<size_t>(FW) : nullptr;
      const double rowLevel = s.Plane.Level + s.Plane.Y * dy;
      for (int32_t u = u0; u <= u1; ++u) {
        if (mask && !mask[u]) continue;
        const double dx = FX0 + u - s.X0;
        FPx.push_back(static_cast<float>(dx));
        FPy.push_back(static_cast<float>(dy));
        FValue.push_back(
            static_cast<float>(static_cast<double>(data[u]) - rowLevel - s.Plane.X * dx));
      }
    }
  }

  void LeaveOutJunk(const TStart& s, double band) {
    const int32_t k = static_cast<int32_t>(std::ceil(band));
    for (int32_t jy = std::max(0, FY0 - k); jy <= std::min(FHeight - 1, FY0 + FH - 1 + k); ++jy) {
      const uint32_t row = static_cast<uint32_t>(jy) * static_cast<uint32_t>(FWidth);
      const uint32_t from = row + static_cast<uint32_t>(std::max(0, FX0 - k));
      const uint32_t to = row + static_cast<uint32_t>(std::min(FWidth - 1, FX0 + FW - 1 + k));
      for (auto it = std::lower_bound(FJunk.begin(), FJunk.end(), from);
           it != FJunk.end() && *it <= to; ++it) {
        const int32_t jx = static_cast<int32_t>(*it - row);
        for (int32_t v = std::max(0, jy - k - FY0); v <= std::min(FH - 1, jy + k - FY0); ++v)
          for (int32_t u = std::max(0, jx - k - FX0); u <= std::min(FW - 1, jx + k - FX0); ++u) {
            const double px = FX0 + u, py = FY0 + v;
            if (Distance(px - jx, py - jy) < band && Distance(px - s.X0, py - s.Y0) - s.R0 > -band)
              FMask[static_cast<size_t>(v) * static_cast<size_t>(FW) + u] = 0;
          }
      }
    }
  }

  // Solves the symmetric positive definite system a x = b by Cholesky (b becomes x); false
  // when it is singular.
  static bool Solve(std::array<double, Unknowns * Unknowns>& a, std::array<double, Unknowns>& b) {
    constexpr int32_t N = Unknowns;
    for (int32_t c = 0; c < N; ++c) {
      double d = a[c * N + c];
      for (int32_t k = 0; k < c; ++k) d -= a[c * N + k] * a[c * N + k];
      if (!(d > 1e-12)) return false;
      d = std::sqrt(d);
      a[c * N + c] = d;
      for (int32_t r = c + 1; r < N; ++r) {
        double s = a[r * N + c];
        for (int32_t k = 0; k < c; ++k) s -= a[r * N + k] * a[c * N + k];
        a[r * N + c] = s / d;
      }
    }
    for (int32_t r = 0; r < N; ++r) {
      double s = b[r];
      for (int32_t k = 0; k < r; ++k) s -= a[r * N + k] * b[k];
      b[r] = s / a[r * N + r];
    }
    for (int32_t r = N - 1; r >= 0; --r) {
      double s = b[r];
      for (int32_t k = r + 1; k < N; ++k) s -= a[k * N + r] * b[k];
      b[r] = s / a[r * N + r];
    }
    return true;
  }

  const TPixel* FData;
  int32_t FWidth, FHeight, FSign;
  const std::vector<uint32_t>& FJunk;
  int32_t FX0 = 0, FY0 = 0, FW = 0, FH = 0;
  std::vector<uint8_t> FMask;
  double FOutlier = 0;
  double FStep[Unknowns] = {};  // the last step tried
  mutable double FWorst = 0;    // the largest residual of the last Normal
  double FOriginX = 0, FOriginY = 0;
  std::vector<float> FPx, FPy, FValue;  // the usable pixels (Window)
  // How far the model may move before the pixels are sorted again, and where they were.
  static constexpr double Margin = 0.5;
  double FSplit[3] = {0, 0, 0};
  TSums FCore, FOuter;
  std::vector<float> FBandX, FBandY, FBandValue;
};

}  // namespace discfit
