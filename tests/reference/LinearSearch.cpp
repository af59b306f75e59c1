#include "reference/LinearSearch.h"

#include <cmath>

int32_t LinearNearest(const std::vector<TDotInfo>& dots, float x, float y, float start,
                      int32_t exclude) {
  int32_t best = -1;
  float min = start;
  for (int32_t i = 0; i < static_cast<int32_t>(dots.size()); ++i) {
    if (i == exclude) continue;
    const float dx = dots[i].x - x, dy = dots[i].y - y;
    const float d = dx * dx + dy * dy;
    if (d < min) {
      min = d;
      best = i;
    }
  }
  return best;
}

int32_t LinearWithin(const std::vector<TDotInfo>& dots, float x, float y, float tolX, float tolY) {
  int32_t best = -1;
  float min = 1.0e20f;
  for (int32_t i = 0; i < static_cast<int32_t>(dots.size()); ++i) {
    const float dx = dots[i].x - x, dy = dots[i].y - y;
    if (!(std::fabs(dx) <= tolX && std::fabs(dy) <= tolY)) continue;
    const float d = dx * dx + dy * dy;
    if (d < min) {
      min = d;
      best = i;
    }
  }
  return best;
}
