#include "encode/Coordinate.h"

#include <new>

#include "base/Convert.h"
#include "base/Error.h"

TCoordinate::TCoordinate(int32_t maxNx, int32_t maxNy) : FMaxNx(maxNx), FMaxNy(maxNy) {
  const char* noMemory = "No enough memory to allocate Coordinate System";
  if (maxNx < 0 || maxNy < 0) throw TError(noMemory);
  // Each side is bounded first, so the product cannot overflow even in 64 bits.
  const int64_t columns = 2 * int64_t{maxNx} + 1, rows = 2 * int64_t{maxNy} + 1;
  if (columns > MaxEntries || rows > MaxEntries || columns * rows > MaxEntries)
    throw TError(noMemory);
  const int64_t entries = columns * rows;
  try {
    Table.assign(static_cast<size_t>(entries), -1);
  } catch (const std::bad_alloc&) {
    throw TError(noMemory);
  }
}

int32_t TCoordinate::GetIndex(int32_t nx, int32_t ny) const {
  if (!Contains(nx, ny)) throw TError(Format("(%d ,%d) not in the range", nx, ny));
  return Table[Offset(nx, ny)];
}

void TCoordinate::SetIndex(int32_t nx, int32_t ny, int32_t index) {
  if (!Contains(nx, ny)) throw TError(Format("(%d , %d) not in the range", nx, ny));
  Table[Offset(nx, ny)] = index;
}
