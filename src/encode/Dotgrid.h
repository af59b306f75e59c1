#pragma once

#include <cstdint>
#include <vector>

#include "encode/Dotinfo.h"

// A uniform grid of buckets over the dot positions for the nearest-dot searches of the encoding.
//
// Each search gives exactly the dot that a plain scan over all dots from index 0 upwards gives:
// differences rounded to float, squared and summed in float, the candidate replaced only on a
// strictly smaller distance (so the lowest index wins among equally near dots), a running
// minimum that starts at the given limit. On a regular grid a search looks at O(1) dots.
//
// The index keeps a copy of the positions; rebuild it when the dots change.
class TDotGrid {
 public:
  void Build(const TDotInfo* dots, int32_t count);
  void Clear();
  int32_t Count() const { return FCount; }

  // The dot nearest to (x, y) other than exclude (-1 for none), among those whose squared
  // distance is below limit; -1 if there is none.
  int32_t Nearest(float x, float y, float limit, int32_t exclude) const;
  // The encoding's searches: the dot nearest to (x, y), the running minimum starting at 1.0e10
  // (a dot more than 10^5 pixels away is never found); the dot nearest to dot i at (x, y) other
  // than i, starting at 1.0e20.
  int32_t NearestDot(float x, float y) const { return Nearest(x, y, 1.0e10f, -1); }
  int32_t NearestOther(float x, float y, int32_t i) const { return Nearest(x, y, 1.0e20f, i); }
  // The nearest dot with |dot.x - x| <= tolX and |dot.y - y| <= tolY; the running minimum
  // starts at 1.0e20. -1 if the box holds no dot.
  int32_t NearestWithin(float x, float y, float tolX, float tolY) const;

 private:
  struct TCandidate {
    float Best;
    int32_t Index = -1;
    void Offer(float d, int32_t i) {
      if (d < Best || (d == Best && Index >= 0 && i < Index)) {
        Best = d;
        Index = i;
      }
    }
  };
  void ScanCell(int64_t cx, int64_t cy, float x, float y, int32_t exclude, TCandidate& c) const;
  void ScanCellWithin(int64_t cx, int64_t cy, float x, float y, float tolX, float tolY,
                      TCandidate& c) const;
  double CellOf(double v, double origin) const { return (v - origin) / FCell; }

  int32_t FCount = 0;
  bool FAllInOne = true;  // one bucket: positions not finite or too few dots to bother
  double FMinX = 0, FMinY = 0, FCell = 1;
  int64_t FCellsX = 1, FCellsY = 1;
  std::vector<int32_t> FStart;  // bucket k holds entries FStart[k] .. FStart[k + 1] - 1
  std::vector<int32_t> FIndex;  // dot indices, ascending within a bucket
  std::vector<float> FX, FY;    // their positions
};
