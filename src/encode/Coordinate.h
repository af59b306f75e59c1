#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// The table from grid position (Nx, Ny), -MaxNx..MaxNx x -MaxNy..MaxNy, to a dot index, -1
// where the position is empty.
//
// The entry count (2 MaxNx + 1)(2 MaxNy + 1) is computed in 64 bits and may not exceed
// MaxEntries (512 MiB of table): larger tables are refused with "No enough memory to allocate
// Coordinate System" followed by a note that this is a cap and what lowers it; negative sizes
// and a table the memory cannot hold get the bare message.
//
// A table built for a known number of dots keeps only the filled positions when the full table
// would be far larger than those dots need (a code file's header may announce any range), so
// its memory follows the dots; it answers exactly as the full table would.
class TCoordinate {
 public:
  static constexpr int64_t MaxEntries = int64_t{1} << 27;
  // Up to this many entries, or four per expected dot, the table is kept whole.
  static constexpr int64_t DenseEntries = int64_t{1} << 20;

  TCoordinate(int32_t maxNx, int32_t maxNy);
  TCoordinate(int32_t maxNx, int32_t maxNy, int64_t expectedDots);

  int32_t MaxNx() const { return FMaxNx; }
  int32_t MaxNy() const { return FMaxNy; }
  bool Sparse() const { return FSparse; }

  // "(%d ,%d) not in the range" outside the table.
  int32_t GetIndex(int32_t nx, int32_t ny) const;
  // "(%d , %d) not in the range" outside the table.
  void SetIndex(int32_t nx, int32_t ny, int32_t index);
  bool Contains(int32_t nx, int32_t ny) const {
    return nx >= -FMaxNx && nx <= FMaxNx && ny >= -FMaxNy && ny <= FMaxNy;
  }

  // Calls visit(nx, ny, index) for every position holding a dot index (>= 0), row by row
  // (ascending Ny, within one Ny ascending Nx).
  template <class TVisit>
  void ForEachEntry(TVisit visit) const {
    if (FSparse) {
      for (const auto& [position, index] : FEntries)
        if (index >= 0) visit(position.second, position.first, index);
      return;
    }
    for (int32_t ny = -FMaxNy; ny <= FMaxNy; ++ny)
      for (int32_t nx = -FMaxNx; nx <= FMaxNx; ++nx)
        if (const int32_t index = Table[Offset(nx, ny)]; index >= 0) visit(nx, ny, index);
  }

 private:
  size_t Offset(int32_t nx, int32_t ny) const {
    return static_cast<size_t>(ny + FMaxNy) * (2 * static_cast<size_t>(FMaxNx) + 1) +
           static_cast<size_t>(nx + FMaxNx);
  }

  std::vector<int32_t> Table;
  std::map<std::pair<int32_t, int32_t>, int32_t> FEntries;  // (Ny, Nx) -> index when sparse
  int32_t FMaxNx = 0;
  int32_t FMaxNy = 0;
  bool FSparse = false;
};
