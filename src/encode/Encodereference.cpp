#include "encode/Encodereference.h"

#include <algorithm>

#include "encode/Encode.h"

std::vector<TDotInfo> CodedDots(const TEncode& job) {
  std::vector<TDotInfo> dots;
  const int32_t count = std::min(job.FDotSum, static_cast<int32_t>(job.FDotInfo.size()));
  for (int32_t i = 0; i < count; ++i)
    if (job.FDotInfo[i].Coded) dots.push_back(job.FDotInfo[i]);
  return dots;
}
