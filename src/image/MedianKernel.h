#pragma once

// The vector loops that run median networks over one block of rows. Included by one source
// file per instruction set after it has defined its vector type V:
//   V::TReg, V::kLanes, V::Load / V::Store (unaligned), V::LoadA / V::StoreA (aligned),
//   V::Min, V::Max (unsigned bytes).
// Everything here has internal linkage, so each instruction set keeps its own copy.
//
// A block call gets in[r], the source rows under the block (segment row r starts at in[r][x]
// for the windows starting at column x), and out[t], where the median of the window starting
// at column x and t rows below the block's top goes to out[t][x], for x in [0, outW).

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "image/MedianNetwork.h"

namespace {

// A network known at compile time, every value in a slot of its own: unrolled completely, the
// compiler keeps the values in registers.
template <int32_t Wx, int32_t Wy, int32_t Rows>
struct TFixedNetwork {
  using TOp = TMedianNetwork::TOp;
  static constexpr TMedianNetwork Make() { return TMedianNetwork(Wx, Wy, Rows, true); }
  static constexpr int32_t kWx = Wx, kWy = Wy, kRows = Rows, kSegmentRows = Wy + Rows - 1;
  static constexpr int32_t kSlots = Make().Slots();
  static constexpr size_t kSortCount = Make().SortOps().size(), kOpCount = Make().Ops().size();
  static constexpr std::array<TOp, kSortCount> kSort = [] {
    std::array<TOp, kSortCount> a{};
    const TMedianNetwork net = Make();
    std::copy(net.SortOps().begin(), net.SortOps().end(), a.begin());
    return a;
  }();
  static constexpr std::array<TOp, kOpCount> kOps = [] {
    std::array<TOp, kOpCount> a{};
    const TMedianNetwork net = Make();
    std::copy(net.Ops().begin(), net.Ops().end(), a.begin());
    return a;
  }();
  static constexpr std::array<uint16_t, Rows> kOutputs = [] {
    std::array<uint16_t, Rows> a{};
    const TMedianNetwork net = Make();
    std::copy(net.Outputs().begin(), net.Outputs().end(), a.begin());
    return a;
  }();
};

template <class V, class P>
struct TFixedKernel {
  using TReg = typename V::TReg;

  template <auto& Ops, size_t... I>
  static void Exchange(TReg* s, std::index_sequence<I...>) {
    (
        [s] {
          constexpr TMedianNetwork::TOp op = Ops[I];
          const TReg a = s[op.A], b = s[op.B];
          s[op.Lo] = V::Min(a, b);
          s[op.Hi] = V::Max(a, b);
        }(),
        ...);
  }

  template <size_t... R>
  static void LoadSegments(TReg* s, const uint8_t* const* in, int32_t x,
                           std::index_sequence<R...>) {
    (
        [s, in, x] {
          for (int32_t q = 0; q < P::kWx; ++q) s[R * P::kWx + q] = V::Load(in[R] + x + q);
          Exchange<P::kSort>(s + R * P::kWx, std::make_index_sequence<P::kSortCount>());
        }(),
        ...);
  }

  // Needs outW >= V::kLanes.
  static void Run(const uint8_t* const* in, uint8_t* const* out, int32_t outW) {
    for (int32_t sx = 0;; sx += V::kLanes) {
      const int32_t x = std::min(sx, outW - V::kLanes);
      TReg s[P::kSlots];
      LoadSegments(s, in, x, std::make_index_sequence<P::kSegmentRows>());
      Exchange<P::kOps>(s, std::make_index_sequence<P::kOpCount>());
      for (int32_t t = 0; t < P::kRows; ++t) V::Store(out[t] + x, s[P::kOutputs[t]]);
      if (sx + V::kLanes >= outW) break;
    }
  }
};

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
