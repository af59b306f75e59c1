#pragma once

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

// Runs work(begin, end) over 0 .. count in as many contiguous ranges as threads, the first on
// this thread. Where the system refuses another thread, this one does the rest.
template <typename TWork>
void ForRanges(int32_t count, int32_t threads, const TWork& work) {
  const int32_t chunk = (count + std::max(threads, 1) - 1) / std::max(threads, 1);
  std::vector<std::thread> workers;
  int32_t begin = chunk;
  try {
    for (; begin < count; begin += chunk)
      workers.emplace_back(
          [&work, begin, end = std::min(count, begin + chunk)] { work(begin, end); });
  } catch (const std::system_error&) {
    work(begin, count);
  }
  work(0, std::min(count, chunk));
  for (std::thread& worker : workers) worker.join();
}
