#include "encode/Dotgrid.h"

#include <algorithm>
#include <cmath>

namespace {

// Relative slack for bounds compared with float distances: a float difference, its square and
// the sum each round by at most 2^-24.
constexpr double Slack = 1e-6;

bool Finite(float v) {
  return std::isfinite(v);
}

}  // namespace

void TDotGrid::Clear() {
  FCount = 0;
  FAllInOne = true;
  FCellsX = FCellsY = 1;
  FStart.assign(2, 0);
  FIndex.clear();
  FX.clear();
  FY.clear();
}

void TDotGrid::Build(const TDotInfo* dots, int32_t count) {
  Clear();
  if (count <= 0) return;
  FCount = count;
  double minX = dots[0].x, maxX = dots[0].x, minY = dots[0].y, maxY = dots[0].y;
  bool finite = true;
  for (int32_t i = 0; i < count; ++i) {
    if (!Finite(dots[i].x) || !Finite(dots[i].y)) finite = false;
    minX = std::min<double>(minX, dots[i].x);
    maxX = std::max<double>(maxX, dots[i].x);
    minY = std::min<double>(minY, dots[i].y);
    maxY = std::max<double>(maxY, dots[i].y);
  }
  FAllInOne = !finite || count < 16;
  if (!FAllInOne) {
    // About one dot per bucket on an evenly filled area; at least a pixel per bucket and at
    // most a few buckets per dot on a thin or sparse one.
    const double w = maxX - minX, h = maxY - minY;
    double cell = std::sqrt(w * h / count);
    if (!(cell >= 1)) cell = std::max(1.0, std::max(w, h) / count);
    for (;;) {
      FCellsX = static_cast<int64_t>(std::floor(w / cell)) + 1;
      FCellsY = static_cast<int64_t>(std::floor(h / cell)) + 1;
      if (FCellsX * FCellsY <= 4 * static_cast<int64_t>(count) + 64) break;
      cell *= 1.5;
    }
    FMinX = minX;
    FMinY = minY;
    FCell = cell;
  }
  const int64_t buckets = FCellsX * FCellsY;
  std::vector<int32_t> bucketOf(static_cast<size_t>(count), 0);
  FStart.assign(static_cast<size_t>(buckets) + 1, 0);
  for (int32_t i = 0; i < count; ++i) {
    int64_t k = 0;
    if (!FAllInOne) {
      const int64_t cx = std::clamp<int64_t>(
          static_cast<int64_t>(std::floor(CellOf(dots[i].x, FMinX))), 0, FCellsX - 1);
      const int64_t cy = std::clamp<int64_t>(
          static_cast<int64_t>(std::floor(CellOf(dots[i].y, FMinY))), 0, FCellsY - 1);
      k = cy * FCellsX + cx;
    }
    bucketOf[i] = static_cast<int32_t>(k);
    ++FStart[k + 1];
  }
  for (int64_t k = 0; k < buckets; ++k) FStart[k + 1] += FStart[k];
  std::vector<int32_t> fill(FStart.begin(), FStart.end() - 1);
  FIndex.resize(count);
  FX.resize(count);
  FY.resize(count);
  for (int32_t i = 0; i < count; ++i) {  // ascending, so each bucket stays in index order
    const int32_t e = fill[bucketOf[i]]++;
    FIndex[e] = i;
    FX[e] = dots[i].x;
    FY[e] = dots[i].y;
  }
}

void TDotGrid::ScanCell(int64_t cx, int64_t cy, float x, float y, int32_t exclude,
                        TCandidate& c) const {
  const int64_t k = cy * FCellsX + cx;
  for (int32_t e = FStart[k]; e < FStart[k + 1]; ++e) {
    if (FIndex[e] == exclude) continue;
    const float dx = FX[e] - x;
    const float dy = FY[e] - y;
    c.Offer(dx * dx + dy * dy, FIndex[e]);
  }
}

void TDotGrid::ScanCellWithin(int64_t cx, int64_t cy, float x, float y, float tolX, float tolY,
                              TCandidate& c) const {
  const int64_t k = cy * FCellsX + cx;
  for (int32_t e = FStart[k]; e < FStart[k + 1]; ++e) {
    const float dx = FX[e] - x;
    const float dy = FY[e] - y;
    if (std::fabs(dx) <= tolX && std::fabs(dy) <= tolY) c.Offer(dx * dx + dy * dy, FIndex[e]);
  }
}

