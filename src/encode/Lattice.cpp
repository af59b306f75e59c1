#include "encode/Lattice.h"

#include <algorithm>
#include <cmath>

#include "encode/Pointbuckets.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int32_t LeastPoints = 12;
constexpr int32_t SampleVectors = 4000;  // points whose neighbour vectors are counted
constexpr double Near = 2.2;             // neighbours within this many nearest distances
constexpr int32_t Bins = 33;             // histogram bins across 2 Near nearest distances
constexpr double BlockSteps = 4;         // phase blocks of this many steps

double Length(double x, double y) {
  return std::sqrt(x * x + y * y);
}

}  // namespace

TLattice::TLattice(const std::vector<float>& x, const std::vector<float>& y,
                   const std::vector<float>& w, int32_t width, int32_t height) {
  const int32_t n = static_cast<int32_t>(std::min({x.size(), y.size(), w.size()}));
  if (n < LeastPoints || width <= 0 || height <= 0) return;
  // The typical nearest distance, from a sample.
  const double guess = std::sqrt(static_cast<double>(width) * height / n);
  const TPointBuckets buckets(x, y, guess);
  const int32_t stride = std::max(1, n / SampleVectors);
  std::vector<double> nearest;
  for (int32_t i = 0; i < n; i += stride) {
    double best = 1e300;
    buckets.Near(x[i], y[i], 3 * guess, [&](int32_t j) {
      if (j != i) best = std::min(best, Length(x[j] - x[i], y[j] - y[i]));
    });
    if (best < 1e300) nearest.push_back(best);
  }
  if (nearest.size() < LeastPoints / 2) return;
  std::nth_element(nearest.begin(),
                   nearest.begin() + static_cast<std::ptrdiff_t>(nearest.size() / 2),
                   nearest.end());
  const double d = nearest[nearest.size() / 2];
  if (!(d >= 1)) return;
  // The weighted histogram of the vectors to near points, both signs, over [-Near d, Near d]^2.
  const double reach = Near * d, bin = 2 * reach / Bins;
  std::vector<double> histogram(static_cast<size_t>(Bins) * Bins, 0);
  struct TVector {
    double X, Y, W;
  };
  std::vector<TVector> vectors;
  const TPointBuckets near(x, y, reach);
  for (int32_t i = 0; i < n; i += stride)
    near.Near(x[i], y[i], reach, [&](int32_t j) {
      // Shorter steps weigh more: a grid of large and small dots shows the large dots' own,
      // longer steps as strongly as its real ones.
      const double vx = x[j] - x[i], vy = y[j] - y[i];
      const double weight = std::min(w[i], w[j]) > 0 ? d * d / (vx * vx + vy * vy) : 0;
      if (j == i || Length(vx, vy) > reach || !(weight > 0)) return;
      vectors.push_back({vx, vy, weight});
      const int32_t bx = std::clamp(static_cast<int32_t>((vx + reach) / bin), 0, Bins - 1);
      const int32_t by = std::clamp(static_cast<int32_t>((vy + reach) / bin), 0, Bins - 1);
      histogram[static_cast<size_t>(by) * Bins + bx] += weight;
    });
  // Peaks: the smoothed histogram's strongest bin, then the strongest at least 30 degrees off it.
  auto smoothed = [&](int32_t bx, int32_t by) {
    double s = 0;
    for (int32_t dy = -1; dy <= 1; ++dy)
      for (int32_t dx = -1; dx <= 1; ++dx) {
        const int32_t cx = bx + dx, cy = by + dy;
        if (cx >= 0 && cy >= 0 && cx < Bins && cy < Bins)
          s += histogram[static_cast<size_t>(cy) * Bins + cx];
      }
    return s;
  };
  auto peak = [&](const double* away, double& px, double& py) {
    double best = 0;
    for (int32_t by = 0; by < Bins; ++by)
      for (int32_t bx = 0; bx < Bins; ++bx) {
        const double vx = (bx + 0.5) * bin - reach, vy = (by + 0.5) * bin - reach;
        const double length = Length(vx, vy);
        if (length < 0.5 * d) continue;
        if (away && std::abs(vx * away[1] - vy * away[0]) < 0.5 * length * Length(away[0], away[1]))
          continue;
        const double s = smoothed(bx, by);
        if (s > best) best = s, px = vx, py = vy;
      }
    if (!(best > 0)) return false;
    // The weighted mean of the vectors near the peak, the opposite ones turned round, taken
    // twice: the smoothed peak may be a bin beside the one that holds the cluster.
    for (double within : {2.5 * bin, 1.5 * bin}) {
      double sx = 0, sy = 0, sw = 0;
      for (const TVector& v : vectors)
        for (double sign : {1.0, -1.0})
          if (Length(sign * v.X - px, sign * v.Y - py) < within)
            sx += sign * v.X * v.W, sy += sign * v.Y * v.W, sw += v.W;
      if (!(sw > 0)) return false;
      px = sx / sw, py = sy / sw;
    }
    return true;
  };
  double a[2] = {0, 0}, b[2] = {0, 0};
  if (!peak(nullptr, a[0], a[1]) || !peak(a, b[0], b[1])) return;
  // The shortest basis of the lattice they span (Lagrange's reduction).
  for (int32_t i = 0; i < 16; ++i) {
    if (Length(a[0], a[1]) > Length(b[0], b[1])) std::swap(a, b);
    const double m = std::round((a[0] * b[0] + a[1] * b[1]) / (a[0] * a[0] + a[1] * a[1]));
    if (m == 0) break;
    b[0] -= m * a[0], b[1] -= m * a[1];
  }
  const double det = a[0] * b[1] - a[1] * b[0];
  if (!(std::abs(det) > 0.25 * d * d)) return;
  FStep[0][0] = a[0], FStep[0][1] = a[1], FStep[1][0] = b[0], FStep[1][1] = b[1];
  FInverse[0][0] = b[1] / det, FInverse[0][1] = -b[0] / det;
  FInverse[1][0] = -a[1] / det, FInverse[1][1] = a[0] / det;
  FPitch = std::min(Length(a[0], a[1]), Length(b[0], b[1]));
  FFound = true;
  Phase(x, y, w, width, height);
}

