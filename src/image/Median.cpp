#include "image/Median.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "image/MedianImpl.h"
#include "image/MedianNetwork.h"

namespace {

// The widest vectors the processor has; AVX-512 only pays off for the larger networks.
const TMedianKernels* FixedKernels() {
  static const TMedianKernels* kernels =
      MedianKernelsAvx2() ? MedianKernelsAvx2() : MedianKernelsSse2();
  return kernels;
}

const TMedianKernels* NetworkKernels() {
  static const TMedianKernels* kernels = MedianKernelsAvx512() ? MedianKernelsAvx512()
                                         : MedianKernelsAvx2() ? MedianKernelsAvx2()
                                                               : MedianKernelsSse2();
  return kernels;
}

// Networks are tried up to this window area; beyond it they cost more than the histogram.
constexpr int64_t kNetworkMaxArea = 41 * 41;

int32_t PowerOfTwoAtMost(int32_t n) {
  int32_t p = 1;
  while (p * 2 <= n) p *= 2;
  return p;
}

// Rough cost per output pixel of each way, in nanoseconds as measured on a 2 GHz processor:
// a network op costs about 1.2 ns per vector register of columns; the histogram about 4.5 ns
// per window row, more on flat pictures, whose repeated values make its counter updates wait on
// each other.
double NetworkCost(const TMedianNetwork& net, int32_t lanes) {
  const double ops =
      static_cast<double>(net.Ops().size()) +
      static_cast<double>(net.SegmentRows()) * static_cast<double>(net.SortOps().size());
  return ops / net.Rows() * 1.2 / lanes;
}

double HistogramCost(int32_t wy) {
  return 4.5 * wy + 5.0;
}

// How one block of rows is filtered (the block call of MedianImpl.h): the square 3 x 3 and
// 5 x 5 networks compiled in, any other network interpreted, or the sliding histogram,
// whichever is available and cheapest.
class TBlockFilter {
 public:
  TBlockFilter(const TMedianKernels* fixed, const TMedianKernels* k, int32_t wx, int32_t wy,
               int32_t outH) {
    if (fixed && fixed->Median3 && wx == 3 && wy == 3 && outH >= fixed->Median3Rows) {
      Set(fixed->Median3Rows, fixed->Lanes, fixed->Median3);
      return;
    }
    if (fixed && fixed->Median5 && wx == 5 && wy == 5 && outH >= fixed->Median5Rows) {
      Set(fixed->Median5Rows, fixed->Lanes, fixed->Median5);
      return;
    }
    if (k && static_cast<int64_t>(wx) * wy <= kNetworkMaxArea) {
      try {
        // Taller blocks share more work; 16 rows is where the gain levels off.
        FNetwork = std::make_unique<TMedianNetwork>(wx, wy, std::min(PowerOfTwoAtMost(outH), 16));
      } catch (const std::length_error&) {  // more slots than an op can name
      }
    }
    if (FNetwork && NetworkCost(*FNetwork, k->Lanes) < HistogramCost(wy)) {
      FRegs.resize(static_cast<size_t>(FNetwork->Slots()) * k->NetworkStrip + 64);
      uint8_t* regs = FRegs.data() + (64 - reinterpret_cast<uintptr_t>(FRegs.data()) % 64) % 64;
      const TMedianNetwork* net = FNetwork.get();
      Set(net->Rows(), k->NetworkStrip,
          [k, net, regs](const uint8_t* const* in, uint8_t* const* out, int32_t outW) {
            k->Network(*net, regs, in, out, outW);
          });
      return;
    }
    FNetwork.reset();
    Set(1, 1, [wx, wy](const uint8_t* const* in, uint8_t* const* out, int32_t outW) {
      MedianHistogramRow(in, out[0], outW, wx, wy);
    });
  }

  // Output rows per call, and the fewest output columns a call handles.
  int32_t Rows() const { return FRows; }
  int32_t MinWidth() const { return FMinWidth; }
  void Run(const uint8_t* const* in, uint8_t* const* out, int32_t outW) const {
    FRun(in, out, outW);
  }

 private:
  void Set(int32_t rows, int32_t minWidth,
           std::function<void(const uint8_t* const*, uint8_t* const*, int32_t)> run) {
    FRows = rows;
    FMinWidth = minWidth;
    FRun = std::move(run);
  }

  int32_t FRows = 1, FMinWidth = 1;
  std::function<void(const uint8_t* const*, uint8_t* const*, int32_t)> FRun;
  std::unique_ptr<TMedianNetwork> FNetwork;
  std::vector<uint8_t> FRegs;
};

}  // namespace

void MedianFilterPlane(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t wx,
                       int32_t wy) {
  MedianFilterPlaneWith(FixedKernels(), NetworkKernels(), src, dst, width, height, wx, wy);
}

void MedianFilterPlaneWith(const TMedianKernels* fixed, const TMedianKernels* network,
                           const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                           int32_t wx, int32_t wy) {
  if (wx % 2 == 0 || wy % 2 == 0) throw std::invalid_argument("median filter: even window");
  if (wx < 1 || wy < 1 || wx > width || wy > height) return;
  if (wx == 1 && wy == 1) {
    if (src != dst) std::memcpy(dst, src, static_cast<size_t>(width) * height);
    return;
  }
  const int32_t outW = width - wx + 1, outH = height - wy + 1;
  const TBlockFilter filter(fixed, network, wx, wy, outH);
  const int32_t rows = filter.Rows(), segRows = rows + wy - 1;

  // In place, every source row is copied into a ring before its first use, so that windows
  // read original values only. A picture narrower than one call gets zero-padded rows in the
  // ring and its results through a buffer of its own; padded results are not copied back.
  const bool narrow = outW < filter.MinWidth();
  const bool ring = src == dst || narrow;
  const int32_t callW = narrow ? filter.MinWidth() : outW;
  const int32_t rowBytes = narrow ? callW + wx - 1 : width;
  std::vector<uint8_t> ringRows(ring ? static_cast<size_t>(segRows) * rowBytes : 0, 0);
  std::vector<uint8_t> results(narrow ? static_cast<size_t>(rows) * callW : 0);
  std::vector<const uint8_t*> in(segRows);
  std::vector<uint8_t*> out(rows);
  const int32_t hx = wx / 2, hy = wy / 2;
  int32_t loaded = 0;  // in the ring: rows below this one
  for (int32_t top = 0;; top += rows) {
    // The last block moves up to end at the last row; its repeated rows come out the same.
    const int32_t y0 = std::min(top, outH - rows);
    for (int32_t r = 0; r < segRows; ++r) {
      const uint8_t* row = src + static_cast<size_t>(y0 + r) * width;
      if (!ring) {
        in[r] = row;
        continue;
      }
      uint8_t* slot = &ringRows[static_cast<size_t>((y0 + r) % segRows) * rowBytes];
      if (y0 + r >= loaded) std::memcpy(slot, row, width);
      in[r] = slot;
    }
    loaded = y0 + segRows;
    for (int32_t t = 0; t < rows; ++t)
      out[t] = narrow ? &results[static_cast<size_t>(t) * callW]
                      : dst + static_cast<size_t>(y0 + hy + t) * width + hx;
    filter.Run(in.data(), out.data(), callW);
    if (narrow)
      for (int32_t t = 0; t < rows; ++t)
        std::memcpy(dst + static_cast<size_t>(y0 + hy + t) * width + hx, out[t], outW);
    if (top + rows >= outH) break;
  }
}
