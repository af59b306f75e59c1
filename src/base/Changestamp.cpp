#include "base/Changestamp.h"

#include <atomic>

uint64_t TChangeStamp::FreshEpoch() {
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}
