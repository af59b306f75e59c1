#include "StrainTestSupport.h"

#include <cmath>
#include <random>

std::vector<TStrainPair> LatticePairs(const TLattice& l, const TDisplacementFunction& motion) {
  const double a = l.AngleDeg * 3.14159265358979323846 / 180;
  std::vector<TStrainPair> pairs;
  for (int32_t j = -l.HalfNy; j <= l.HalfNy; ++j) {
    for (int32_t i = -l.HalfNx; i <= l.HalfNx; ++i) {
      TStrainPair p;
      p.Nx = i;
      p.Ny = j;
      p.X = l.X0 + l.Pitch * (i * std::cos(a) - j * std::sin(a));
      p.Y = l.Y0 + l.Pitch * (i * std::sin(a) + j * std::cos(a));
      motion(p.X, p.Y, p.Dx, p.Dy);
      pairs.push_back(p);
    }
  }
  return pairs;
}

void AddNoise(std::vector<TStrainPair>& pairs, double sigma, uint32_t seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> normal(0, sigma);
  for (TStrainPair& p : pairs) {
    p.Dx += normal(rng);
    p.Dy += normal(rng);
  }
}
