#include "strain/Plotquantity.h"

#include <cmath>

#include "base/Error.h"

namespace {

const TPlotQuantityInfo Infos[] = {
    {"dx", "Displacement dx", true, true},
    {"dy", "Displacement dy", true, true},
    {"d", "Displacement |d|", false, true},
    {"exx", "Strain exx", true, false},
    {"eyy", "Strain eyy", true, false},
    {"exy", "Shear strain exy", true, false},
    {"e1", "Major principal strain e1", true, false},
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
  }
  return 0;
}

bool HasValue(TPlotQuantity quantity, const TStrainPoint& point) {
  return InfoOf(quantity).Displacement || point.HasStrain;
}

TPlotQuantity QuantityNamed(const std::string& name) {
  for (int q = 0; q <= static_cast<int>(TPlotQuantity::E1); ++q)
    if (name == Infos[q].Name) return static_cast<TPlotQuantity>(q);
  throw TError("Unknown field " + name + ": dx, dy, d, exx, eyy, exy or e1");
}
