#pragma once

// The compiled-in networks (see TFixedKernel), included by one source file per instruction set
// after it has defined its vector type V:
//   V::TReg, V::kLanes, V::Load / V::Store (unaligned), V::LoadA / V::StoreA (aligned),
//   V::Min, V::Max (unsigned bytes).
// Everything here has internal linkage, so each instruction set keeps its own copy. The block
// call is the one of MedianImpl.h.

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "image/MedianNetwork.h"

namespace {

// A network known at compile time, every value in a slot of its own: unrolled completely, the
// compiler keeps the values in registers. Rows output rows per call; outW >= V::kLanes.
template <class V, int32_t Wx, int32_t Wy, int32_t Rows>
struct TFixedKernel {
  using TOp = TMedianNetwork::TOp;
  using TReg = typename V::TReg;
  static constexpr TMedianNetwork Make() { return TMedianNetwork(Wx, Wy, Rows, true); }
  static constexpr int32_t kWx = Wx, kWy = Wy, kRows = Rows, kSegmentRows = Wy + Rows - 1;
  static constexpr int32_t kSlots = Make().Slots();
  static constexpr size_t kSortCount = Make().SortOps().size(), kOpCount = Make().Ops().size();
  template <class T, size_t N, class F>
  static constexpr std::array<T, N> ToArray(F part) {
    std::array<T, N> a{};
    const TMedianNetwork net = Make();
    std::copy(part(net).begin(), part(net).end(), a.begin());
    return a;
  }
  static constexpr auto kSort =
      ToArray<TOp, kSortCount>([](const TMedianNetwork& n) -> const auto& { return n.SortOps(); });
  static constexpr auto kOps =
      ToArray<TOp, kOpCount>([](const TMedianNetwork& n) -> const auto& { return n.Ops(); });
  static constexpr auto kOutputs =
      ToArray<uint16_t, Rows>([](const TMedianNetwork& n) -> const auto& { return n.Outputs(); });

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
          for (int32_t q = 0; q < kWx; ++q) s[R * kWx + q] = V::Load(in[R] + x + q);
          Exchange<kSort>(s + R * kWx, std::make_index_sequence<kSortCount>());
        }(),
        ...);
  }

  static void Run(const uint8_t* const* in, uint8_t* const* out, int32_t outW) {
    for (int32_t sx = 0;; sx += V::kLanes) {
      const int32_t x = std::min(sx, outW - V::kLanes);
      TReg s[kSlots];
      LoadSegments(s, in, x, std::make_index_sequence<kSegmentRows>());
      Exchange<kOps>(s, std::make_index_sequence<kOpCount>());
      for (int32_t t = 0; t < kRows; ++t) V::Store(out[t] + x, s[kOutputs[t]]);
      if (sx + V::kLanes >= outW) break;
    }
  }
};

}  // namespace
