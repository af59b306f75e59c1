#include "register/Gridside.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "register/Pointgrid.h"

namespace {

// A place within this share of a pitch of a dot is taken by it.
constexpr double Near = 0.35;
// Another component's dot this many pitches from an empty place makes it a gap, not an outline.
constexpr double GapReach = 3.5;
// Dots whose area is below or above these shares of their neighbourhood's median are odd.
constexpr double SmallArea = 0.6, LargeArea = 1.6;

double Median(std::vector<double>& v) {
  if (v.empty()) return 0;
  const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), middle, v.end());
  return *middle;
}

}  // namespace

TGridSide::TGridSide(std::vector<TSideDot> dots, const TPointGrid& all, int32_t width,
                     int32_t height, const std::vector<char>* others)
    : FDots(std::move(dots)) {
  if (FDots.empty()) return;
  int32_t minX = FDots[0].Ix, maxX = minX, minY = FDots[0].Iy, maxY = minY;
  for (const TSideDot& d : FDots) {
    minX = std::min(minX, d.Ix), maxX = std::max(maxX, d.Ix);
    minY = std::min(minY, d.Iy), maxY = std::max(maxY, d.Iy);
  }
  FMinX = minX - 2, FMinY = minY - 2;
  FSizeX = maxX - minX + 5, FSizeY = maxY - minY + 5;
  const size_t cells = static_cast<size_t>(FSizeX) * static_cast<size_t>(FSizeY);
  FCell.assign(cells, -1);
  FState.assign(cells, Unknown);
  for (size_t i = 0; i < FDots.size(); ++i) {
    const size_t k = static_cast<size_t>(FDots[i].Iy - FMinY) * static_cast<size_t>(FSizeX) +
                     static_cast<size_t>(FDots[i].Ix - FMinX);
    FCell[k] = static_cast<int32_t>(i);
    FState[k] = Taken;
  }
  MeasureSteps();
  MarkOddDots();
  FindEmptyCells(all, width, height, others);
}

uint8_t TGridSide::State(int64_t ix, int64_t iy) const {
  const int64_t x = ix - FMinX, y = iy - FMinY;
  if (x < 0 || y < 0 || x >= FSizeX || y >= FSizeY) return Unknown;
  return FState[static_cast<size_t>(y * FSizeX + x)];
}

void TGridSide::MeasureSteps() {
  std::vector<double> ax, ay, bx, by;
  for (TSideDot& d : FDots) {
    for (int32_t axis = 0; axis < 2; ++axis) {
      float& sx = axis == 0 ? d.Ax : d.Bx;
      float& sy = axis == 0 ? d.Ay : d.By;
      if (sx == 0 && sy == 0) {
        const int32_t fx = axis == 0, fy = axis == 1;
        int32_t n = At(d.Ix + fx, d.Iy + fy);
        float sign = 1;
        if (n < 0) n = At(d.Ix - fx, d.Iy - fy), sign = -1;
        if (n >= 0) {
          sx = sign * (FDots[static_cast<size_t>(n)].X - d.X);
          sy = sign * (FDots[static_cast<size_t>(n)].Y - d.Y);
        }
      }
      if (sx != 0 || sy != 0)
        (axis == 0 ? ax : bx).push_back(sx), (axis == 0 ? ay : by).push_back(sy);
    }
  }
  FAx = Median(ax), FAy = Median(ay), FBx = Median(bx), FBy = Median(by);
  // A single row or column: the other step square to the one known, as long.
  if (ax.empty() && !bx.empty()) FAx = -FBy, FAy = FBx;
  if (bx.empty() && !ax.empty()) FBx = FAy, FBy = -FAx;
  for (TSideDot& d : FDots) {
    if (d.Ax == 0 && d.Ay == 0) d.Ax = static_cast<float>(FAx), d.Ay = static_cast<float>(FAy);
    if (d.Bx == 0 && d.By == 0) d.Bx = static_cast<float>(FBx), d.By = static_cast<float>(FBy);
  }
  FPitch = std::min(std::hypot(FAx, FAy), std::hypot(FBx, FBy));
}

void TGridSide::MarkOddDots() {
  std::vector<double> all;
  for (size_t i = 0; i < FDots.size(); i += Stride()) all.push_back(FDots[i].Area);
  const double typical = Median(all);
  for (TSideDot& d : FDots) {
    // A dot near the typical area is odd only where its neighbours are far from typical too,
    // which this overlooks.
    if (d.Area > 0.8 * typical && d.Area < 1.25 * typical) continue;
    int32_t areas[9];
    int32_t n = 0;
    for (int32_t y = -1; y <= 1; ++y)
      for (int32_t x = -1; x <= 1; ++x)
        if (const int32_t i = At(d.Ix + x, d.Iy + y); i >= 0)
          areas[n++] = FDots[static_cast<size_t>(i)].Area;
    if (n < 5) continue;
    std::nth_element(areas, areas + n / 2, areas + n);
    const double median = areas[n / 2];
    d.Odd = median > 0 && (d.Area < SmallArea * median || d.Area > LargeArea * median);
  }
}

void TGridSide::FindEmptyCells(const TPointGrid& all, int32_t width, int32_t height,
                               const std::vector<char>* others) {
  auto beyondGap = [&](double px, double py) {
    if (!others) return false;
    bool near = false;
    all.ForEachWithin(px, py, GapReach * FPitch,
                      [&](int32_t i) { near = near || (*others)[static_cast<size_t>(i)]; });
    return near;
  };
  std::vector<double> areas;
  for (size_t i = 0; i < FDots.size(); i += Stride()) areas.push_back(FDots[i].Area);
  // A dot whose blob would touch the picture's border is not in the picture at all.
  const double radius = std::sqrt(std::max(Median(areas), 0.0) / 3.14159265358979);
  const double margin = std::max(0.35 * FPitch, radius + 0.15 * FPitch);
  const uint8_t Checked = 3;
  for (const TSideDot& d : FDots) {
    bool whole = true;
    for (int32_t y = -1; y <= 1 && whole; ++y)
      for (int32_t x = -1; x <= 1 && whole; ++x) whole = At(d.Ix + x, d.Iy + y) >= 0;
    if (whole) continue;
    for (int32_t y = -2; y <= 2; ++y)
      for (int32_t x = -2; x <= 2; ++x) {
        const size_t k = static_cast<size_t>(d.Iy + y - FMinY) * static_cast<size_t>(FSizeX) +
                         static_cast<size_t>(d.Ix + x - FMinX);
        if (FState[k] != Unknown) continue;
        const double px = d.X + x * static_cast<double>(d.Ax) + y * static_cast<double>(d.Bx);
        const double py = d.Y + x * static_cast<double>(d.Ay) + y * static_cast<double>(d.By);
        const bool inside =
            px >= margin && py >= margin && px <= width - 1 - margin && py <= height - 1 - margin;
        if (inside && !all.AnyWithin(px, py, Near * FPitch) && !beyondGap(px, py)) {
          FState[k] = Vacant;
          FEmpty.push_back({d.Ix + x, d.Iy + y, -1});
        } else {
          FState[k] = Checked;
        }
      }
  }
  for (const TSideDot& d : FDots) {
    if (d.Odd) FFeatures.push_back({d.Ix, d.Iy, -1});
    for (int32_t dir = 0; dir < 4; ++dir) {
      const int32_t x = dir == 0 ? 1 : dir == 2 ? -1 : 0, y = dir == 1 ? 1 : dir == 3 ? -1 : 0;
      if (Empty(d.Ix + x, d.Iy + y)) FFeatures.push_back({d.Ix, d.Iy, dir});
    }
  }
}
