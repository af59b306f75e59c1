#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Points in square buckets of one size, for the questions the registration asks many times: the
// point nearest to a place within a radius, and whether any point lies within a radius.
class TPointGrid {
 public:
  // cell: the bucket size, best about the spacing of the points.
  void Build(const std::vector<float>& xs, const std::vector<float>& ys, double cell);
  int32_t Count() const { return static_cast<int32_t>(FX.size()); }
  float X(int32_t i) const { return FX[static_cast<size_t>(i)]; }
  float Y(int32_t i) const { return FY[static_cast<size_t>(i)]; }
  // The point nearest to (x, y) within radius other than exclude; -1 if there is none.
  int32_t Nearest(double x, double y, double radius, int32_t exclude = -1) const;
  bool AnyWithin(double x, double y, double radius) const { return Nearest(x, y, radius) >= 0; }
  // Calls visit(i) for every point within radius of (x, y).
  template <class TVisit>
  void ForEachWithin(double x, double y, double radius, TVisit visit) const {
    int64_t x0, x1, y0, y1;
    if (!Cells(x, y, radius, x0, x1, y0, y1)) return;
    const double r2 = radius * radius;
    for (int64_t cy = y0; cy <= y1; ++cy)
      for (int64_t cx = x0; cx <= x1; ++cx) {
        const size_t k = static_cast<size_t>(cy * FCellsX + cx);
        for (int32_t e = FStart[k]; e < FStart[k + 1]; ++e) {
          const int32_t i = FIndex[static_cast<size_t>(e)];
          const double dx = FX[static_cast<size_t>(i)] - x, dy = FY[static_cast<size_t>(i)] - y;
          if (dx * dx + dy * dy <= r2) visit(i);
        }
      }
  }

 private:
  // The range of buckets a disc touches; false when it misses the grid.
  bool Cells(double x, double y, double radius, int64_t& x0, int64_t& x1, int64_t& y0,
             int64_t& y1) const;

  std::vector<float> FX, FY;
  double FMinX = 0, FMinY = 0, FCell = 1;
  int64_t FCellsX = 0, FCellsY = 0;
  std::vector<int32_t> FStart;  // bucket k holds FIndex[FStart[k] .. FStart[k + 1] - 1]
  std::vector<int32_t> FIndex;
};
