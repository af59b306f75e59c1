#include "image/MedianImpl.h"

#if defined(__x86_64__)
#include <emmintrin.h>

#include "image/MedianFixedKernel.h"
#include "image/MedianNetworkKernel.h"

namespace {

// SSE2 is part of every x86-64 processor.
struct TSse2 {
  using TReg = __m128i;
  static constexpr int32_t kLanes = 16;
  static TReg Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const TReg*>(p)); }
  static TReg LoadA(const uint8_t* p) { return _mm_load_si128(reinterpret_cast<const TReg*>(p)); }
  static void Store(uint8_t* p, TReg v) { _mm_storeu_si128(reinterpret_cast<TReg*>(p), v); }
  static void StoreA(uint8_t* p, TReg v) { _mm_store_si128(reinterpret_cast<TReg*>(p), v); }
  static TReg Min(TReg a, TReg b) { return _mm_min_epu8(a, b); }
  static TReg Max(TReg a, TReg b) { return _mm_max_epu8(a, b); }
};

// Taller blocks for 3 x 3 pay: its rows are sorted afresh for each block.
using TMedian3 = TFixedKernel<TSse2, 3, 3, 8>;
using TMedian5 = TFixedKernel<TSse2, 5, 5, 4>;
using TNetwork = TNetworkKernel<TSse2, 4>;

const TMedianKernels kKernels = {.Lanes = TSse2::kLanes,
                                 .Median3Rows = TMedian3::kRows,
                                 .Median3 = TMedian3::Run,
                                 .Median5Rows = TMedian5::kRows,
                                 .Median5 = TMedian5::Run,
                                 .NetworkStrip = TNetwork::kStrip,
                                 .Network = TNetwork::Run};

}  // namespace

const TMedianKernels* MedianKernelsSse2() {
  return &kKernels;
}
#else
const TMedianKernels* MedianKernelsSse2() {
  return nullptr;
}
#endif
