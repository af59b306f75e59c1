#pragma once

#include <cstdint>
#include <vector>

// The median filter as defined: windows made odd (0 counts as 1, an even size grows by one), the
// value at n div 2 of the sorted window read from a copy, pixels without a full window
// unchanged. The reference every fast way of the filter is checked against.
std::vector<uint8_t> PlainMedian(const std::vector<uint8_t>& src, int w, int h, int wx, int wy);
