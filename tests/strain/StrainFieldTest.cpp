#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "StrainTestSupport.h"
#include "base/Error.h"
#include "reference/PlainStrain.h"
#include "strain/Strainfield.h"
#include "support/Checks.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// u = G (X - c) + t: any affine motion.
TDisplacementFunction Affine(double ux, double uy, double vx, double vy) {
  return [=](double x, double y, double& u, double& v) {
    u = 0.7 + ux * (x - 100) + uy * (y - 50);
    v = -1.3 + vx * (x - 100) + vy * (y - 50);
  };
}

}  // namespace

TEST(StrainField, AffineMotionIsRecoveredExactlyAtEveryDotEvenWithHoles) {
  // A turned lattice with a third of its dots missing: every dot that keeps a well-posed
  // neighbourhood must give the exact gradient, whatever its neighbours.
  for (int k : {1, 2}) {
    TLattice lattice;
    lattice.AngleDeg = 17;
    std::vector<TStrainPair> pairs = LatticePairs(lattice, Affine(0.003, 0.0004, 0.0016, -0.002));
    std::mt19937 rng(5);
    std::erase_if(pairs, [&rng](const TStrainPair&) { return rng() % 3 == 0; });
    const TStrainField field = TStrainField::Compute(pairs, {k, TStrainMeasure::Small});
    ASSERT_GT(field.StrainCount(), static_cast<int32_t>(pairs.size() / 2));
    for (const TStrainPoint& p : field.Points()) {
      if (!p.HasStrain) continue;
      EXPECT_NEAR(p.Exx, 0.003, 1e-12);
      EXPECT_NEAR(p.Eyy, -0.002, 1e-12);
      EXPECT_NEAR(p.Exy, 0.001, 1e-12);
      EXPECT_NEAR(p.Rotation, std::atan2(0.0012, 2.001) * 180 / Pi, 1e-10);
    }
  }
}

TEST(StrainField, FitMatchesThePlainNormalEquationsOnANoisyIncompleteGrid) {
  TLattice lattice;
  lattice.HalfNx = 9;
  lattice.HalfNy = 7;
  lattice.AngleDeg = -4;
  lattice.X0 = 3000;  // far from the origin: the centred fit must not lose digits
  lattice.Y0 = 2000;
  std::vector<TStrainPair> pairs =
      LatticePairs(lattice, [](double x, double y, double& u, double& v) {
        u = 1e-6 * (x - 3000) * (x - 3000) + 0.002 * y;
        v = std::sin((x + y) / 90);
      });
  AddNoise(pairs, 0.05, 11);
  std::mt19937 rng(3);
  std::erase_if(pairs, [&rng](const TStrainPair&) { return rng() % 4 == 0; });
  for (int k : {1, 2, 3}) {
    const TStrainField field = TStrainField::Compute(pairs, {k, TStrainMeasure::Small});
    int32_t compared = 0;
    for (size_t i = 0; i < pairs.size(); ++i) {
      double g[2][2];
      const bool plain = PlainGradient(pairs, i, k, g);
      const TStrainPoint& p = field.Points()[i];
      ASSERT_EQ(p.HasStrain, plain) << "dot " << pairs[i].Nx << "," << pairs[i].Ny << " k " << k;
      if (!plain) continue;
      ++compared;
      EXPECT_NEAR(p.Exx, g[0][0], 1e-9);
      EXPECT_NEAR(p.Eyy, g[1][1], 1e-9);
      EXPECT_NEAR(p.Exy, (g[0][1] + g[1][0]) / 2, 1e-9);
    }
    EXPECT_GT(compared, 100);
  }
}

TEST(StrainField, QuadraticFieldGivesTheExactGradientWhereTheNeighbourhoodIsComplete) {
  // A full symmetric neighbourhood cancels the curvature terms: the fit is the derivative at the
  // centre dot, not an average.
  const auto quadratic = [](double x, double y, double& u, double& v) {
    u = 2e-5 * x * x + 1e-5 * x * y;
    v = -3e-5 * y * y;
  };
  TLattice lattice;
  const std::vector<TStrainPair> pairs = LatticePairs(lattice, quadratic);
  for (int k : {1, 2, 3}) {
    const TStrainField field = TStrainField::Compute(pairs, {k, TStrainMeasure::Small});
    for (const TStrainPoint& p : field.Points()) {
      if (std::abs(p.Pair.Nx) > lattice.HalfNx - k || std::abs(p.Pair.Ny) > lattice.HalfNy - k)
        continue;
      const double x = p.Pair.X, y = p.Pair.Y;
      EXPECT_NEAR(p.Exx, 4e-5 * x + 1e-5 * y, 1e-11);
      EXPECT_NEAR(p.Eyy, -6e-5 * y, 1e-11);
      EXPECT_NEAR(p.Exy, 0.5e-5 * x, 1e-11);
    }
  }
}

