#pragma once

#include <cstdint>

class TMedianNetwork;

// Block filters behind MedianFilterPlane, all giving the same result. A block call gets in[r],
// the source rows under the block (in[r][x] is the top-left pixel of segment row r of the
// window starting at column x), and writes the median of the window starting at column x and
// t rows below the block's top to out[t][x], for x in [0, outW).

// One row with a sliding histogram: any window, any outW >= 1.
void MedianHistogramRow(const uint8_t* const* in, uint8_t* out, int32_t outW, int32_t wx,
                        int32_t wy);

// The vector filters of one instruction set.
struct TMedianKernels {
  // Columns per vector register.
  int32_t Lanes;
  // Square 3 x 3 and 5 x 5 windows, Median3Rows / Median5Rows output rows per call; outW must be
  // at least Lanes.
  int32_t Median3Rows;
  void (*Median3)(const uint8_t* const* in, uint8_t* const* out, int32_t outW);
  int32_t Median5Rows;
  void (*Median5)(const uint8_t* const* in, uint8_t* const* out, int32_t outW);
  // Any network, net.Rows() output rows per call; outW must be at least NetworkStrip. regs holds
  // net.Slots() * NetworkStrip bytes aligned to 64.
  int32_t NetworkStrip;
  void (*Network)(const TMedianNetwork& net, uint8_t* regs, const uint8_t* const* in,
                  uint8_t* const* out, int32_t outW);
};

// Null where the processor or the build lacks the instruction set. The AVX-512 set has no
// Median3 and Median5 (null): they are no faster than with AVX2.
const TMedianKernels* MedianKernelsSse2();
const TMedianKernels* MedianKernelsAvx2();
const TMedianKernels* MedianKernelsAvx512();

// MedianFilterPlane with the given square 3 x 3 / 5 x 5 filters and network filters, either of
// which may be null (then the next way down is taken, the sliding histogram last).
void MedianFilterPlaneWith(const TMedianKernels* fixed, const TMedianKernels* network,
                           const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                           int32_t wx, int32_t wy);
