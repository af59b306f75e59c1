#include "strain/Plotquantity.h"

#include <cmath>

#include "base/Error.h"

namespace {

const TPlotQuantityInfo Infos[] = {
    {"dx", "Displacement dx", true, true, false},
    {"dy", "Displacement dy", true, true, false},
    {"d", "Displacement |d|", false, true, false},
    {"exx", "Strain exx", true, false, false},
    {"eyy", "Strain eyy", true, false, false},
    {"exy", "Shear strain exy", true, false, false},
    {"e1", "Major principal strain e1", true, false, false},
    {"e2", "Minor principal strain e2", true, false, false},
    {"rotation", "Rotation (counterclockwise)", true, false, true},
};

}  // namespace

const TPlotQuantityInfo& InfoOf(TPlotQuantity quantity) {
  return Infos[static_cast<int>(quantity)];
}

double ValueOf(TPlotQuantity quantity, const TStrainPoint& p) {
  switch (quantity) {
    case TPlotQuantity::Dx:
      return p.Pair.Dx;
    case TPlotQuantity::Dy:
      return p.Pair.Dy;
    case TPlotQuantity::D:
      return std::hypot(p.Pair.Dx, p.Pair.Dy);
    case TPlotQuantity::Exx:
      return p.Exx;
    case TPlotQuantity::Eyy:
      return p.Eyy;
    case TPlotQuantity::Exy:
      return p.Exy;
    case TPlotQuantity::E1:
      return p.E1;
    case TPlotQuantity::E2:
      return p.E2;
    case TPlotQuantity::Rotation:
      return p.Rotation;
  }
  return 0;
}

bool HasValue(TPlotQuantity quantity, const TStrainPoint& point) {
  return InfoOf(quantity).Displacement || point.HasStrain;
}

TPlotQuantity QuantityNamed(const std::string& name) {
  for (int q = 0; q <= static_cast<int>(TPlotQuantity::Rotation); ++q)
    if (name == Infos[q].Name) return static_cast<TPlotQuantity>(q);
  throw TError("Unknown field " + name + ": dx, dy, d, exx, eyy, exy, e1, e2 or rotation");
}
