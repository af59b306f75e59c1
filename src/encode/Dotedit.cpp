#include "encode/Dotedit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "encode/Encode.h"

int32_t CodedDotAt(const TEncode& job, int32_t nx, int32_t ny, int32_t except) {
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  for (int32_t i = 0; i < count; ++i) {
    const TDotInfo& d = job.DotInfo()[static_cast<size_t>(i)];
    if (i != except && d.Coded && d.Nx == nx && d.Ny == ny) return i;
  }
  return -1;
}

int32_t SameDotIn(TEncode& job, const TDotInfo& dot) {
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  if (count == 0) return -1;
  const int32_t found = job.NearestDot(dot.x, dot.y);
  if (found < 0 || found >= count) return -1;
  const double radius = std::max(1.0, std::sqrt(std::max(dot.Area, 0) / std::numbers::pi));
  const TDotInfo& near = job.DotInfo()[static_cast<size_t>(found)];
  return std::hypot(near.x - dot.x, near.y - dot.y) <= radius ? found : -1;
}