void TLattice::Coordinates(double x, double y, double& u, double& v) const {
  u = FInverse[0][0] * x + FInverse[0][1] * y;
  v = FInverse[1][0] * x + FInverse[1][1] * y;
}

void TLattice::Phase(const std::vector<float>& x, const std::vector<float>& y,
                     const std::vector<float>& w, int32_t width, int32_t height) {
  FBlock = std::max(8.0, BlockSteps * std::max(Length(FStep[0][0], FStep[0][1]),
                                               Length(FStep[1][0], FStep[1][1])));
  FCols = static_cast<int32_t>(std::ceil(width / FBlock));
  FRows = static_cast<int32_t>(std::ceil(height / FBlock));
  FSums.assign(static_cast<size_t>(FCols) * FRows * 4, 0);
  std::vector<char> known(static_cast<size_t>(FCols) * FRows, 0);
  for (size_t i = 0; i < x.size(); ++i) {
    const int32_t c = std::clamp(static_cast<int32_t>(x[i] / FBlock), 0, FCols - 1);
    const int32_t r = std::clamp(static_cast<int32_t>(y[i] / FBlock), 0, FRows - 1);
    double u = 0, v = 0;
    Coordinates(x[i], y[i], u, v);
    double* s = &FSums[(static_cast<size_t>(r) * FCols + c) * 4];
    s[0] += w[i] * std::cos(2 * Pi * u), s[1] += w[i] * std::sin(2 * Pi * u);
    s[2] += w[i] * std::cos(2 * Pi * v), s[3] += w[i] * std::sin(2 * Pi * v);
    known[static_cast<size_t>(r) * FCols + c] = 1;
  }
  // Blocks without points take the sums of the blocks around them that have some.
  for (bool missing = true; missing;) {
    missing = false;
    bool grew = false;
    std::vector<char> next = known;
    for (int32_t r = 0; r < FRows; ++r)
      for (int32_t c = 0; c < FCols; ++c) {
        const size_t k = static_cast<size_t>(r) * FCols + c;
        if (known[k]) continue;
        for (int32_t dr = -1; dr <= 1; ++dr)
          for (int32_t dc = -1; dc <= 1; ++dc) {
            const int32_t rr = r + dr, cc = c + dc;
            if (rr < 0 || cc < 0 || rr >= FRows || cc >= FCols) continue;
            const size_t q = static_cast<size_t>(rr) * FCols + cc;
            if (!known[q]) continue;
            for (int32_t i = 0; i < 4; ++i) FSums[k * 4 + i] += FSums[q * 4 + i];
            next[k] = 1;
            grew = true;
          }
        if (!next[k]) missing = true;
      }
    known.swap(next);
    if (!grew) break;
  }
}

double TLattice::Offset(double x, double y, int64_t node[2]) const {
  if (!FFound) {
    node[0] = node[1] = 0;
    return 1e30;
  }
  // The block sums interpolated between block centres, as the phase there.
  const double fx = std::clamp(x / FBlock - 0.5, 0.0, FCols - 1.0);
  const double fy = std::clamp(y / FBlock - 0.5, 0.0, FRows - 1.0);
  const int32_t c0 = static_cast<int32_t>(fx), r0 = static_cast<int32_t>(fy);
  const int32_t c1 = std::min(c0 + 1, FCols - 1), r1 = std::min(r0 + 1, FRows - 1);
  const double ax = fx - c0, ay = fy - r0;
  double s[4];
  for (int32_t i = 0; i < 4; ++i) {
    auto at = [&](int32_t r, int32_t c) {
      return FSums[(static_cast<size_t>(r) * FCols + c) * 4 + i];
    };
    s[i] = (1 - ay) * ((1 - ax) * at(r0, c0) + ax * at(r0, c1)) +
           ay * ((1 - ax) * at(r1, c0) + ax * at(r1, c1));
  }
  const double pu = std::atan2(s[1], s[0]) / (2 * Pi), pv = std::atan2(s[3], s[2]) / (2 * Pi);
  double u = 0, v = 0;
  Coordinates(x, y, u, v);
  const double nu = std::round(u - pu), nv = std::round(v - pv);
  node[0] = static_cast<int64_t>(nu), node[1] = static_cast<int64_t>(nv);
  const double du = u - pu - nu, dv = v - pv - nv;
  return Length(du * FStep[0][0] + dv * FStep[1][0], du * FStep[0][1] + dv * FStep[1][1]);
}