TEST(StrainField, NeighbourhoodsThatFixNoGradientGiveNoStrain) {
  struct TCase {
    const char* Name;
    std::vector<std::pair<int, int>> Grid;
    std::vector<bool> Expected;
  };
  const TCase cases[] = {
      {"one row", {{0, 0}, {1, 0}, {2, 0}}, {false, false, false}},
      {"one column", {{0, 0}, {0, 1}}, {false, false}},
      {"an L of three", {{0, 0}, {1, 0}, {0, 1}}, {true, true, true}},
      {"a diagonal", {{0, 0}, {1, 1}, {2, 2}}, {false, false, false}},
      {"a lone dot beside an L", {{0, 0}, {1, 0}, {0, 1}, {5, 5}}, {true, true, true, false}},
  };
  for (const TCase& c : cases) {
    std::vector<TStrainPair> pairs;
    for (auto [i, j] : c.Grid) pairs.push_back({i, j, 20.0 * i, 20.0 * j, 0.01 * i, 0.0});
    const TStrainField field = TStrainField::Compute(pairs, {});
    for (size_t i = 0; i < pairs.size(); ++i)
      EXPECT_EQ(field.Points()[i].HasStrain, c.Expected[i]) << c.Name << " dot " << i;
  }
}

TEST(StrainField, RefusesInputItCannotIndex) {
  const std::vector<TStrainPair> twice = {{1, 2, 0, 0, 0, 0}, {1, 2, 5, 5, 0, 0}};
  EXPECT_EQ(ErrorOf([&] { TStrainField::Compute(twice, {}); }),
            "Two dots share the grid position (1, 2)");
  EXPECT_EQ(ErrorOf([] { TStrainField::Compute({}, {}); }),
            "The two code files have no dot in common");
  const std::vector<TStrainPair> one = {{0, 0, 0, 0, 0, 0}};
  EXPECT_EQ(ErrorOf([&] {
              TStrainField::Compute(one, {0, TStrainMeasure::Small});
            }),
            "The neighbourhood must be between 1 and 50");
  const std::vector<TStrainPair> far = {{-100000, 0, 0, 0, 0, 0}, {100000, 5000, 1, 1, 0, 0}};
  EXPECT_EQ(ErrorOf([&] { TStrainField::Compute(far, {}); }),
            "The grid is too large for a strain computation");
}

TEST(StrainField, NoiseSpreadFollowsTheLeastSquaresPrediction) {
  // Independent noise s on each displacement component, full (2k+1)^2 neighbourhoods of pitch
  // p: std(exx) = s / sqrt(Sxx) with Sxx = (2k+1) p^2 k(k+1)(2k+1)/3, std(exy) = std(exx)/sqrt(2).
  TLattice lattice;
  lattice.HalfNx = 60;
  lattice.HalfNy = 60;
  std::vector<TStrainPair> pairs = LatticePairs(lattice, Affine(0, 0, 0, 0));
  const double sigma = 0.02;
  AddNoise(pairs, sigma, 2);
  for (int k : {1, 2, 3}) {
    const TStrainField field = TStrainField::Compute(pairs, {k, TStrainMeasure::Small});
    double sxx = 0, sxy = 0;
    int32_t n = 0;
    for (const TStrainPoint& p : field.Points()) {
      if (std::abs(p.Pair.Nx) > 60 - k || std::abs(p.Pair.Ny) > 60 - k) continue;
      sxx += p.Exx * p.Exx;
      sxy += p.Exy * p.Exy;
      ++n;
    }
    const double side = 2 * k + 1, spread = side * 400.0 * k * (k + 1) * side / 3;
    const double predicted = sigma / std::sqrt(spread);
    EXPECT_NEAR(std::sqrt(sxx / n) / predicted, 1.0, 0.05) << "k " << k;
    EXPECT_NEAR(std::sqrt(sxy / n) / (predicted / std::sqrt(2.0)), 1.0, 0.05) << "k " << k;
  }
}

TEST(StrainFromGradient, GreenStrainIgnoresRigidRotationAndPrincipalValuesDiagonalise) {
  for (double deg : {2.0, -30.0, 90.0}) {
    const double a = deg * Pi / 180;
    const double g[2][2] = {{std::cos(a) - 1, -std::sin(a)}, {std::sin(a), std::cos(a) - 1}};
    TStrainPoint green, small;
    StrainFromGradient(g, TStrainMeasure::Green, green);
    StrainFromGradient(g, TStrainMeasure::Small, small);
    for (double e : {green.Exx, green.Eyy, green.Exy}) EXPECT_NEAR(e, 0, 1e-15) << deg;
    EXPECT_NEAR(green.Rotation, deg, 1e-12);
    EXPECT_NEAR(small.Exx, std::cos(a) - 1, 1e-15);  // what small strain gets wrong
  }
  // Stretch 1.01 along 30 degrees and 0.995 across, then turned by 5 degrees.
  const double t = 30 * Pi / 180, r = 5 * Pi / 180;
  const double c = std::cos(t), s = std::sin(t);
  const double u[2][2] = {{1.01 * c * c + 0.995 * s * s, (1.01 - 0.995) * c * s},
                          {(1.01 - 0.995) * c * s, 1.01 * s * s + 0.995 * c * c}};
  double g[2][2];
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
      g[i][j] = (i == 0 ? std::cos(r) * u[0][j] - std::sin(r) * u[1][j]
                        : std::sin(r) * u[0][j] + std::cos(r) * u[1][j]) -
                (i == j);
  TStrainPoint p;
  StrainFromGradient(g, TStrainMeasure::Green, p);
  EXPECT_NEAR(p.E1, (1.01 * 1.01 - 1) / 2, 1e-12);
  EXPECT_NEAR(p.E2, (0.995 * 0.995 - 1) / 2, 1e-12);
  EXPECT_NEAR(p.Angle, 30, 1e-9);
  EXPECT_NEAR(p.Rotation, 5, 1e-9);
}
