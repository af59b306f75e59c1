#include <cstdint>
#include <string>

#include "base/Error.h"

namespace {

[[noreturn]] void Truncated(const std::string& name, const char* why) {
  throw TError("\"" + name + "\" is not a valid TIFF file (" + why + ")");
}

}  // namespace

// The TIFF library reads a file whose last directory, values or strip are cut off and reports
// success, so a picture still being written would load with rows missing. The first directory,
// the values of its entries and every strip or tile it lists must lie in the file.
void CheckTiffLayout(const uint8_t* b, size_t size, const std::string& name) {
  const bool little = b[0] == 'I';
  const auto get = [&](uint64_t at, int bytes) -> uint64_t {
    if (at + static_cast<uint64_t>(bytes) > size) Truncated(name, "truncated directory");
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= uint64_t{b[at + static_cast<uint64_t>(little ? i : bytes - 1 - i)]} << (8 * i);
    return v;
  };
  if (size < 8) Truncated(name, "truncated header");
  const uint64_t directory = get(4, 4);
  const uint64_t entries = get(directory, 2);
  get(directory + 2 + 12 * entries, 4);  // the offset of the next directory ends the directory
  uint64_t offsets = 0, counts = 0, count = 0, offsetType = 0, countType = 0;
  for (uint64_t e = 0; e < entries; ++e) {
    const uint64_t at = directory + 2 + 12 * e;
    const uint64_t tag = get(at, 2), type = get(at + 2, 2), n = get(at + 4, 4);
    static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
    const uint64_t bytes = n * static_cast<uint64_t>(type < 19 ? sizes[type] : 0);
    if (bytes > 4 && get(at + 8, 4) + bytes > size) Truncated(name, "truncated directory");
    if (tag == 273 || tag == 324) offsets = at + 8, count = n, offsetType = type;
    if (tag == 279 || tag == 325) counts = at + 8, countType = type;
  }
  if (offsets == 0 || counts == 0 || count == 0) return;  // the library judges such files
  const int offsetBytes = offsetType == 3 ? 2 : 4, countBytes = countType == 3 ? 2 : 4;
  // Up to 4 bytes of values sit in the entry itself, more elsewhere.
  const uint64_t offsetList = count * offsetBytes > 4 ? get(offsets, 4) : offsets;
  const uint64_t countList = count * countBytes > 4 ? get(counts, 4) : counts;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t start = get(offsetList + i * offsetBytes, offsetBytes);
    const uint64_t length = get(countList + i * countBytes, countBytes);
    if (start + length > size) Truncated(name, "truncated image data");
  }
}
