// Compiled for AVX2 without changing the flags of the rest of the program: everything the
// kernels use from other headers is included before the target switch, the kernels have
// internal linkage, and nothing here runs unless the processor has AVX2.
#include "image/MedianImpl.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "image/MedianNetwork.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "image/MedianFixedKernel.h"
#include "image/MedianNetworkKernel.h"

namespace {

struct TAvx2 {
  using TReg = __m256i;
  static constexpr int32_t kLanes = 32;
  static TReg Load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const TReg*>(p));
  }
  static TReg LoadA(const uint8_t* p) {
    return _mm256_load_si256(reinterpret_cast<const TReg*>(p));
  }
  static void Store(uint8_t* p, TReg v) { _mm256_storeu_si256(reinterpret_cast<TReg*>(p), v); }
  static void StoreA(uint8_t* p, TReg v) { _mm256_store_si256(reinterpret_cast<TReg*>(p), v); }
  static TReg Min(TReg a, TReg b) { return _mm256_min_epu8(a, b); }
  static TReg Max(TReg a, TReg b) { return _mm256_max_epu8(a, b); }
};

// Taller blocks for 3 x 3 pay: its rows are sorted afresh for each block.
using TMedian3 = TFixedKernel<TAvx2, 3, 3, 8>;
using TMedian5 = TFixedKernel<TAvx2, 5, 5, 4>;
using TNetwork = TNetworkKernel<TAvx2, 8>;

}  // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace {

const TMedianKernels kKernels = {.Lanes = TAvx2::kLanes,
                                 .Median3Rows = TMedian3::kRows,
                                 .Median3 = TMedian3::Run,
                                 .Median5Rows = TMedian5::kRows,
                                 .Median5 = TMedian5::Run,
                                 .NetworkStrip = TNetwork::kStrip,
                                 .Network = TNetwork::Run};

}  // namespace

const TMedianKernels* MedianKernelsAvx2() {
  return __builtin_cpu_supports("avx2") ? &kKernels : nullptr;
}
#else
const TMedianKernels* MedianKernelsAvx2() {
  return nullptr;
}
#endif
