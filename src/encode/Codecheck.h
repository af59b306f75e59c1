#pragma once

#include <cstdint>
#include <vector>

#include "encode/Dotinfo.h"

// What a code file of these dots would hold, checked before it is saved: how many dots carry
// grid indices, and the first two that carry the same ones (matching pairs dots by their
// indices, so one of two such dots would be lost or paired wrongly).
struct TCodeCheck {
  int32_t Coded = 0;
  int32_t First = -1;  // the lower index of the first pair sharing a grid position, or -1
  int32_t Second = -1;
  int32_t Nx = 0;  // their shared grid position
  int32_t Ny = 0;
};

// Looks at the first count dots (count is clamped to the array).
TCodeCheck CheckCodes(const std::vector<TDotInfo>& dots, int32_t count);
