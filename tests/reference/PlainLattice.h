#pragma once

#include <cstdint>
#include <vector>

#include "segment/Segment.h"

// The lattice of window centres and the per-pixel threshold written straight from the
// definition, independent of TSegment's code: the reference the job is checked against.
struct TPlainLattice {
  int32_t W = 0, H = 0, Sx = 0, Sy = 0, N = 0, M = 0;
  int32_t FirstX = 0, LastX = 0, FirstY = 0, LastY = 0;
  std::vector<int32_t> T;  // window (i, j) at j * N + i

  TPlainLattice(int32_t width, int32_t height, int32_t sizeX, int32_t sizeY);
  int32_t At(int32_t i, int32_t j) const { return T[static_cast<size_t>(j) * N + i]; }
  // The cell of pixel (x, y) by the region table.
  TCell Locate(int32_t x, int32_t y) const;
  int32_t Threshold(int32_t x, int32_t y) const;
};

// Bilinear interpolation as defined: single-precision edge quotients, the blend in extended
// precision, truncated toward zero.
int32_t PlainInterpolate(int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t tl, int32_t tr,
                         int32_t bl, int32_t br);

// The blend in plain double precision, the way a naive fast path would compute it; it is one off
// on some exactly integral thresholds.
int32_t NaiveDoubleBlend(int32_t dy, int32_t h, float top, float bottom);

// The inclusive rectangle of original segmented pixel by pixel with the job's own cell search
// and interpolation: the plain counterpart of the row kernel. The job's threshold table must
// have been built from original (a run builds it before it changes a pixel).
std::vector<uint8_t> SegmentByDefinition(const TSegment& job, const std::vector<uint8_t>& original,
                                         int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// One threshold for the inclusive rectangle, pixel by pixel; a pixel equal to it keeps its value.
std::vector<uint8_t> SimpleSegmentByDefinition(const std::vector<uint8_t>& original, int32_t width,
                                               bool whiteDots, int32_t threshold, int32_t x1,
                                               int32_t y1, int32_t x2, int32_t y2);
