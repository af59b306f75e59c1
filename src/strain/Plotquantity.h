#pragma once

#include <string>

#include "strain/Strainpoint.h"

// The quantities a map can show.
enum class TPlotQuantity { Dx, Dy, D, Exx, Eyy, Exy, E1, E2, Rotation };

struct TPlotQuantityInfo {
  const char* Name;   // "exx", also the plot's file name without ".png"
  const char* Title;  // for the plot's title
  bool Signed;        // diverging map centred on 0, else viridis from 0
  bool Displacement;  // in the field's unit, else a strain
  bool Degrees;       // an angle in degrees (the rotation), not a strain
};

const TPlotQuantityInfo& InfoOf(TPlotQuantity quantity);
// The value at a point; strains only where the point has strain (callers check HasStrain).
double ValueOf(TPlotQuantity quantity, const TStrainPoint& point);
// True when the point has a value of this quantity (displacements always, strains with strain).
bool HasValue(TPlotQuantity quantity, const TStrainPoint& point);
// The quantity of that name ("dx", "dy", "d", "exx", "eyy", "exy", "e1", "e2", "rotation");
// raises TError else.
TPlotQuantity QuantityNamed(const std::string& name);
