#include "register/Pointgrid.h"

#include <algorithm>
#include <cmath>

void TPointGrid::Build(const std::vector<float>& xs, const std::vector<float>& ys, double cell) {
  FX = xs;
  FY = ys;
  FStart.clear();
  FIndex.clear();
  FCellsX = FCellsY = 0;
  if (FX.empty()) return;
  double minX = FX[0], maxX = FX[0], minY = FY[0], maxY = FY[0];
  for (size_t i = 0; i < FX.size(); ++i) {
    minX = std::min<double>(minX, FX[i]), maxX = std::max<double>(maxX, FX[i]);
    minY = std::min<double>(minY, FY[i]), maxY = std::max<double>(maxY, FY[i]);
  }
  // Never more buckets than a few per point, whatever the cell asked for.
  FCell = std::max(cell, 1e-3);
  const double area = (maxX - minX + FCell) * (maxY - minY + FCell);
  const double most = 4.0 * static_cast<double>(FX.size()) + 64;
  if (area / (FCell * FCell) > most) FCell = std::sqrt(area / most);
  FMinX = minX, FMinY = minY;
  FCellsX = static_cast<int64_t>((maxX - minX) / FCell) + 1;
  FCellsY = static_cast<int64_t>((maxY - minY) / FCell) + 1;
  std::vector<int32_t> bucket(FX.size());
  FStart.assign(static_cast<size_t>(FCellsX * FCellsY) + 1, 0);
  for (size_t i = 0; i < FX.size(); ++i) {
    const int64_t cx = std::min<int64_t>(static_cast<int64_t>((FX[i] - minX) / FCell), FCellsX - 1);
    const int64_t cy = std::min<int64_t>(static_cast<int64_t>((FY[i] - minY) / FCell), FCellsY - 1);
    bucket[i] = static_cast<int32_t>(cy * FCellsX + cx);
    ++FStart[static_cast<size_t>(bucket[i]) + 1];
  }
  for (size_t k = 1; k < FStart.size(); ++k) FStart[k] += FStart[k - 1];
  std::vector<int32_t> fill(FStart.begin(), FStart.end() - 1);
  FIndex.resize(FX.size());
  for (size_t i = 0; i < FX.size(); ++i)
    FIndex[static_cast<size_t>(fill[static_cast<size_t>(bucket[i])]++)] = static_cast<int32_t>(i);
}

bool TPointGrid::Cells(double x, double y, double radius, int64_t& x0, int64_t& x1, int64_t& y0,
                       int64_t& y1) const {
  if (FCellsX == 0 || !std::isfinite(x) || !std::isfinite(y) || !(radius >= 0)) return false;
  const double lx = std::floor((x - radius - FMinX) / FCell),
               hx = std::floor((x + radius - FMinX) / FCell);
  const double ly = std::floor((y - radius - FMinY) / FCell),
               hy = std::floor((y + radius - FMinY) / FCell);
  if (hx < 0 || hy < 0 || lx >= static_cast<double>(FCellsX) || ly >= static_cast<double>(FCellsY))
    return false;
  x0 = static_cast<int64_t>(std::max(lx, 0.0));
  y0 = static_cast<int64_t>(std::max(ly, 0.0));
  x1 = static_cast<int64_t>(std::min(hx, static_cast<double>(FCellsX - 1)));
  y1 = static_cast<int64_t>(std::min(hy, static_cast<double>(FCellsY - 1)));
  return true;
}

int32_t TPointGrid::Nearest(double x, double y, double radius, int32_t exclude) const {
  int32_t best = -1;
  double bestD = radius * radius;
  ForEachWithin(x, y, radius, [&](int32_t i) {
    if (i == exclude) return;
    const double dx = FX[static_cast<size_t>(i)] - x, dy = FY[static_cast<size_t>(i)] - y;
    const double d = dx * dx + dy * dy;
    if (best < 0 || d < bestD || (d == bestD && i < best)) best = i, bestD = d;
  });
  return best;
}
