#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

// The dataflow graph of min and max nodes that computes the medians of Rows vertically
// neighbouring wx x wy windows from their sorted rows. Usable at compile time.
//
// Inputs: node s < (wy + Rows - 1) * wx is rank s % wx of the sorted row s / wx ("segment")
// under the block, top row first. The windows of the block are split in halves recursively:
// the rows shared by all windows of a half are merged once, and every merged list drops the
// ranks that can no longer be the median of any window using it, which is what keeps the graph
// small. Equal nodes are built once.
class TMedianGraph {
 public:
  enum : int32_t { kInput, kMin, kMax };
  struct TNode {
    int32_t Kind, A, B;
  };

  constexpr TMedianGraph(int32_t wx, int32_t wy, int32_t rows) : FWx(wx), FWy(wy) {
    for (int32_t s = 0; s < (wy + rows - 1) * wx; ++s) FNodes.push_back({kInput, s, 0});
    FTable.assign(1024, -1);
    FOutputs.assign(rows, -1);
    int64_t n = static_cast<int64_t>(wx) * wy, k = n / 2;
    std::vector<int32_t> core = Group(rows - 1, wy - 1);
    Prune(core, n, k);
    Split(0, rows, core, n, k);
  }

  constexpr const std::vector<TNode>& Nodes() const { return FNodes; }
  // The median of the window starting t rows below the block's top, for t < Rows.
  constexpr const std::vector<int32_t>& Outputs() const { return FOutputs; }

  // The node of kind applied to a and b, or -1.
  constexpr int32_t Find(int32_t kind, int32_t a, int32_t b) const {
    if (a > b) std::swap(a, b);
    const size_t mask = FTable.size() - 1;
    for (size_t i = Hash(kind, a, b) & mask;; i = (i + 1) & mask) {
      const int32_t id = FTable[i];
      if (id < 0) return -1;
      const TNode& nd = FNodes[id];
      if (nd.Kind == kind && nd.A == a && nd.B == b) return id;
    }
  }

 private:
  struct TGroup {
    int32_t R0, R1;
    std::vector<int32_t> List;
  };

  static constexpr size_t Hash(int32_t kind, int32_t a, int32_t b) {
    uint64_t h = (static_cast<uint64_t>(a) << 32 | static_cast<uint32_t>(b)) * 0x9E3779B97F4A7C15u;
    return static_cast<size_t>((h ^ (h >> 29)) + static_cast<uint64_t>(kind) * 0xBF58476D1CE4E5B9u);
  }

  constexpr void Insert(int32_t id) {
    const TNode& nd = FNodes[id];
    const size_t mask = FTable.size() - 1;
    size_t i = Hash(nd.Kind, nd.A, nd.B) & mask;
    while (FTable[i] >= 0) i = (i + 1) & mask;
    FTable[i] = id;
  }

  constexpr int32_t Make(int32_t kind, int32_t a, int32_t b) {
    if (a == b) return a;
    if (a > b) std::swap(a, b);
    const int32_t found = Find(kind, a, b);
    if (found >= 0) return found;
    const auto id = static_cast<int32_t>(FNodes.size());
    FNodes.push_back({kind, a, b});
    if (FNodes.size() * 2 > FTable.size()) {
      FTable.assign(FTable.size() * 2, -1);
      for (size_t i = 0; i < FNodes.size(); ++i)
        if (FNodes[i].Kind != kInput) Insert(static_cast<int32_t>(i));
    } else {
      Insert(id);
    }
    return id;
  }

