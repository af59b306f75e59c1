#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "image/MedianGraph.h"

// A TMedianGraph laid out as a straight list of compare-exchanges on numbered slots, to be run
// on vectors of neighbouring columns (one lane per column). Usable at compile time.
//
// Slots [0, SegmentRows() * wx) hold the segments: the caller loads the wx pixels of row r under
// the windows into slots r * wx .. r * wx + wx - 1 and sorts them with SortOps(). Ops() then
// leaves the median of the window starting t rows lower in slot Outputs()[t].
class TMedianNetwork {
 public:
  // Lo = min(A, B), Hi = max(A, B), both inputs read before either is written.
  struct TOp {
    uint16_t A, B, Lo, Hi;
  };

  // wx, wy odd; rows a power of two. With ssa, every value gets a slot of its own (for code that
  // a compiler unrolls and keeps in registers); otherwise slots are reused once read for the
  // last time, which keeps the slots of an interpreted program few.
  constexpr TMedianNetwork(int32_t wx, int32_t wy, int32_t rows, bool ssa = false)
      : FWx(wx), FWy(wy), FRows(rows) {
    if (wx < 1 || wy < 1 || wx % 2 == 0 || wy % 2 == 0 || rows < 1 || (rows & (rows - 1)) != 0)
      throw std::invalid_argument("median network: bad window");
    SortingNetwork();
    Lay(TMedianGraph(wx, wy, rows), ssa);
  }

  constexpr int32_t Wx() const { return FWx; }
  constexpr int32_t Wy() const { return FWy; }
  constexpr int32_t Rows() const { return FRows; }
  constexpr int32_t SegmentRows() const { return FWy + FRows - 1; }
  constexpr int32_t Slots() const { return FSlots; }
  // In place on the wx slots of one segment, numbered from 0.
  constexpr const std::vector<TOp>& SortOps() const { return FSortOps; }
  constexpr const std::vector<TOp>& Ops() const { return FOps; }
  constexpr const std::vector<uint16_t>& Outputs() const { return FOutputs; }

 private:
  // Batcher's merge-exchange sort for any n (Knuth, Algorithm 5.2.2 M).
  constexpr void SortingNetwork() {
    const int32_t n = FWx;
    if (n < 2) return;
    int32_t t = 0;
    while ((1 << t) < n) ++t;
    for (int32_t p = 1 << (t - 1); p > 0; p /= 2) {
      int32_t q = 1 << (t - 1), r = 0, d = p;
      for (;;) {
        for (int32_t i = 0; i < n - d; ++i)
          if ((i & p) == r) {
            const auto lo = static_cast<uint16_t>(i), hi = static_cast<uint16_t>(i + d);
            FSortOps.push_back({lo, hi, lo, hi});
          }
        if (q == p) break;
        d = q - p;
        q /= 2;
        r = p;
      }
    }
  }

  constexpr void Lay(const TMedianGraph& graph, bool ssa) {
    using TNode = TMedianGraph::TNode;
    const std::vector<TNode>& nodes = graph.Nodes();
    const std::vector<int32_t>& outputs = graph.Outputs();
    const int32_t inputs = SegmentRows() * FWx;

    // Keep only what the outputs need.
    std::vector<char> live(nodes.size(), 0);
    for (int32_t o : outputs) live[o] = 1;
    for (size_t i = nodes.size(); i-- > 0;)
      if (live[i] && nodes[i].Kind != TMedianGraph::kInput) live[nodes[i].A] = live[nodes[i].B] = 1;

    // A min and a max of the same pair are one exchange; an unused half goes to a scratch slot.
    struct TPair {
      int32_t A, B, Lo, Hi;
    };
    std::vector<TPair> pairs;
    std::vector<char> done(nodes.size(), 0);
    for (size_t i = inputs; i < nodes.size(); ++i) {
      if (!live[i] || done[i]) continue;
      const int32_t mn = graph.Find(TMedianGraph::kMin, nodes[i].A, nodes[i].B);
      const int32_t mx = graph.Find(TMedianGraph::kMax, nodes[i].A, nodes[i].B);
      const int32_t lo = mn >= 0 && live[mn] ? mn : -1, hi = mx >= 0 && live[mx] ? mx : -1;
      if (lo >= 0) done[lo] = 1;
      if (hi >= 0) done[hi] = 1;
      pairs.push_back({nodes[i].A, nodes[i].B, lo, hi});
    }

    const int32_t scratch = inputs;
    std::vector<int32_t> lastUse(nodes.size(), -1);
    for (size_t e = 0; e < pairs.size(); ++e)
      lastUse[pairs[e].A] = lastUse[pairs[e].B] = static_cast<int32_t>(e);
    for (int32_t o : outputs) lastUse[o] = static_cast<int32_t>(pairs.size());
    std::vector<int32_t> slot(nodes.size(), -1);
    for (int32_t i = 0; i < inputs; ++i) slot[i] = i;
    std::vector<int32_t> freeSlots;
    int32_t next = scratch + 1;
    for (size_t e = 0; e < pairs.size(); ++e) {
      const TPair& p = pairs[e];
      if (!ssa)
        for (int32_t in : {p.A, p.B})
          if (in >= inputs && lastUse[in] == static_cast<int32_t>(e)) freeSlots.push_back(slot[in]);
      int32_t lo = scratch, hi = scratch;
      for (int32_t half = 0; half < 2; ++half) {
        const int32_t node = half ? p.Hi : p.Lo;
        if (node < 0) continue;
        int32_t s = next;
        if (freeSlots.empty()) {
          ++next;
        } else {
          s = freeSlots.back();
          freeSlots.pop_back();
        }
        slot[node] = s;
        (half ? hi : lo) = s;
      }
      if (next > 65535) throw std::length_error("median network: window too large");
      FOps.push_back({static_cast<uint16_t>(slot[p.A]), static_cast<uint16_t>(slot[p.B]),
                      static_cast<uint16_t>(lo), static_cast<uint16_t>(hi)});
    }
    for (int32_t o : outputs) FOutputs.push_back(static_cast<uint16_t>(slot[o]));
    FSlots = next;
  }

  int32_t FWx, FWy, FRows;
  int32_t FSlots = 0;
  std::vector<TOp> FSortOps;
  std::vector<TOp> FOps;
  std::vector<uint16_t> FOutputs;
};
