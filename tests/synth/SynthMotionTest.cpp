#include <gtest/gtest.h>

#include <cmath>

#include "synth/Synth.h"
#include "synth/Synthmotion.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// The stresses of a plate with a circular hole of radius a under remote tension s along x, in
// polar form about the hole centre, turned into x, y (y up).
void KirschStress(double x, double y, double a, double s, double out[3]) {
  const double r = std::hypot(x, y), t = std::atan2(y, x);
  const double q = a * a / (r * r), c2 = std::cos(2 * t), s2 = std::sin(2 * t);
  const double rr = s / 2 * (1 - q) + s / 2 * (1 - 4 * q + 3 * q * q) * c2;
  const double tt = s / 2 * (1 + q) - s / 2 * (1 + 3 * q * q) * c2;
  const double rt = -s / 2 * (1 + 2 * q - 3 * q * q) * s2;
  const double c = std::cos(t), sn = std::sin(t);
  out[0] = rr * c * c + tt * sn * sn - 2 * rt * sn * c;
  out[1] = rr * sn * sn + tt * c * c + 2 * rt * sn * c;
  out[2] = (rr - tt) * sn * c + rt * (c * c - sn * sn);
}

}  // namespace

TEST(SynthMotion, HoleFieldHasTheStressesOfThePlateWithAHole) {
  TSynthOptions o;
  o.Field = TSynthField::Hole;
  o.FieldStrain = 0.002;
  o.HoleRadius = 50;
  o.HoleX = 600;
  o.HoleY = 300;
  const TSynthMotion motion(o);
  const double nu = o.Poisson, e = 1 / (1 - nu * nu);  // unit Young's modulus
  // Points given relative to the hole centre with y up; the picture row is 300 - y.
  for (auto [x, y] :
       {std::pair{0.0, 50.0001}, {70.0, 20.0}, {-60.0, -90.0}, {300.0, 10.0}, {-50.0001, 0.0}}) {
    double g[2][2], expected[3];
    motion.Gradient(600 + x, 300 - y, g);
    KirschStress(x, y, 50, 0.002, expected);
    const double exx = g[0][0], eyy = g[1][1], exy = (g[0][1] + g[1][0]) / 2;
    EXPECT_NEAR(e * (exx + nu * eyy), expected[0], 1e-8) << x << "," << y;
    EXPECT_NEAR(e * (eyy + nu * exx), expected[1], 1e-8) << x << "," << y;
    EXPECT_NEAR(exy / (1 + nu), expected[2], 1e-8) << x << "," << y;
  }
  // Three times the remote stress at the top of the hole, and no dot drawn inside it.
  double g[2][2];
  motion.Gradient(600, 300 - 50.0001, g);
  EXPECT_NEAR(e * (g[0][0] + nu * g[1][1]) / 0.002, 3, 1e-4);
  const TSynthGrid grid(o);
  for (const TSynthDot& d : grid.Dots())
    EXPECT_GT(std::hypot(d.X0 - 600, d.Y0 - 300), 50 + o.Radius);
}

TEST(SynthMotion, LinearFieldAndTurnHaveTheirGradientsAndMoveTheDots) {
  TSynthOptions o;
  o.Field = TSynthField::Linear;
  o.FieldStrain = 0.003;
  o.TurnDeg = 2;
  o.Exx = 0.001;
  const TSynthMotion motion(o);
  const double a = 2 * Pi / 180, c = std::cos(a), s = std::sin(a);
  for (double x : {100.0, 400.0, 700.0}) {
    double g[2][2];
    motion.Gradient(x, 123, g);
    const double exx = 0.001 + 0.003 * (x - 400) / 400;  // from -s to +s across the width
    // F = R diag(1 + exx, 1); G = F - I.
    EXPECT_NEAR(g[0][0], c * (1 + exx) - 1, 1e-9);
    EXPECT_NEAR(g[0][1], -s, 1e-9);
    EXPECT_NEAR(g[1][0], s * (1 + exx), 1e-9);
    EXPECT_NEAR(g[1][1], c - 1, 1e-9);
  }
  const TSynthGrid grid(o);
  for (const TSynthDot& d : grid.Dots()) {
    double x1, y1;
    motion.Deformed(d.X0, d.Y0, x1, y1);
    EXPECT_DOUBLE_EQ(d.X1, x1);
    EXPECT_DOUBLE_EQ(d.Y1, y1);
  }
}
