#pragma once

#include <cstdint>
#include <vector>

#include "encode/Dotinfo.h"

// The nearest-dot searches of the encoding as plain scans over every dot, from index 0 upwards:
// float differences squared and summed in float, a candidate replacing the best only when
// strictly nearer. The reference the bucket grid is checked against.

// The dot nearest to (x, y) other than exclude, nearer than start (squared); -1 if none.
int32_t LinearNearest(const std::vector<TDotInfo>& dots, float x, float y, float start,
                      int32_t exclude);
// The nearest dot with |dx| <= tolX and |dy| <= tolY, starting from 1.0e20; -1 if none.
int32_t LinearWithin(const std::vector<TDotInfo>& dots, float x, float y, float tolX, float tolY);
