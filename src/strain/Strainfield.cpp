#include "strain/Strainfield.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Error.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Degrees = 180.0 / Pi;
// The grid table is direct-indexed; larger grids are refused rather than allocated.
constexpr int64_t MaxTableEntries = int64_t{1} << 27;

// Direct-indexed table from grid position to pair index, -1 where empty.
class TGridTable {
 public:
  explicit TGridTable(const std::vector<TStrainPair>& pairs) {
    FMinNx = FMinNy = std::numeric_limits<int32_t>::max();
    int32_t maxNx = std::numeric_limits<int32_t>::min(), maxNy = maxNx;
    for (const TStrainPair& p : pairs) {
      FMinNx = std::min(FMinNx, p.Nx);
      FMinNy = std::min(FMinNy, p.Ny);
      maxNx = std::max(maxNx, p.Nx);
      maxNy = std::max(maxNy, p.Ny);
    }
    FColumns = int64_t{maxNx} - FMinNx + 1;
    FRows = int64_t{maxNy} - FMinNy + 1;
    if (FColumns * FRows > MaxTableEntries)
      throw TError("The grid is too large for a strain computation");
    FTable.assign(static_cast<size_t>(FColumns * FRows), -1);
    for (size_t k = 0; k < pairs.size(); ++k) {
      int32_t& entry = FTable[Offset(pairs[k].Nx, pairs[k].Ny)];
      if (entry >= 0)
        throw TError("Two dots share the grid position (" + std::to_string(pairs[k].Nx) + ", " +
                     std::to_string(pairs[k].Ny) + ")");
      entry = static_cast<int32_t>(k);
    }
  }

  // The pair at (nx, ny), -1 when empty or outside the table.
  int32_t At(int64_t nx, int64_t ny) const {
    const int64_t col = nx - FMinNx, row = ny - FMinNy;
    if (col < 0 || row < 0 || col >= FColumns || row >= FRows) return -1;
    return FTable[static_cast<size_t>(row * FColumns + col)];
  }

 private:
  size_t Offset(int32_t nx, int32_t ny) const {
    return static_cast<size_t>((int64_t{ny} - FMinNy) * FColumns + (int64_t{nx} - FMinNx));
  }

  int32_t FMinNx = 0, FMinNy = 0;
  int64_t FColumns = 0, FRows = 0;
  std::vector<int32_t> FTable;
};

// Sums of a least-squares plane u = a + G (X - Xc) through a set of dots. Positions are taken
// relative to a reference dot, so that large coordinates lose no precision.
struct TPlaneSums {
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
  double su = 0, sv = 0, sxu = 0, syu = 0, sxv = 0, syv = 0;

  void Add(const TStrainPair& q, const TStrainPair& reference) {
    const double x = q.X - reference.X, y = q.Y - reference.Y;
    n += 1;
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
    syy += y * y;
    su += q.Dx;
    sv += q.Dy;
    sxu += x * q.Dx;
    syu += y * q.Dx;
    sxv += x * q.Dy;
    syv += y * q.Dy;
  }
  bool Solve(double gradient[2][2]) const;
};

bool FitGradient(const std::vector<TStrainPair>& pairs, const TGridTable& table,
                 const TStrainPair& centre, int32_t k, double gradient[2][2]) {
  TPlaneSums sums;
  bool otherColumn = false, otherRow = false;
  for (int32_t j = -k; j <= k; ++j) {
    for (int32_t i = -k; i <= k; ++i) {
      const int32_t index = table.At(int64_t{centre.Nx} + i, int64_t{centre.Ny} + j);
      if (index < 0) continue;
      sums.Add(pairs[static_cast<size_t>(index)], centre);
      otherColumn |= i != 0;
      otherRow |= j != 0;
    }
  }
  return otherColumn && otherRow && sums.Solve(gradient);
}

bool TPlaneSums::Solve(double gradient[2][2]) const {
  if (n < 3) return false;
  const double cxx = sxx - sx * sx / n, cxy = sxy - sx * sy / n, cyy = syy - sy * sy / n;
  const double cxu = sxu - sx * su / n, cyu = syu - sy * su / n;
  const double cxv = sxv - sx * sv / n, cyv = syv - sy * sv / n;
  const double det = cxx * cyy - cxy * cxy;
  // Dots on one line fix no gradient across it.
  if (!(det > 1e-8 * (cxx + cyy) * (cxx + cyy))) return false;
  gradient[0][0] = (cyy * cxu - cxy * cyu) / det;
  gradient[0][1] = (cxx * cyu - cxy * cxu) / det;
  gradient[1][0] = (cyy * cxv - cxy * cyv) / det;
  gradient[1][1] = (cxx * cyv - cxy * cxv) / det;
  return true;
}

}  // namespace

bool WholeFieldGradient(const std::vector<TStrainPair>& pairs, double gradient[2][2]) {
  TPlaneSums sums;
  for (const TStrainPair& p : pairs) sums.Add(p, pairs.front());
  return sums.Solve(gradient);
}

const char* MeasureName(TStrainMeasure measure) {
  return measure == TStrainMeasure::Green ? "green" : "small";
}

void StrainFromGradient(const double g[2][2], TStrainMeasure measure, TStrainPoint& point) {
  const double ux = g[0][0], uy = g[0][1], vx = g[1][0], vy = g[1][1];
  if (measure == TStrainMeasure::Green) {
    point.Exx = ux + (ux * ux + vx * vx) / 2;
    point.Eyy = vy + (uy * uy + vy * vy) / 2;
    point.Exy = (uy + vx) / 2 + (ux * uy + vx * vy) / 2;
  } else {
    point.Exx = ux;
    point.Eyy = vy;
    point.Exy = (uy + vx) / 2;
  }
  const double mean = (point.Exx + point.Eyy) / 2, half = (point.Exx - point.Eyy) / 2;
  const double radius = std::hypot(half, point.Exy);
  point.E1 = mean + radius;
  point.E2 = mean - radius;
  point.Angle = 0.5 * std::atan2(2 * point.Exy, point.Exx - point.Eyy) * Degrees;
  // The rotation of the polar decomposition of F = I + G, exact for any size in the plane.
  point.Rotation = std::atan2(vx - uy, 2 + ux + vy) * Degrees;
  point.HasStrain = true;
}

TStrainField TStrainField::Compute(const std::vector<TStrainPair>& pairs,
                                   const TStrainOptions& options) {
  if (pairs.empty()) throw TError("The two code files have no dot in common");
  if (options.Neighbourhood < 1 || options.Neighbourhood > 50)
    throw TError("The neighbourhood must be between 1 and 50");
  const TGridTable table(pairs);
  TStrainField field;
  field.FOptions = options;
  field.FPoints.resize(pairs.size());
  for (size_t k = 0; k < pairs.size(); ++k) {
    TStrainPoint& point = field.FPoints[k];
    point.Pair = pairs[k];
    double gradient[2][2];
    if (FitGradient(pairs, table, pairs[k], options.Neighbourhood, gradient))
      StrainFromGradient(gradient, options.Measure, point);
  }
  return field;
}

int32_t TStrainField::StrainCount() const {
  return static_cast<int32_t>(std::count_if(FPoints.begin(), FPoints.end(),
                                            [](const TStrainPoint& p) { return p.HasStrain; }));
}
