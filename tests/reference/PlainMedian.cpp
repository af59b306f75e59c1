#include "reference/PlainMedian.h"

#include <algorithm>

std::vector<uint8_t> PlainMedian(const std::vector<uint8_t>& src, int w, int h, int wx, int wy) {
  if (wx <= 0) wx = 1;
  if (wy <= 0) wy = 1;
  if (wx % 2 == 0) ++wx;
  if (wy % 2 == 0) ++wy;
  std::vector<uint8_t> out = src;
  const int hx = wx / 2, hy = wy / 2;
  std::vector<uint8_t> window;
  for (int y = hy; y < h - hy; ++y)
    for (int x = hx; x < w - hx; ++x) {
      window.clear();
      for (int yy = y - hy; yy <= y + hy; ++yy)
        for (int xx = x - hx; xx <= x + hx; ++xx) window.push_back(src[yy * w + xx]);
      std::nth_element(window.begin(), window.begin() + window.size() / 2, window.end());
      out[y * w + x] = window[window.size() / 2];
    }
  return out;
}
