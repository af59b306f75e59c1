#include "Cramerrao.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int32_t Params = 5;  // x, y, radius, contrast, background
using TMatrix = std::array<std::array<double, Params>, Params>;

// The variances of x and y in the inverse of a symmetric positive definite matrix, by
// Gauss-Jordan elimination.
double PositionVariance(TMatrix m) {
  TMatrix inv{};
  for (int32_t i = 0; i < Params; ++i) inv[i][i] = 1;
  for (int32_t c = 0; c < Params; ++c) {
    int32_t pivot = c;
    for (int32_t r = c + 1; r < Params; ++r)
      if (std::abs(m[r][c]) > std::abs(m[pivot][c])) pivot = r;
    std::swap(m[c], m[pivot]);
    std::swap(inv[c], inv[pivot]);
    const double d = m[c][c];
    if (std::abs(d) < 1e-300) return 1e30;
    for (int32_t k = 0; k < Params; ++k) m[c][k] /= d, inv[c][k] /= d;
    for (int32_t r = 0; r < Params; ++r) {
      if (r == c) continue;
      const double f = m[r][c];
      for (int32_t k = 0; k < Params; ++k) m[r][k] -= f * m[c][k], inv[r][k] -= f * inv[c][k];
    }
  }
  return inv[0][0] + inv[1][1];
}

// Derivative maps of one dot on a square patch around it, blurred like the picture.
struct TPatch {
  int32_t X0, Y0, N;
  std::vector<std::array<double, Params>> D;
  TPatch(int32_t x0, int32_t y0, int32_t n)
      : X0(x0), Y0(y0), N(n), D(static_cast<size_t>(n) * n, {0, 0, 0, 0, 1}) {}
  std::array<double, Params>* At(int32_t x, int32_t y) {
    x -= X0, y -= Y0;
    return x < 0 || y < 0 || x >= N || y >= N ? nullptr : &D[static_cast<size_t>(y) * N + x];
  }
  void Blur(double sigma) {
    const int32_t k = static_cast<int32_t>(std::ceil(4 * sigma));
    std::vector<double> kernel(static_cast<size_t>(2 * k + 1));
    double sum = 0;
    for (int32_t i = -k; i <= k; ++i)
      sum += kernel[i + k] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& v : kernel) v /= sum;
    for (int32_t pass = 0; pass < 2; ++pass) {
      std::vector<std::array<double, Params>> out = D;
      for (int32_t y = 0; y < N; ++y)
        for (int32_t x = 0; x < N; ++x)
          for (int32_t p = 0; p < 4; ++p) {
            double s = 0;
            for (int32_t i = -k; i <= k; ++i) {
              const int32_t xx = pass == 0 ? std::clamp(x + i, 0, N - 1) : x;
              const int32_t yy = pass == 1 ? std::clamp(y + i, 0, N - 1) : y;
              s += kernel[i + k] * D[static_cast<size_t>(yy) * N + xx][p];
            }
            out[static_cast<size_t>(y) * N + x][p] = s;
          }
      D.swap(out);
    }
  }
};

// The bound of the variance sum of x and y for the dot at (cx, cy) with radius r; others are the
// centres and radii of the dots that may overlap it (their discs hide its edge).
double DotBound(const TTruthOptions& o, double cx, double cy, double r,
                const std::vector<std::array<double, 3>>& others) {
  const double contrast = o.Dot - o.Background;
  const double variance = (o.Noise > 0 ? o.Noise * o.Noise : 0) + 1.0 / 12;
  const int32_t reach = static_cast<int32_t>(std::ceil(r + 4 * o.Blur + 3));
  TPatch patch(static_cast<int32_t>(std::lround(cx)) - reach,
               static_cast<int32_t>(std::lround(cy)) - reach, 2 * reach + 1);
  // The edge, point by point: moving the disc by dx gains n_x ds of area where the edge crosses
  // a pixel, growing it by dr gains ds; a point inside another disc is no edge of the union.
  const int32_t points = 20000;
  const double ds = 2 * Pi * r / points;
  for (int32_t k = 0; k < points; ++k) {
    const double t = 2 * Pi * (k + 0.5) / points, nx = std::cos(t), ny = std::sin(t);
    const double x = cx + r * nx, y = cy + r * ny;
    bool hidden = false;
    for (const auto& d : others) hidden = hidden || std::hypot(x - d[0], y - d[1]) < d[2];
    if (hidden) continue;
    auto* p = patch.At(static_cast<int32_t>(std::floor(x + 0.5)),
                       static_cast<int32_t>(std::floor(y + 0.5)));
    if (!p) continue;
    (*p)[0] += contrast * nx * ds;
    (*p)[1] += contrast * ny * ds;
    (*p)[2] += contrast * ds;
  }
  // The coverage for the contrast, on a 16 x 16 sub-pixel lattice as rendered.
  for (int32_t y = patch.Y0; y < patch.Y0 + patch.N; ++y)
    for (int32_t x = patch.X0; x < patch.X0 + patch.N; ++x) {
      int32_t hits = 0;
      for (int32_t s = 0; s < 256; ++s) {
        const double ux = x - 0.5 + (s % 16 + 0.5) / 16 - cx,
                     uy = y - 0.5 + (s / 16 + 0.5) / 16 - cy;
        hits += ux * ux + uy * uy <= r * r;
      }
      (*patch.At(x, y))[3] = hits / 256.0;
    }
  if (o.Blur > 0) patch.Blur(o.Blur);
  TMatrix fisher{};
  for (const auto& d : patch.D)
    for (int32_t i = 0; i < Params; ++i)
      for (int32_t j = 0; j < Params; ++j) fisher[i][j] += d[i] * d[j] / variance;
  return PositionVariance(fisher);
}

}  // namespace

double DisplacementBound(const TTruthOptions& o) {
  const TTruthGrid grid(o);
  const std::vector<TTruthDot>& dots = grid.Dots();
  if (dots.empty()) return 0;
  std::mt19937 pick(12345);
  const int32_t samples = std::min<int32_t>(200, static_cast<int32_t>(dots.size()));
  double sum = 0;
  for (int32_t s = 0; s < samples; ++s) {
    const TTruthDot& d = dots[pick() % dots.size()];
    for (bool deformed : {false, true}) {
      const double x = deformed ? d.X1 : d.X0, y = deformed ? d.Y1 : d.Y0;
      std::vector<std::array<double, 3>> others;
      for (const TTruthDot& e : dots) {
        const double ex = deformed ? e.X1 : e.X0, ey = deformed ? e.Y1 : e.Y0;
        const double gap = std::hypot(ex - x, ey - y);
        if (&e != &d && gap < d.R + e.R) others.push_back({ex, ey, e.R});
      }
      sum += DotBound(o, x, y, d.R, others);
    }
  }
  return std::sqrt(sum / samples);
}
