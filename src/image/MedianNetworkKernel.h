#pragma once

// The interpreted networks (see TNetworkKernel), included by one source file per instruction set
// after it has defined its vector type V (see MedianFixedKernel.h). Internal linkage, so each
// instruction set keeps its own copy. The block call is the one of MedianImpl.h.

#include <algorithm>
#include <cstdint>

#include "image/MedianNetwork.h"

namespace {

// Any network, interpreted: the slots live in memory (regs, Slots() strips of kStrip bytes,
// aligned to the vector size), K vectors side by side per slot.
template <class V, int K>
struct TNetworkKernel {
  static constexpr int32_t kStrip = V::kLanes * K;

  static void Exchange(uint8_t* regs, const TMedianNetwork::TOp* op,
                       const TMedianNetwork::TOp* end) {
    for (; op != end; ++op) {
      const uint8_t* a = regs + op->A * kStrip;
      const uint8_t* b = regs + op->B * kStrip;
      uint8_t* lo = regs + op->Lo * kStrip;
      uint8_t* hi = regs + op->Hi * kStrip;
      typename V::TReg x[K], y[K];
      for (int k = 0; k < K; ++k) {
        x[k] = V::LoadA(a + k * V::kLanes);
        y[k] = V::LoadA(b + k * V::kLanes);
      }
      for (int k = 0; k < K; ++k) {
        V::StoreA(lo + k * V::kLanes, V::Min(x[k], y[k]));
        V::StoreA(hi + k * V::kLanes, V::Max(x[k], y[k]));
      }
    }
  }

  // Needs outW >= kStrip.
  static void Run(const TMedianNetwork& net, uint8_t* regs, const uint8_t* const* in,
                  uint8_t* const* out, int32_t outW) {
    const int32_t wx = net.Wx();
    const auto& sort = net.SortOps();
    const auto& ops = net.Ops();
    for (int32_t sx = 0;; sx += kStrip) {
      const int32_t x = std::min(sx, outW - kStrip);
      for (int32_t r = 0; r < net.SegmentRows(); ++r) {
        uint8_t* seg = regs + r * wx * kStrip;
        for (int32_t q = 0; q < wx; ++q)
          for (int k = 0; k < K; ++k)
            V::StoreA(seg + q * kStrip + k * V::kLanes, V::Load(in[r] + x + q + k * V::kLanes));
        Exchange(seg, sort.data(), sort.data() + sort.size());
      }
      Exchange(regs, ops.data(), ops.data() + ops.size());
      for (int32_t t = 0; t < net.Rows(); ++t)
        for (int k = 0; k < K; ++k)
          V::Store(out[t] + x + k * V::kLanes,
                   V::LoadA(regs + net.Outputs()[t] * kStrip + k * V::kLanes));
      if (sx + kStrip >= outW) break;
    }
  }
};

}  // namespace
