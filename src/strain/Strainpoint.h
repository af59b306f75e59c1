#pragma once

#include "strain/Strainpair.h"

// The strain at one dot. Strains are dimensionless; exy is the tensor shear
// (du/dy + dv/dx) / 2. E1 >= E2 are the principal strains, Angle (degrees, counterclockwise from
// x, in (-90, 90]) the direction of E1, Rotation (degrees, counterclockwise) the rigid rotation of
// the neighbourhood. HasStrain is false where the neighbourhood does not fix a gradient; the
// strain fields are then 0 and mean nothing.
struct TStrainPoint {
  TStrainPair Pair;
  bool HasStrain = false;
  double Exx = 0;
  double Eyy = 0;
  double Exy = 0;
  double E1 = 0;
  double E2 = 0;
  double Angle = 0;
  double Rotation = 0;
};
