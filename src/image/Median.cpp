#include "image/Median.h"

#include <cstddef>
#include <cstring>

// Sliding histogram along each row: the window's histogram is updated by one column per step
// and the median is found by walking from the previous median.
void MedianFilterPlane(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t wx,
                       int32_t wy) {
  const int32_t hx = wx / 2, hy = wy / 2;
  const int32_t rank = wx * wy / 2;
  for (int32_t y = hy; y < height - hy; ++y) {
    int32_t hist[256];
    std::memset(hist, 0, sizeof hist);
    for (int32_t yy = y - hy; yy <= y + hy; ++yy)
      for (int32_t xx = 0; xx < wx; ++xx) ++hist[src[static_cast<size_t>(yy) * width + xx]];
    for (int32_t x = hx; x < width - hx; ++x) {
      if (x > hx) {
        for (int32_t yy = y - hy; yy <= y + hy; ++yy) {
          const uint8_t* row = src + static_cast<size_t>(yy) * width;
          --hist[row[x - hx - 1]];
          ++hist[row[x + hx]];
        }
      }
      int32_t below = 0, v = 0;
      while (below + hist[v] <= rank) below += hist[v++];
      dst[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(v);
    }
  }
}
