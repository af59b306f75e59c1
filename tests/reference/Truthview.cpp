#include "reference/Truthview.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "image/Grayimage.h"

namespace {

constexpr int32_t Sub = 8;
constexpr double Pi = 3.14159265358979323846;

void Project(const double H[3][3], double x, double y, double& px, double& py) {
  const double w = H[2][0] * x + H[2][1] * y + H[2][2];
  px = (H[0][0] * x + H[0][1] * y + H[0][2]) / w;
  py = (H[1][0] * x + H[1][1] * y + H[1][2]) / w;
}

void Invert(const double m[3][3], double r[3][3]) {
  const double d = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                   m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                   m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  for (int32_t i = 0; i < 3; ++i)
    for (int32_t j = 0; j < 3; ++j) {
      const int32_t a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, e = (i + 2) % 3;
      r[i][j] = (m[a][c] * m[b][e] - m[a][e] * m[b][c]) / d;
    }
}

void Multiply(const double a[3][3], const double b[3][3], double r[3][3]) {
  for (int32_t i = 0; i < 3; ++i)
    for (int32_t j = 0; j < 3; ++j) {
      r[i][j] = 0;
      for (int32_t k = 0; k < 3; ++k) r[i][j] += a[i][k] * b[k][j];
    }
}

}  // namespace

std::vector<TTruthViewDot> RenderTruthView(const TTruthSpecimen& specimen,
                                           const TSpecimenMotion& motion,
                                           const TTruthViewOptions& view, TGrayImage& image) {
  const int32_t w = view.Width, h = view.Height;
  std::vector<double> cover(static_cast<size_t>(w) * h, 0.0);
  double inverse[3][3];
  Invert(view.H, inverse);
  std::vector<TTruthViewDot> shown;
  const double r = specimen.Radius;
  for (int32_t j = -(specimen.Rows / 2); j < specimen.Rows - specimen.Rows / 2; ++j)
    for (int32_t i = -(specimen.Columns / 2); i < specimen.Columns - specimen.Columns / 2; ++i) {
      if (std::find(specimen.Missing.begin(), specimen.Missing.end(), std::make_pair(i, j)) !=
          specimen.Missing.end())
        continue;
      double sx = i * specimen.Pitch, sy = j * specimen.Pitch;
      if (motion) motion(sx, sy, sx, sy);
      double cx, cy;
      Project(view.H, sx, sy, cx, cy);
      // The disc's reach in the picture, from the projected ends of two diameters.
      double reach = 0;
      for (int32_t k = 0; k < 4; ++k) {
        double ex, ey;
        Project(view.H, sx + r * std::cos(k * Pi / 2), sy + r * std::sin(k * Pi / 2), ex, ey);
        reach = std::max(reach, std::hypot(ex - cx, ey - cy));
      }
      if (cx - reach < 2 || cy - reach < 2 || cx + reach > w - 3 || cy + reach > h - 3) continue;
      shown.push_back({i, j, cx, cy});
      for (int32_t y = static_cast<int32_t>(cy - reach - 1); y <= cy + reach + 1; ++y)
        for (int32_t x = static_cast<int32_t>(cx - reach - 1); x <= cx + reach + 1; ++x) {
          int32_t hits = 0;
          for (int32_t v = 0; v < Sub; ++v)
            for (int32_t u = 0; u < Sub; ++u) {
              double px, py;
              Project(inverse, x - 0.5 + (u + 0.5) / Sub, y - 0.5 + (v + 0.5) / Sub, px, py);
              hits += (px - sx) * (px - sx) + (py - sy) * (py - sy) <= r * r;
            }
          cover[static_cast<size_t>(y) * w + x] += static_cast<double>(hits) / (Sub * Sub);
        }
    }
  std::mt19937_64 rng(view.Seed * 7477u + 11u);
  std::normal_distribution<double> noise(0.0, view.Noise > 0 ? view.Noise : 1.0);
  image.SetWidth(w);
  image.SetHeight(h);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = image.Row(y);
    for (int32_t x = 0; x < w; ++x) {
      double v = view.Background + (view.Dot - view.Background) *
                                       std::min(1.0, cover[static_cast<size_t>(y) * w + x]);
      if (view.Noise > 0) v += noise(rng);
      row[x] = static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l));
    }
  }
  return shown;
}

void ViewHomography(double turnDeg, double tiltDeg, double tiltAxisDeg, double distance,
                    double scale, double cx, double cy, double H[3][3]) {
  // Tilt: the specimen turned about an in-plane axis, seen by a pinhole at the distance.
  const double a = tiltAxisDeg * Pi / 180, t = tiltDeg * Pi / 180, q = turnDeg * Pi / 180;
  const double toAxis[3][3] = {
      {std::cos(a), std::sin(a), 0}, {-std::sin(a), std::cos(a), 0}, {0, 0, 1}};
  const double fromAxis[3][3] = {
      {std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}};
  // A point (x, y, 0) tilted about the x axis lies at (x, y cos t, y sin t); the pinhole at
  // the distance sees it at f (x, y cos t) / (distance + y sin t), f = distance.
  const double tilt[3][3] = {{1, 0, 0}, {0, std::cos(t), 0}, {0, std::sin(t) / distance, 1}};
  const double turn[3][3] = {{scale * std::cos(q), scale * std::sin(q), cx},
                             {-scale * std::sin(q), scale * std::cos(q), cy},
                             {0, 0, 1}};
  double m1[3][3], m2[3][3];
  Multiply(tilt, toAxis, m1);
  Multiply(fromAxis, m1, m2);
  // The turn and placement apply to the tilted picture's coordinates (w is unchanged by them).
  double m3[3][3];
  Multiply(turn, m2, m3);
  for (int32_t i = 0; i < 3; ++i)
    for (int32_t j = 0; j < 3; ++j) H[i][j] = m3[i][j];
}
