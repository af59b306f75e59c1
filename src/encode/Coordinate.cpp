#include "encode/Coordinate.h"

#include <algorithm>
#include <new>

#include "base/Convert.h"
#include "base/Error.h"

namespace {

const char* const NoMemory = "No enough memory to allocate Coordinate System";

// The entry count of a table, refusing sizes the table may not have.
int64_t CheckedEntries(int32_t maxNx, int32_t maxNy) {
  if (maxNx < 0 || maxNy < 0) throw TError(NoMemory);
  // Each side is bounded first, so the product cannot overflow even in 64 bits.
  const int64_t columns = 2 * int64_t{maxNx} + 1, rows = 2 * int64_t{maxNy} + 1;
  if (columns > TCoordinate::MaxEntries || rows > TCoordinate::MaxEntries ||
      columns * rows > TCoordinate::MaxEntries)
    throw TError(std::string(NoMemory) +
                 Format("\n(MaxNx %d and MaxNy %d ask for more than the cap of %lld grid "
                        "positions; smaller MaxNx and MaxNy, the --max-nx and --max-ny of "
                        "encode, lift it)",
                        maxNx, maxNy, static_cast<long long>(TCoordinate::MaxEntries)));
  return columns * rows;
}

}  // namespace

TCoordinate::TCoordinate(int32_t maxNx, int32_t maxNy) : TCoordinate(maxNx, maxNy, -1) {}

TCoordinate::TCoordinate(int32_t maxNx, int32_t maxNy, int64_t expectedDots)
    : FMaxNx(maxNx), FMaxNy(maxNy) {
  const int64_t entries = CheckedEntries(maxNx, maxNy);
  FSparse = expectedDots >= 0 && entries > std::max(DenseEntries, 4 * expectedDots);
  if (FSparse) return;
  try {
    Table.assign(static_cast<size_t>(entries), -1);
  } catch (const std::bad_alloc&) {
    throw TError(NoMemory);
  }
}

int32_t TCoordinate::GetIndex(int32_t nx, int32_t ny) const {
  if (!Contains(nx, ny)) throw TError(Format("(%d ,%d) not in the range", nx, ny));
  if (!FSparse) return Table[Offset(nx, ny)];
  const auto found = FEntries.find({ny, nx});
  return found == FEntries.end() ? -1 : found->second;
}

void TCoordinate::SetIndex(int32_t nx, int32_t ny, int32_t index) {
  if (!Contains(nx, ny)) throw TError(Format("(%d , %d) not in the range", nx, ny));
  if (FSparse)
    FEntries[{ny, nx}] = index;
  else
    Table[Offset(nx, ny)] = index;
}