int32_t TDotGrid::Nearest(float x, float y, float limit, int32_t exclude) const {
  TCandidate c{limit};
  if (FCount == 0) return -1;
  if (FAllInOne || !Finite(x) || !Finite(y)) {
    for (int64_t cy = 0; cy < FCellsY; ++cy)
      for (int64_t cx = 0; cx < FCellsX; ++cx) ScanCell(cx, cy, x, y, exclude, c);
    return c.Index;
  }
  const double qx = std::floor(CellOf(x, FMinX));
  const double qy = std::floor(CellOf(y, FMinY));
  const double gapX = qx < 0 ? -qx : std::max(0.0, qx - static_cast<double>(FCellsX - 1));
  const double gapY = qy < 0 ? -qy : std::max(0.0, qy - static_cast<double>(FCellsY - 1));
  // Every dot lies in a bucket at least r0 rings away, so at least (r0 - 1) buckets away.
  const double r0 = std::max(gapX, gapY);
  auto bound = [this](double rings) { return rings * FCell * rings * FCell * (1 - Slack); };
  if (r0 >= 1 && bound(r0 - 1) >= limit) return -1;
  const int64_t ix = static_cast<int64_t>(qx), iy = static_cast<int64_t>(qy);
  const int64_t rmax = std::max(
      {std::abs(ix), std::abs(FCellsX - 1 - ix), std::abs(iy), std::abs(FCellsY - 1 - iy)});
  for (int64_t r = static_cast<int64_t>(r0); r <= rmax; ++r) {
    const int64_t x0 = std::max<int64_t>(ix - r, 0), x1 = std::min(ix + r, FCellsX - 1);
    for (int64_t cy : {iy - r, iy + r}) {
      if (cy >= 0 && cy < FCellsY)
        for (int64_t cx = x0; cx <= x1; ++cx) ScanCell(cx, cy, x, y, exclude, c);
      if (r == 0) break;
    }
    const int64_t y0 = std::max<int64_t>(iy - r + 1, 0), y1 = std::min(iy + r - 1, FCellsY - 1);
    for (int64_t cx : {ix - r, ix + r}) {
      if (r == 0 || cx < 0 || cx >= FCellsX) continue;
      for (int64_t cy = y0; cy <= y1; ++cy) ScanCell(cx, cy, x, y, exclude, c);
    }
    // Buckets beyond ring r hold only dots more than r buckets away.
    const double b = bound(static_cast<double>(r));
    if (c.Index >= 0 ? b > c.Best : b >= limit) break;
  }
  return c.Index;
}

int32_t TDotGrid::NearestWithin(float x, float y, float tolX, float tolY) const {
  TCandidate c{1.0e20f};
  if (FCount == 0 || !(tolX >= 0) || !(tolY >= 0)) return -1;
  if (FAllInOne || !Finite(x) || !Finite(y) || !Finite(tolX) || !Finite(tolY)) {
    for (int64_t cy = 0; cy < FCellsY; ++cy)
      for (int64_t cx = 0; cx < FCellsX; ++cx) ScanCellWithin(cx, cy, x, y, tolX, tolY, c);
    return c.Index;
  }
  // The box widened a little: a float difference just beyond the tolerance may round onto it.
  const double mx = (tolX + 1.0) * 1e-5, my = (tolY + 1.0) * 1e-5;
  const double lx = std::floor(CellOf(static_cast<double>(x) - tolX - mx, FMinX));
  const double hx = std::floor(CellOf(static_cast<double>(x) + tolX + mx, FMinX));
  const double ly = std::floor(CellOf(static_cast<double>(y) - tolY - my, FMinY));
  const double hy = std::floor(CellOf(static_cast<double>(y) + tolY + my, FMinY));
  if (hx < 0 || hy < 0 || lx > static_cast<double>(FCellsX - 1) ||
      ly > static_cast<double>(FCellsY - 1))
    return -1;
  const int64_t x0 = static_cast<int64_t>(std::max(lx, 0.0));
  const int64_t x1 = static_cast<int64_t>(std::min(hx, static_cast<double>(FCellsX - 1)));
  const int64_t y0 = static_cast<int64_t>(std::max(ly, 0.0));
  const int64_t y1 = static_cast<int64_t>(std::min(hy, static_cast<double>(FCellsY - 1)));
  for (int64_t cy = y0; cy <= y1; ++cy)
    for (int64_t cx = x0; cx <= x1; ++cx) ScanCellWithin(cx, cy, x, y, tolX, tolY, c);
  return c.Index;
}
