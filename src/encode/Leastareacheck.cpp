#include "encode/Leastareacheck.h"

#include <algorithm>
#include <vector>

#include "encode/Encode.h"
#include "encode/Encodedefaults.h"

TLeastAreaCheck CheckLeastArea(TEncode& job, int32_t leastArea) {
  TLeastAreaCheck check;
  const int32_t effective = leastArea < 0 ? 10 : leastArea;
  std::vector<int32_t> areas = job.LiveBlobAreas();
  if (areas.empty()) return check;
  check.Robust = RobustLeastArea(job);
  std::sort(areas.begin(), areas.end());
  check.Largest = areas.back();
  const auto first = std::lower_bound(areas.begin(), areas.end(), check.Robust);
  check.DotLike = static_cast<int32_t>(areas.end() - first);
  check.Removed = static_cast<int32_t>(std::lower_bound(first, areas.end(), effective) - first);
  if (check.DotLike > 0) check.MedianArea = first[check.DotLike / 2];
  return check;
}
