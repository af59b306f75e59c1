#include "match/Matchalign.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "base/Convert.h"
#include "base/Error.h"
#include "match/Match.h"

namespace {

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  const size_t h = v.size() / 2;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h), v.end());
  if (v.size() % 2 == 1) return v[h];
  const double upper = v[h];
  return (upper + *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h))) / 2;
}

// The median step from a dot to its grid neighbour (nx + sx, ny + sy) in the initial file.
bool MedianStep(const TMatch& m, int32_t sx, int32_t sy, double& ex, double& ey,
                std::vector<double>& lengths) {
  const TCoordinate& table = *m.FCoordinate[0];
  std::vector<double> xs, ys;
  const std::vector<TDotInfo>& dots = m.FDotInfo[0];
  for (size_t k = 0; k < dots.size(); ++k) {
    const TDotInfo& d = dots[k];
    // A row replaced in the table by a later one at the same place takes no part.
    if (table.GetIndex(d.Nx, d.Ny) != static_cast<int32_t>(k)) continue;
    const int64_t nx = int64_t{d.Nx} + sx, ny = int64_t{d.Ny} + sy;
    if (nx > table.MaxNx() || ny > table.MaxNy()) continue;
    const int32_t j = table.GetIndex(static_cast<int32_t>(nx), static_cast<int32_t>(ny));
    if (j < 0) continue;
    const TDotInfo& n = dots[static_cast<size_t>(j)];
    xs.push_back(static_cast<double>(n.x) - d.x);
    ys.push_back(static_cast<double>(n.y) - d.y);
    lengths.push_back(std::hypot(xs.back(), ys.back()));
  }
  if (xs.empty()) return false;
  ex = Median(xs);
  ey = Median(ys);
  return true;
}

int32_t Whole(double steps) {
  const double r = std::round(steps);
  if (!(std::fabs(r) < 1e6)) return 0;  // no sensible grid offset
  return static_cast<int32_t>(r);
}

}  // namespace

TMatchAlignment MeasureAlignment(const TMatch& m) {
  TMatchAlignment a;
  a.Pairs = m.FMatchSum;
  if (m.FMatchSum <= 0 || !m.FCoordinate[0]) return a;
  std::vector<double> dx, dy;
  for (int32_t k = 0; k < m.FMatchSum; ++k) {
    dx.push_back(m.FDisplacement[static_cast<size_t>(k)].x);
    dy.push_back(-static_cast<double>(m.FDisplacement[static_cast<size_t>(k)].y));  // y down
  }
  a.MedianDx = Median(dx);
  a.MedianDy = Median(dy);
  // The image vectors of one step along Nx and along Ny.
  std::vector<double> lengths;
  double ux = 0, uy = 0, vx = 0, vy = 0;
  const bool hasNx = MedianStep(m, 1, 0, ux, uy, lengths);
  const bool hasNy = MedianStep(m, 0, 1, vx, vy, lengths);
  if (lengths.empty()) return a;
  a.Pitch = Median(lengths);
  // A row or column alone gives one axis; the other is taken perpendicular to it, as long.
  if (!hasNx) ux = -vy, uy = vx;
  if (!hasNy) vx = uy, vy = -ux;
  const double det = ux * vy - uy * vx;
  if (!(std::fabs(det) > 1e-12 * (ux * ux + uy * uy + vx * vx + vy * vy))) return a;
  a.StepsNx = (a.MedianDx * vy - a.MedianDy * vx) / det;
  a.StepsNy = (ux * a.MedianDy - uy * a.MedianDx) / det;
  a.OffsetNx = Whole(a.StepsNx);
  a.OffsetNy = Whole(a.StepsNy);
  return a;
}

void AlignDeformed(TMatch& m, int32_t offsetNx, int32_t offsetNy) {
  if (offsetNx == 0 && offsetNy == 0) return;
  const TCoordinate& old = *m.FCoordinate[1];
  const int64_t maxNx = int64_t{old.MaxNx()} + std::abs(int64_t{offsetNx});
  const int64_t maxNy = int64_t{old.MaxNy()} + std::abs(int64_t{offsetNy});
  if (maxNx > std::numeric_limits<int32_t>::max() / 2 ||
      maxNy > std::numeric_limits<int32_t>::max() / 2)
    throw TError("No enough memory to allocate Coordinate System");
  auto table =
      std::make_unique<TCoordinate>(static_cast<int32_t>(maxNx), static_cast<int32_t>(maxNy));
  std::vector<TDotInfo>& dots = m.FDotInfo[1];
  // Rows in file order, so that a later row at the same place still wins.
  for (size_t k = 0; k < dots.size(); ++k) {
    dots[k].Nx += offsetNx;
    dots[k].Ny += offsetNy;
    table->SetIndex(dots[k].Nx, dots[k].Ny, static_cast<int32_t>(k));
  }
  m.FCoordinate[1] = std::move(table);
  for (auto& file : m.FDotInfo)
    for (TDotInfo& d : file) d.Matched = false;
  m.Match();
}

std::string AlignmentWarning(const TMatchAlignment& a) {
  return Format(
      "Warning: the median displacement (%.2f, %.2f) is more than half a grid pitch (%.2f): "
      "the two code files probably index the grid from origins (%d, %d) dots apart, and every "
      "pair joins a dot with another one. Run match with --align to shift the deformed "
      "indices, or encode the deformed picture with encode --reference INITIAL.cod",
      a.MedianDx, a.MedianDy, a.Pitch, a.OffsetNx, a.OffsetNy);
}

std::string AlignmentNote(const TMatchAlignment& a) {
  return Format("Aligned: the deformed indices were shifted by (%d, %d) grid steps", a.OffsetNx,
                a.OffsetNy);
}

std::string MatchAndCheck(TMatch& match, bool align) {
  match.Match();
  const TMatchAlignment alignment = MeasureAlignment(match);
  if (!alignment.Suspicious()) return {};
  if (!align) return AlignmentWarning(alignment);
  AlignDeformed(match, alignment.OffsetNx, alignment.OffsetNy);
  return AlignmentNote(alignment);
}
