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

// The median step from a dot to its grid neighbour (nx + sx, ny + sy) in file i.
bool MedianStep(const TMatch& m, int32_t sx, int32_t sy, double& ex, double& ey,
                std::vector<double>& lengths, int32_t i = 0) {
  const TCoordinate& table = *m.FCoordinate[i];
  std::vector<double> xs, ys;
  const std::vector<TDotInfo>& dots = m.FDotInfo[i];
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
  // The deformed file's Nx axis against the initial one's (y down in both).
  std::vector<double> unused;
  double wx = 0, wy = 0;
  if (hasNx && m.FCoordinate[1] && MedianStep(m, 1, 0, wx, wy, unused, 1))
    a.TurnDeg = -std::atan2(ux * wy - uy * wx, ux * wx + uy * wy) * 180 / 3.14159265358979;
  return a;
}

void AlignDeformed(TMatch& m, int32_t offsetNx, int32_t offsetNy, int32_t quarterTurns) {
  const int32_t k = ((quarterTurns % 4) + 4) % 4;
  if (offsetNx == 0 && offsetNy == 0 && k == 0) return;
  const TCoordinate& old = *m.FCoordinate[1];
  // A turn swaps the ranges; both take the larger.
  const int64_t range = std::max(old.MaxNx(), old.MaxNy());
  const int64_t maxNx = range + std::abs(int64_t{offsetNx});
  const int64_t maxNy = range + std::abs(int64_t{offsetNy});
  if (maxNx > std::numeric_limits<int32_t>::max() / 2 ||
      maxNy > std::numeric_limits<int32_t>::max() / 2)
    throw TError("No enough memory to allocate Coordinate System");
  auto table =
      std::make_unique<TCoordinate>(static_cast<int32_t>(maxNx), static_cast<int32_t>(maxNy));
  std::vector<TDotInfo>& dots = m.FDotInfo[1];
  // Rows in file order, so that a later row at the same place still wins.
  for (size_t i = 0; i < dots.size(); ++i) {
    const int32_t x = dots[i].Nx, y = dots[i].Ny;
    const int32_t tx = k == 0 ? x : k == 1 ? -y : k == 2 ? -x : y;
    const int32_t ty = k == 0 ? y : k == 1 ? x : k == 2 ? -y : -x;
    dots[i].Nx = tx + offsetNx;
    dots[i].Ny = ty + offsetNy;
    table->SetIndex(dots[i].Nx, dots[i].Ny, static_cast<int32_t>(i));
  }
  m.FCoordinate[1] = std::move(table);
  for (auto& file : m.FDotInfo)
    for (TDotInfo& d : file) d.Matched = false;
  m.Match();
}

std::string AlignmentWarning(const TMatchAlignment& a) {
  const std::string sure =
      ". To be sure, index the deformed picture from the initial one: encode DEFORMED "
      "--reference INITIAL.cod, or measure the pair with track INITIAL DEFORMED";
  if (a.AxesDiffer())
    return Format(
               "Warning: the two code files index the grid along axes turned by %.1f degrees "
               "against each other: either the grid turned that far, or the files chose "
               "different axes and every pair joins two different dots",
               a.TurnDeg) +
           sure;
  const double pitches = a.Pitch > 0 ? std::hypot(a.MedianDx, a.MedianDy) / a.Pitch : 0;
  return Format(
             "Warning: the median displacement (%.2f, %.2f) is %.2f grid pitches (pitch %.2f): "
             "either the grid moved that far, or the two code files index it from origins "
             "(%d, %d) dots apart and every pair joins two different dots",
             a.MedianDx, a.MedianDy, pitches, a.Pitch, a.OffsetNx, a.OffsetNy) +
         sure;
}

std::string PatternWarning(int32_t offsetNx, int32_t offsetNy, int32_t quarterTurns) {
  const int32_t k = ((quarterTurns % 4) + 4) % 4;
  return Format(
      "Warning: the dots' patterns show the two code files index the grid from origins (%d, %d) "
      "dots apart%s: every pair joins two different dots. Run match with --align to pair the "
      "same dots, or index the deformed picture from the initial one: encode DEFORMED "
      "--reference INITIAL.cod, or track INITIAL DEFORMED",
      offsetNx, offsetNy, k == 0 ? "" : Format(" and axes %d quarter turns apart", k).c_str());
}

std::string AlignmentNote(int32_t offsetNx, int32_t offsetNy, int32_t quarterTurns) {
  if (offsetNx == 0 && offsetNy == 0 && quarterTurns % 4 == 0)
    return "Aligned: the dots' pattern shows the two files index the grid alike; nothing changed";
  return Format(
      "Aligned: the dots' pattern shows the deformed indices %d quarter turns and (%d, %d) grid "
      "steps off; they were turned and shifted",
      ((quarterTurns % 4) + 4) % 4, offsetNx, offsetNy);
}
