#pragma once

#include <cstdint>

// One dot seen in two states: its grid position, its initial position and its displacement, in
// a frame with x to the right and y up, in the units of the code files (pixels unless they carry
// scale factors).
struct TStrainPair {
  int32_t Nx = 0;
  int32_t Ny = 0;
  double X = 0;
  double Y = 0;
  double Dx = 0;
  double Dy = 0;
};
