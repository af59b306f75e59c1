#pragma once

#include <cstdint>

// One measured dot: its weighted centroid in pixels, its grid position, the encoding flags and
// links, its area, and whether matching paired it.
struct TDotInfo {
  float x = 0;
  float y = 0;
  int32_t Nx = 0;
  int32_t Ny = 0;
  bool Neted = false;  // expanded: its four neighbours were searched and linked
  bool Coded = false;  // carries grid indices
  int32_t Neighbour[4] = {-1, -1, -1, -1};  // dot index in directions 0..3, -1 where none
  int32_t Area = 0;
  bool Matched = false;
};
