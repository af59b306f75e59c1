#include "base/Bmp.h"

#include <vector>

#include "base/AtomicFile.h"
#include "base/Error.h"

namespace {

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

bool BitmapFits(int64_t width, int64_t height) {
  if (width < 0 || height < 0) return true;
  if (width > 0xFFFFFFFFll || height > 0xFFFFFFFFll) return false;
  const uint64_t rowLength = 4 * ((3 * static_cast<uint64_t>(width) + 3) / 4);
  return rowLength == 0 || static_cast<uint64_t>(height) <= (0xFFFFFFFFull - 54) / rowLength;
}

std::string BitmapTooLargeText(const std::string& fileName) {
  return "Cannot save \"" + fileName + "\": the picture is too large for a bitmap file";
}

void WriteBmp24(const std::string& fileName, int32_t width, int32_t height,
                const std::function<void(int32_t y, uint8_t* bgr)>& fillRow) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const uint64_t rowLength = 4 * ((3 * static_cast<uint64_t>(width) + 3) / 4);
  const uint64_t imageSize = rowLength * static_cast<uint64_t>(height);
  if (!BitmapFits(width, height)) throw TError(BitmapTooLargeText(fileName));

  TAtomicFile file(fileName);
  file.OpenOrRaise();

  uint8_t header[54] = {};
  header[0] = 'B';
  header[1] = 'M';
  Put32(header + 2, static_cast<uint32_t>(54 + imageSize));
  Put32(header + 10, 54);
  Put32(header + 14, 40);
  Put32(header + 18, static_cast<uint32_t>(width));
  Put32(header + 22, static_cast<uint32_t>(height));
  Put16(header + 26, 1);
  Put16(header + 28, 24);
  Put32(header + 30, 0);
  Put32(header + 34, static_cast<uint32_t>(imageSize));
  file.Write(header, sizeof header);

  std::vector<uint8_t> row(rowLength, 0);
  for (int32_t y = height - 1; y >= 0; --y) {
    fillRow(y, row.data());
    file.Write(row.data(), row.size());
  }
  file.Commit();
}
