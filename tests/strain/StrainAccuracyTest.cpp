#include <gtest/gtest.h>

#include <cmath>

#include "strain/Strainfield.h"
#include "synth/Synth.h"
#include "synth/Synthmotion.h"

namespace {

// Pairs of a synthetic grid at its true centres (no picture, no measurement error), y up.
std::vector<TStrainPair> TruePairs(const TSynthGrid& grid) {
  std::vector<TStrainPair> pairs;
  const double height = grid.Options().Height;
  for (const TSynthDot& d : grid.Dots())
    if (d.Present) pairs.push_back({d.I, -d.J, d.X0, height - d.Y0, d.X1 - d.X0, d.Y0 - d.Y1});
  return pairs;
}

// RMS over the dots with strain of the difference to the exact small strain.
double RmsError(const TStrainField& field, const TSynthMotion& motion, double height) {
  double sum = 0;
  int n = 0;
  for (const TStrainPoint& p : field.Points()) {
    if (!p.HasStrain) continue;
    double g[2][2];
    motion.Gradient(p.Pair.X, height - p.Pair.Y, g);
    const double e[3] = {p.Exx - g[0][0], p.Eyy - g[1][1], p.Exy - (g[0][1] + g[1][0]) / 2};
    sum += e[0] * e[0] + e[1] * e[1] + e[2] * e[2];
    n += 3;
  }
  return std::sqrt(sum / n);
}

}  // namespace

// The fit's own error on a field that is not linear: the plate with a hole (radius 3 pitches,
// remote strain 0.002, peak 0.006) at the exact dot centres. It grows with the neighbourhood,
// and stays far below the strain itself.
TEST(StrainAccuracy, HoleFieldErrorOfTheFitGrowsWithTheNeighbourhood) {
  TSynthOptions o;
  o.Field = TSynthField::Hole;
  o.HoleRadius = 60;
  o.FieldStrain = 0.002;
  const TSynthGrid grid(o);
  const TSynthMotion motion(o);
  const std::vector<TStrainPair> pairs = TruePairs(grid);
  double previous = 0;
  const double bound[] = {0, 7.5e-5, 1.3e-4, 1.8e-4};  // 1.5 times what the fit gives today
  for (int k : {1, 2, 3}) {
    const double rms =
        RmsError(TStrainField::Compute(pairs, {k, TStrainMeasure::Small}), motion, o.Height);
    std::printf("hole field, exact centres: k %d, RMS strain error %.3e\n", k, rms);
    EXPECT_GT(rms, previous);
    EXPECT_LT(rms, bound[k]);
    previous = rms;
  }
}
