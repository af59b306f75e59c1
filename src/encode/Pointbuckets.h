#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// Points in square buckets of a given size, for the questions "which points lie within this
// distance" that the lattice rules and the edge fit ask of a few neighbours at a time. Points
// are given by index; the buckets keep the indices in ascending order, so every answer comes in
// the same order whatever the threads.
class TPointBuckets {
 public:
  TPointBuckets(const std::vector<float>& x, const std::vector<float>& y, double cell) {
    const size_t n = std::min(x.size(), y.size());
    FCell = std::max(cell, 1.0);
    double maxX = 0, maxY = 0;
    FMinX = FMinY = 0;
    bool first = true;
    for (size_t i = 0; i < n; ++i) {
      if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
      if (first) FMinX = maxX = x[i], FMinY = maxY = y[i], first = false;
      FMinX = std::min<double>(FMinX, x[i]), maxX = std::max<double>(maxX, x[i]);
      FMinY = std::min<double>(FMinY, y[i]), maxY = std::max<double>(maxY, y[i]);
    }
    FCols = static_cast<int64_t>(std::min((maxX - FMinX) / FCell, 4.0e4)) + 1;
    FRows = static_cast<int64_t>(std::min((maxY - FMinY) / FCell, 4.0e4)) + 1;
    FStart.assign(static_cast<size_t>(FCols * FRows) + 1, 0);
    std::vector<int64_t> bucket(n);
    for (size_t i = 0; i < n; ++i) {
      bucket[i] = Row(y[i]) * FCols + Col(x[i]);
      ++FStart[static_cast<size_t>(bucket[i]) + 1];
    }
    for (size_t k = 1; k < FStart.size(); ++k) FStart[k] += FStart[k - 1];
    std::vector<int32_t> fill(FStart.begin(), FStart.end() - 1);
    FIndex.resize(n);
    for (size_t i = 0; i < n; ++i)
      FIndex[static_cast<size_t>(fill[static_cast<size_t>(bucket[i])]++)] = static_cast<int32_t>(i);
  }

  // Calls visit(index) for every point in the buckets that a disc of the radius around (x, y)
  // touches: a superset of the points within the radius.
  template <typename TVisit>
  void Near(double x, double y, double radius, const TVisit& visit) const {
    const int64_t c0 = Col(x - radius), c1 = Col(x + radius);
    const int64_t r0 = Row(y - radius), r1 = Row(y + radius);
    for (int64_t r = r0; r <= r1; ++r)
      for (int64_t c = c0; c <= c1; ++c) {
        const size_t k = static_cast<size_t>(r * FCols + c);
        for (int32_t e = FStart[k]; e < FStart[k + 1]; ++e) visit(FIndex[static_cast<size_t>(e)]);
      }
  }

 private:
  int64_t Col(double x) const {
    const double c = std::floor((x - FMinX) / FCell);
    if (!(c > 0)) return 0;  // NaN too
    return static_cast<int64_t>(std::min(c, static_cast<double>(FCols - 1)));
  }
  int64_t Row(double y) const {
    const double r = std::floor((y - FMinY) / FCell);
    if (!(r > 0)) return 0;
    return static_cast<int64_t>(std::min(r, static_cast<double>(FRows - 1)));
  }

  double FCell = 1, FMinX = 0, FMinY = 0;
  int64_t FCols = 1, FRows = 1;
  std::vector<int32_t> FStart, FIndex;
};
