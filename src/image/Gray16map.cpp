// A 16-bit picture made 8-bit gray by the chosen rule, in two passes: the histogram (which also
// gives the data's depth), then a table lookup per pixel.
#include <algorithm>
#include <bit>
#include <vector>

#include "base/Convert.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"

void CountRow(const uint16_t* row, int32_t width, uint32_t* counts) {
  for (int32_t x = 0; x < width; ++x) ++counts[row[x]];
}

std::string MapGray16(const TGray16Image& deep, TBits16 rule, TGrayImage& image,
                      const uint32_t* given) {
  const int32_t width = deep.Width(), height = deep.Height();
  std::vector<uint32_t> own;  // a picture has fewer than 2^32 pixels
  const uint32_t* counts = given;
  if (!counts) {
    own.assign(65536, 0);
    for (int32_t y = 0; y < height; ++y) CountRow(deep.Row(y), width, own.data());
    counts = own.data();
  }
  // The values of ranks floor(0.001 (n - 1)) and ceil(0.999 (n - 1)) of the sorted pixels.
  const int64_t n = int64_t{width} * height;
  const int64_t lowRank = (n - 1) / 1000, highRank = (999 * (n - 1) + 999) / 1000;
  int64_t seen = 0;
  uint32_t lo = 0, hi = 0, largest = 0;
  bool lowFound = false, by257 = true, by256 = true;
  for (uint32_t v = 0; v < 65536; ++v) {
    if (counts[v] == 0) continue;
    largest = v;
    by257 = by257 && v % 257 == 0;
    by256 = by256 && v % 256 == 0;
    if (!lowFound && seen + counts[v] > lowRank) lo = v, lowFound = true;
    if (seen <= highRank && seen + counts[v] > highRank) hi = v;
    seen += counts[v];
  }
  const int32_t depth = DataDepth(largest, deep.FullScale());
  std::string how = depth < static_cast<int32_t>(std::bit_width(deep.FullScale())) && depth > 8
                        ? IntToStr(depth) + "-bit data, "
                        : std::string();
  std::vector<uint8_t> map(65536);
  if (deep.FullScale() == 65535 && (by257 || by256) && n > 0) {
    // Nothing to stretch: the 8-bit picture comes back exactly.
    for (uint32_t v = 0; v < 65536; ++v) map[v] = static_cast<uint8_t>(v >> 8);
    how = "8-bit values widened to 16 bits, taken back exactly";
  } else if (rule == TBits16::Percentile && hi > lo) {
    for (uint32_t v = 0; v < 65536; ++v) {
      const uint32_t c = std::clamp(v, lo, hi) - lo;
      map[v] = static_cast<uint8_t>((2 * 255 * c + (hi - lo)) / (2 * (hi - lo)));
    }
    how +=
        "percentiles 0.1 % and 99.9 % (" + IntToStr(lo) + " and " + IntToStr(hi) + ") to 0 and 255";
  } else {
    // The top 8 bits of the data.
    const int32_t shift = depth - 8;
    for (uint32_t v = 0; v < 65536; ++v)
      map[v] = static_cast<uint8_t>(std::min<uint32_t>(v >> shift, 255));
    how += shift == 0 ? std::string("values kept as they are")
                      : "shifted right by " + IntToStr(shift) + " bits";
    if (rule == TBits16::Percentile) how += " (one value only, " + IntToStr(lo) + ")";
  }
  image.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    const uint16_t* src = deep.Row(y);
    uint8_t* dst = image.Row(y);
    for (int32_t x = 0; x < width; ++x) dst[x] = map[src[x]];
  }
  return how;
}
