#include "strain/Colormap.h"

#include <algorithm>
#include <cmath>

const TColorMap& TColorMap::Viridis() {
  static const TColorMap map({{{68, 1, 84},
                               {71, 44, 122},
                               {59, 81, 139},
                               {44, 113, 142},
                               {33, 144, 141},
                               {39, 173, 129},
                               {92, 200, 99},
                               {170, 220, 50},
                               {253, 231, 37}}});
  return map;
}

const TColorMap& TColorMap::Diverging() {
  // Cool to warm through a light neutral: equal lightness steps on both sides of zero.
  static const TColorMap map({{{59, 76, 192},
                               {98, 130, 234},
                               {141, 176, 254},
                               {184, 208, 249},
                               {221, 221, 221},
                               {245, 196, 173},
                               {244, 154, 123},
                               {222, 96, 77},
                               {180, 4, 38}}});
  return map;
}

QColor TColorMap::At(double t) const {
  if (!(t >= 0)) t = 0;  // NaN too
  t = std::min(t, 1.0);
  const double position = t * (Stops - 1);
  const size_t i = std::min(static_cast<size_t>(position), Stops - 2);
  const double f = position - static_cast<double>(i);
  int rgb[3];
  for (size_t c = 0; c < 3; ++c)
    rgb[c] = static_cast<int>(std::lround(FStops[i][c] + f * (FStops[i + 1][c] - FStops[i][c])));
  return QColor(rgb[0], rgb[1], rgb[2]);
}
