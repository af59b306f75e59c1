#pragma once

#include <cstdint>

class TEncode;

// How a least area would treat the blobs of a prepared picture that look like dots: those of at
// least the robust least area (RobustLeastArea, a third of the area-weighted median), which
// specks do not reach.
struct TLeastAreaCheck {
  int32_t DotLike = 0;     // blobs that look like dots
  int32_t Removed = 0;     // of them, smaller than the least area
  int32_t MedianArea = 0;  // the median area of the dot-like blobs
  int32_t Largest = 0;     // the largest blob, 0 without blobs
  int32_t Robust = 0;      // the robust least area, 0 without blobs
  // More than a quarter of the dots would be lost.
  bool RemovesTooMany() const { return DotLike > 0 && 4 * int64_t{Removed} > DotLike; }
};

// leastArea as the run takes it (a negative one counts as 10). Call after PrepareImage.
TLeastAreaCheck CheckLeastArea(TEncode& job, int32_t leastArea);
