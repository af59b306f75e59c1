#pragma once

#include <cstdint>

// Median filter of a row-major 8-bit plane with an odd wx x wy window (both at least 1 and no
// larger than the plane). Reads every window from src and writes the median (the value at
// position n div 2 of the n sorted window values) to the same pixel of dst, for every pixel
// with a full window; dst's other pixels are left alone. src and dst must not overlap.
void MedianFilterPlane(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t wx,
                       int32_t wy);
