// Compiled for AVX-512 (byte operations) without changing the flags of the rest of the program:
// everything the kernels use from other headers is included before the target switch, the kernels
// have internal linkage, and nothing here runs unless the processor has them.
#include "image/MedianImpl.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "image/MedianNetwork.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512bw"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512bw")
#endif

#include "image/MedianFixedKernel.h"
#include "image/MedianNetworkKernel.h"

namespace {

struct TAvx512 {
  using TReg = __m512i;
  static constexpr int32_t kLanes = 64;
  static TReg Load(const uint8_t* p) {
    return _mm512_loadu_si512(reinterpret_cast<const TReg*>(p));
  }
  static TReg LoadA(const uint8_t* p) {
    return _mm512_load_si512(reinterpret_cast<const TReg*>(p));
  }
  static void Store(uint8_t* p, TReg v) { _mm512_storeu_si512(reinterpret_cast<TReg*>(p), v); }
  static void StoreA(uint8_t* p, TReg v) { _mm512_store_si512(reinterpret_cast<TReg*>(p), v); }
  static TReg Min(TReg a, TReg b) { return _mm512_min_epu8(a, b); }
  static TReg Max(TReg a, TReg b) { return _mm512_max_epu8(a, b); }
};

using TNetwork = TNetworkKernel<TAvx512, 4>;

}  // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace {

const TMedianKernels kKernels = {.Lanes = TAvx512::kLanes,
                                 .Median3Rows = 0,
                                 .Median3 = nullptr,
                                 .Median5Rows = 0,
                                 .Median5 = nullptr,
                                 .NetworkStrip = TNetwork::kStrip,
                                 .Network = TNetwork::Run};

}  // namespace

const TMedianKernels* MedianKernelsAvx512() {
  return __builtin_cpu_supports("avx512bw") ? &kKernels : nullptr;
}
#else
const TMedianKernels* MedianKernelsAvx512() {
  return nullptr;
}
#endif
