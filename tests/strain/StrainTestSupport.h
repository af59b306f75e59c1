#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "strain/Strainpair.h"

// A lattice of pairs for the strain tests: grid positions -nx..nx x -ny..ny, pitch p, turned by
// angleDeg (y up), origin at (x0, y0); displacement from a function of the initial position.
using TDisplacementFunction = std::function<void(double x, double y, double& u, double& v)>;

struct TLattice {
  int32_t HalfNx = 6;
  int32_t HalfNy = 5;
  double Pitch = 20;
  double AngleDeg = 0;
  double X0 = 400;
  double Y0 = 300;
};

std::vector<TStrainPair> LatticePairs(const TLattice& lattice, const TDisplacementFunction& motion);
// Gaussian noise of sigma added to every displacement component (seeded).
void AddNoise(std::vector<TStrainPair>& pairs, double sigma, uint32_t seed);
