#include <cstdint>
#include <cstring>
#include <string>

#include "base/Error.h"
#include "image/Grayimage.h"

namespace {

[[noreturn]] void Broken(const std::string& name, const char* why) {
  throw TError("\"" + name + "\" is not a valid bitmap file (" + why + ")");
}

}  // namespace

// Walks the run-length codes of a bitmap. Every pixel must be described: runs fill each row
// exactly, then an end-of-line follows (after the last row the end code, the end of the file or
// anything else may follow). Jumps and an early end code would leave pixels undefined and are
// refused. With an image, the gray values of the runs (through table) are written into it;
// without, the stream is only checked.
void DecodeBmpRunLength(const uint8_t* bytes, size_t size, const std::string& name, int64_t dataPos,
                        int64_t width, int64_t height, bool fourBits, const uint8_t* table,
                        TGrayImage* image) {
  const uint8_t* in = bytes + dataPos;
  const uint8_t* end = bytes + size;
  const int64_t rows = height < 0 ? -height : height;
  const char* undefined = "run-length data leaves pixels undefined";
  int64_t x = 0, row = 0;
  uint8_t* dst = nullptr;
  auto startRow = [&] {
    if (image != nullptr)
      dst = image->Row(static_cast<int32_t>(height > 0 ? height - 1 - row : row));
  };
  startRow();
  while (row < rows && !(row == rows - 1 && x == width)) {
    if (end - in < 2) Broken(name, "truncated pixel data");
    const uint32_t count = in[0], code = in[1];
    in += 2;
    if (count == 0) {
      if (code == 0) {  // end of line
        if (x != width) Broken(name, undefined);
        ++row, x = 0;
        if (row < rows) startRow();
        continue;
      }
      if (code == 1 || code == 2) Broken(name, undefined);  // end of bitmap, jump
      // A literal run of `code` pixels, its bytes padded to a 16-bit boundary.
      int64_t bytesUsed = fourBits ? (code + 1) / 2 : code;
      bytesUsed += bytesUsed & 1;
      if (end - in < bytesUsed) Broken(name, "truncated pixel data");
      if (x + code > width) Broken(name, "run-length data beyond the end of a row");
      if (dst != nullptr) {
        for (uint32_t i = 0; i < code; ++i)
          dst[x + i] = table[fourBits ? (in[i >> 1] >> (i & 1 ? 0 : 4)) & 15 : in[i]];
      }
      in += bytesUsed;
      x += code;
      continue;
    }
    // An encoded run: `count` pixels of one value (two alternating ones with 4 bits).
    if (x + count > width) Broken(name, "run-length data beyond the end of a row");
    if (dst != nullptr) {
      if (fourBits) {
        const uint8_t hi = table[code >> 4], lo = table[code & 15];
        for (uint32_t i = 0; i < count; ++i) dst[x + i] = i & 1 ? lo : hi;
      } else {
        std::memset(dst + x, table[code], count);
      }
    }
    x += count;
  }
}
