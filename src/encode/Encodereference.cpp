#include "encode/Encodereference.h"

#include <algorithm>

#include "encode/Encode.h"

std::vector<TDotInfo> CodedDots(const TEncode& job) {
  std::vector<TDotInfo> dots;
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  for (int32_t i = 0; i < count; ++i)
    if (job.DotInfo()[i].Coded) dots.push_back(job.DotInfo()[i]);
  return dots;
}
