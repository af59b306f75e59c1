#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The table from grid position (Nx, Ny), -MaxNx..MaxNx x -MaxNy..MaxNy, to a dot index, -1
// where the position is empty.
//
// The entry count (2 MaxNx + 1)(2 MaxNy + 1) is computed in 64 bits and may not exceed
// MaxEntries (512 MiB of table); negative sizes and larger tables are refused with "No enough
// memory to allocate Coordinate System", as is a table the memory cannot hold.
class TCoordinate {
 public:
  static constexpr int64_t MaxEntries = int64_t{1} << 27;

  TCoordinate(int32_t maxNx, int32_t maxNy);

  int32_t MaxNx() const { return FMaxNx; }
  int32_t MaxNy() const { return FMaxNy; }

  // "(%d ,%d) not in the range" outside the table.
  int32_t GetIndex(int32_t nx, int32_t ny) const;
  // "(%d , %d) not in the range" outside the table.
  void SetIndex(int32_t nx, int32_t ny, int32_t index);
  bool Contains(int32_t nx, int32_t ny) const {
    return nx >= -FMaxNx && nx <= FMaxNx && ny >= -FMaxNy && ny <= FMaxNy;
  }

 private:
  size_t Offset(int32_t nx, int32_t ny) const {
    return static_cast<size_t>(ny + FMaxNy) * (2 * static_cast<size_t>(FMaxNx) + 1) +
           static_cast<size_t>(nx + FMaxNx);
  }

  std::vector<int32_t> Table;
  int32_t FMaxNx = 0;
  int32_t FMaxNy = 0;
};
