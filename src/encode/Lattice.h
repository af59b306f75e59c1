#pragma once

#include <cstdint>
#include <vector>

// The lattice of a grid as its dots show it, for telling dots from what is not a dot: two
// shortest steps between neighbouring dots (the same over the picture), and the lattice's
// phase, which may drift slowly across the picture (lens, perspective, a specimen that is not
// flat), as the dots around each place give it.
//
// The steps are the two strongest clusters of the vectors between near points, each vector
// weighed by the inverse of its squared length; the phase is
// the weighted circular mean of the points' lattice coordinates in blocks of a few steps,
// interpolated between block centres.
class TLattice {
 public:
  // Points and their weights (areas); the picture's size bounds the blocks. Found() is false
  // when the points show no lattice: too few, or no second direction.
  TLattice(const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& w,
           int32_t width, int32_t height);
  bool Found() const { return FFound; }
  double Step(int32_t k, int32_t axis) const { return FStep[k][axis]; }  // k 0 or 1, axis 0 x
  double Pitch() const { return FPitch; }  // the shorter step's length

  // The lattice node nearest to (x, y) as the local phase places it: its whole lattice
  // coordinates (local: they may jump where the phase drifts by a whole step) and the distance
  // to it, pixels.
  double Offset(double x, double y, int64_t node[2]) const;

 private:
  void Coordinates(double x, double y, double& u, double& v) const;
  void Phase(const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& w,
             int32_t width, int32_t height);

  bool FFound = false;
  double FStep[2][2] = {{0, 0}, {0, 0}};
  double FInverse[2][2] = {{0, 0}, {0, 0}};
  double FPitch = 0;
  // Blocks of the phase: the weighted sums of cos and sin of 2 pi u and 2 pi v.
  double FBlock = 1;
  int32_t FCols = 1, FRows = 1;
  std::vector<double> FSums;  // 4 per block
};
