#include <cstring>

#include "image/MedianImpl.h"

// Huang's sliding histogram: one column of the window leaves and one enters per step, and the
// median moves on from the previous one, keeping count of the values below it.
void MedianHistogramRow(const uint8_t* const* in, uint8_t* out, int32_t outW, int32_t wx,
                        int32_t wy) {
  const int32_t rank = static_cast<int32_t>(static_cast<int64_t>(wx) * wy / 2);
  int32_t hist[256];
  std::memset(hist, 0, sizeof hist);
  for (int32_t r = 0; r < wy; ++r)
    for (int32_t q = 0; q < wx; ++q) ++hist[in[r][q]];
  int32_t med = 0, below = 0;  // below: how many window values are smaller than med
  while (below + hist[med] <= rank) below += hist[med++];
  out[0] = static_cast<uint8_t>(med);
  for (int32_t x = 1; x < outW; ++x) {
    for (int32_t r = 0; r < wy; ++r) {
      const uint8_t gone = in[r][x - 1], come = in[r][x + wx - 1];
      --hist[gone];
      ++hist[come];
      below += (come < med) - (gone < med);
    }
    while (below > rank) below -= hist[--med];
    while (below + hist[med] <= rank) below += hist[med++];
    out[x] = static_cast<uint8_t>(med);
  }
}
