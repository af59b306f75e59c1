#include "reference/PlainStrain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// Solves m x = r (3 x 3) in place; false when singular.
bool Solve3(double m[3][3], double r[3], double x[3]) {
  double largest = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) largest = std::max(largest, std::fabs(m[i][j]));
  for (int c = 0; c < 3; ++c) {
    int pivot = c;
    for (int i = c + 1; i < 3; ++i)
      if (std::fabs(m[i][c]) > std::fabs(m[pivot][c])) pivot = i;
    if (std::fabs(m[pivot][c]) < 1e-9 * largest) return false;
    std::swap(m[c], m[pivot]);
    std::swap(r[c], r[pivot]);
    for (int i = c + 1; i < 3; ++i) {
      const double f = m[i][c] / m[c][c];
      for (int j = c; j < 3; ++j) m[i][j] -= f * m[c][j];
      r[i] -= f * r[c];
    }
  }
  for (int c = 2; c >= 0; --c) {
    double s = r[c];
    for (int j = c + 1; j < 3; ++j) s -= m[c][j] * x[j];
    x[c] = s / m[c][c];
  }
  return true;
}

}  // namespace

bool PlainGradient(const std::vector<TStrainPair>& pairs, size_t centre, int k, double g[2][2]) {
  const TStrainPair& p = pairs[centre];
  double m[3][3] = {}, ru[3] = {}, rv[3] = {};
  bool otherColumn = false, otherRow = false;
  for (const TStrainPair& q : pairs) {
    if (std::abs(q.Nx - p.Nx) > k || std::abs(q.Ny - p.Ny) > k) continue;
    otherColumn |= q.Nx != p.Nx;
    otherRow |= q.Ny != p.Ny;
    const double basis[3] = {1, q.X, q.Y};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) m[i][j] += basis[i] * basis[j];
      ru[i] += basis[i] * q.Dx;
      rv[i] += basis[i] * q.Dy;
    }
  }
  if (!otherColumn || !otherRow || m[0][0] < 3) return false;
  double mu[3][3], mv[3][3], a[3], b[3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) mu[i][j] = mv[i][j] = m[i][j];
  if (!Solve3(mu, ru, a) || !Solve3(mv, rv, b)) return false;
  g[0][0] = a[1];
  g[0][1] = a[2];
  g[1][0] = b[1];
  g[1][1] = b[2];
  return true;
}
