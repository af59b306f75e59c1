#pragma once

#include "synth/Synth.h"

// The known motion of a synthetic grid: where an initial position goes, and the exact
// displacement gradient there, so that measured strains can be compared with the truth.
//
// In the frame x right, y up about the picture centre C, a point P moves to
// R (P + E P + w(P)) + T, with E the uniform strain, w the non-uniform field and R the rigid
// turn. The hole field is the plane-stress solution for an infinite plate with a circular
// hole under uniaxial tension along x (remote strain s = stress / Young's modulus):
//   u_r = s (1 + nu) / 2 [r ((k - 1) / 2 + cos 2t) + a^2 / r (1 + (1 + k) cos 2t) - a^4 / r^3 cos
//   2t] u_t = s (1 + nu) / 2 [(1 - k) a^2 / r - r - a^4 / r^3] sin 2t,  k = (3 - nu) / (1 + nu)
// The linear field is u = s x^2 / (2 L), v = 0, with L half the picture width: exx = s x / L.
// The crack moves the part above its row up and the part below it down by half the opening.
class TSynthMotion {
 public:
  explicit TSynthMotion(const TSynthOptions& options);

  // The deformed position of the initial position (x0, y0), image pixels (y down).
  void Deformed(double x0, double y0, double& x1, double& y1) const;
  // The displacement gradient at (x0, y0) in the frame x right, y up:
  // g = [[du/dx, du/dy], [dv/dx, dv/dy]].
  void Gradient(double x0, double y0, double g[2][2]) const;
  // True when a disc of radius margin about (x, y) reaches into the hole.
  bool InHole(double x, double y, double margin) const;

 private:
  // The field w at (X, Y), relative to the centre, y up.
  void Field(double X, double Y, double& u, double& v) const;

  TSynthOptions FOptions;
  double FCentreX = 0, FCentreY = 0;
  double FHoleX = 0, FHoleY = 0;  // relative to the centre, y up
  double FCrackY = 0;             // likewise
  double FCos = 1, FSin = 0;
};
