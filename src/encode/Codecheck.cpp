#include "encode/Codecheck.h"

#include <algorithm>
#include <unordered_map>

TCodeCheck CheckCodes(const std::vector<TDotInfo>& dots, int32_t count) {
  TCodeCheck check;
  count = std::clamp(count, 0, static_cast<int32_t>(dots.size()));
  std::unordered_map<int64_t, int32_t> seen;
  seen.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const TDotInfo& dot = dots[static_cast<size_t>(i)];
    if (!dot.Coded) continue;
    ++check.Coded;
    const int64_t key = (static_cast<int64_t>(dot.Ny) << 32) ^ static_cast<uint32_t>(dot.Nx);
    auto [at, fresh] = seen.emplace(key, i);
    if (!fresh && check.First < 0) {
      check.First = at->second;
      check.Second = i;
      check.Nx = dot.Nx;
      check.Ny = dot.Ny;
    }
  }
  return check;
}
