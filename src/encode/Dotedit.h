#pragma once

#include <cstdint>

#include "encode/Dotinfo.h"

class TEncode;

// Hand corrections of an encoding: whether a grid position is taken already, and which dot of a
// job extracted afresh from the same picture is a dot picked on the job before.

// The Coded dot other than except that has the grid indices (nx, ny); -1 when there is none.
int32_t CodedDotAt(const TEncode& job, int32_t nx, int32_t ny, int32_t except);

// The dot of job nearest to the centre of dot, when its own centre lies within dot's radius (from
// its area, at least one pixel); -1 when there is none.
int32_t SameDotIn(TEncode& job, const TDotInfo& dot);
