#pragma once

#include <cstdint>

// Median filter of a row-major 8-bit plane with an odd wx x wy window (both at least 1; an even
// size raises std::invalid_argument). Writes the median of every full window (the value at
// position n div 2 of its n sorted values) to the window's centre pixel of dst; dst's other
// pixels are left alone. Windows are always read from the original src values: src and dst may
// be the same plane (filtering in place) but must not overlap otherwise. Nothing happens when
// the window is wider or higher than the plane. May throw std::bad_alloc before anything is
// written.
void MedianFilterPlane(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t wx,
                       int32_t wy);