  // Batcher's odd-even merge of two sorted lists of any lengths: merge the even and the odd
  // positions separately, then one rank of compare-exchanges orders the interleaving.
  constexpr std::vector<int32_t> Merge(const std::vector<int32_t>& a,
                                       const std::vector<int32_t>& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    if (a.size() == 1 && b.size() == 1) return {Make(kMin, a[0], b[0]), Make(kMax, a[0], b[0])};
    std::vector<int32_t> ae, ao, be, bo;
    for (size_t i = 0; i < a.size(); ++i) (i % 2 ? ao : ae).push_back(a[i]);
    for (size_t i = 0; i < b.size(); ++i) (i % 2 ? bo : be).push_back(b[i]);
    const std::vector<int32_t> v = Merge(ae, be), w = Merge(ao, bo);
    std::vector<int32_t> c;
    c.push_back(v[0]);
    size_t i = 0;
    for (; i < w.size() && i + 1 < v.size(); ++i) {
      c.push_back(Make(kMin, w[i], v[i + 1]));
      c.push_back(Make(kMax, w[i], v[i + 1]));
    }
    if (i + 1 < v.size()) c.push_back(v[i + 1]);
    if (i < w.size()) c.push_back(w[i]);
    return c;
  }

  // Sorted values of segments r0..r1, cut before the row r with the coarsest power of two
  // dividing r + 1 so that overlapping groups decompose into the same pieces. (The rows a half
  // adds start one above a multiple of its size, so r + 1 rather than r.)
  constexpr std::vector<int32_t> Group(int32_t r0, int32_t r1) {
    if (r0 > r1) return {};
    for (const TGroup& g : FGroups)
      if (g.R0 == r0 && g.R1 == r1) return g.List;
    std::vector<int32_t> list;
    if (r0 == r1) {
      for (int32_t q = 0; q < FWx; ++q) list.push_back(r0 * FWx + q);
    } else {
      auto cutBelow = [r1](int32_t p) { return (r1 + 1) / p * p - 1; };
      int32_t p = 1;
      while (cutBelow(2 * p) > r0) p *= 2;
      const int32_t cut = cutBelow(p);  // r0 < cut <= r1
      list = Merge(Group(r0, cut - 1), Group(cut, r1));
    }
    FGroups.push_back({r0, r1, list});
    return list;
  }

  // In what is left of a window (n values, median at rank k), a sorted part of it cannot hold
  // the median at a position with more than k values below it, nor at one with more than
  // n - 1 - k above it. Dropping those keeps the median; the low drops lower its rank.
  static constexpr void Prune(std::vector<int32_t>& list, int64_t& n, int64_t& k) {
    const auto m = static_cast<int64_t>(list.size());
    const int64_t end = std::min(m, k + 1);
    const int64_t begin = std::max<int64_t>(0, m - n + k);
    std::vector<int32_t> kept(list.begin() + begin, list.begin() + end);
    n -= m - (end - begin);
    k -= begin;
    list = std::move(kept);
  }

  // Windows a .. a + s - 1 all contain the rows [a + s - 1, a + wy - 1] (possibly none), whose
  // pruned merge is core; n and k describe what is left of each of those windows.
  constexpr void Split(int32_t a, int32_t s, const std::vector<int32_t>& core, int64_t n,
                       int64_t k) {
    if (s == 1) {
      if (core.size() != 1) throw std::logic_error("median graph: window not reduced");
      FOutputs[a] = core[0];
      return;
    }
    const int32_t h = s / 2;
    const int32_t p0 = a + s - 1, p1 = a + FWy - 1;
    for (int32_t half = 0; half < 2; ++half) {
      const int32_t c0 = a + half * h + h - 1, c1 = a + half * h + FWy - 1;
      int32_t e0 = c0, e1 = c1;  // the rows this half adds to the shared ones
      if (p0 <= p1) {
        if (half == 0)
          e1 = p0 - 1;
        else
          e0 = p1 + 1;
      }
      int64_t cn = n, ck = k;
      std::vector<int32_t> more = Group(e0, e1);
      Prune(more, cn, ck);
      std::vector<int32_t> merged = Merge(core, more);
      Prune(merged, cn, ck);
      Split(a + half * h, h, merged, cn, ck);
    }
  }

  int32_t FWx, FWy;
  std::vector<TNode> FNodes;
  std::vector<int32_t> FTable;  // open addressing over FNodes, -1 = empty
  std::vector<TGroup> FGroups;
  std::vector<int32_t> FOutputs;
};
