#include "synth/Synthmotion.h"

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
// Step of the central differences of Gradient: the fields are smooth on the scale of a pixel,
// so the truncation error (h^2) stays far below any measurable strain.
constexpr double Step = 1e-3;

}  // namespace

TSynthMotion::TSynthMotion(const TSynthOptions& options) : FOptions(options) {
  FCentreX = options.Width / 2.0;
  FCentreY = options.Height / 2.0;
  const double hx = options.HoleX >= 0 ? options.HoleX : 0.75 * options.Width;
  const double hy = options.HoleY >= 0 ? options.HoleY : 0.5 * options.Height;
  FHoleX = hx - FCentreX;
  FHoleY = FCentreY - hy;
  FCrackY = FCentreY - (options.CrackY >= 0 ? options.CrackY : FCentreY);
  const double turn = options.TurnDeg * Pi / 180;
  FCos = std::cos(turn);
  FSin = std::sin(turn);
}

void TSynthMotion::Field(double X, double Y, double& u, double& v) const {
  const TSynthOptions& o = FOptions;
  const double s = o.FieldStrain;
  u = v = 0;
  if (o.Field == TSynthField::Linear) {
    u = s * X * X / o.Width;  // exx = s X / (width / 2)
  } else if (o.Field == TSynthField::Hole) {
    const double x = X - FHoleX, y = Y - FHoleY;
    const double r = std::hypot(x, y), a = o.HoleRadius, nu = o.Poisson;
    if (r < 1e-9) return;
    const double k = (3 - nu) / (1 + nu), c = s * (1 + nu) / 2;
    const double t = std::atan2(y, x), c2 = std::cos(2 * t), s2 = std::sin(2 * t);
    const double a2r = a * a / r, a4r3 = a2r * a2r / r;
    const double ur = c * (r * ((k - 1) / 2 + c2) + a2r * (1 + (1 + k) * c2) - a4r3 * c2);
    const double ut = c * ((1 - k) * a2r - r - a4r3) * s2;
    u = ur * std::cos(t) - ut * std::sin(t);
    v = ur * std::sin(t) + ut * std::cos(t);
  } else if (o.Field == TSynthField::Crack) {
    v = (Y > FCrackY ? 0.5 : -0.5) * o.CrackOpening;
  }
}

void TSynthMotion::Deformed(double x0, double y0, double& x1, double& y1) const {
  const TSynthOptions& o = FOptions;
  const double X = x0 - FCentreX, Y = FCentreY - y0;
  double u, v;
  Field(X, Y, u, v);
  const double sx = X + o.Exx * X + o.Exy * Y + u;
  const double sy = Y + o.Exy * X + o.Eyy * Y + v;
  const double rx = FCos * sx - FSin * sy, ry = FSin * sx + FCos * sy;
  x1 = FCentreX + rx + o.TranslateX;
  y1 = FCentreY - ry + o.TranslateY;
}

void TSynthMotion::Gradient(double x0, double y0, double g[2][2]) const {
  // Central differences of the displacement along x and y (up); y up is -1 image row.
  double xp, yp, xm, ym;
  Deformed(x0 + Step, y0, xp, yp);
  Deformed(x0 - Step, y0, xm, ym);
  g[0][0] = (xp - xm) / (2 * Step) - 1;
  g[1][0] = -(yp - ym) / (2 * Step);
  Deformed(x0, y0 - Step, xp, yp);
  Deformed(x0, y0 + Step, xm, ym);
  g[0][1] = (xp - xm) / (2 * Step);
  g[1][1] = -(yp - ym) / (2 * Step) - 1;
}

bool TSynthMotion::InHole(double x, double y, double margin) const {
  if (FOptions.Field != TSynthField::Hole) return false;
  const double X = x - FCentreX, Y = FCentreY - y;
  return std::hypot(X - FHoleX, Y - FHoleY) < FOptions.HoleRadius + margin;
}
