#include "support/BmpBytes.h"

void PutLE(std::string& bytes, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

std::string BitmapBytes(int32_t width, int32_t height, int bits, int compression,
                        int paletteEntries, const std::string& data) {
  const size_t offset = 54 + 4 * static_cast<size_t>(paletteEntries);
  std::string s(offset, '\0');
  s[0] = 'B';
  s[1] = 'M';
  PutLE(s, 2, static_cast<uint32_t>(offset + data.size()), 4);
  PutLE(s, 10, static_cast<uint32_t>(offset), 4);
  PutLE(s, 14, 40, 4);
  PutLE(s, 18, static_cast<uint32_t>(width), 4);
  PutLE(s, 22, static_cast<uint32_t>(height), 4);
  PutLE(s, 26, 1, 2);
  PutLE(s, 28, static_cast<uint32_t>(bits), 2);
  PutLE(s, 30, static_cast<uint32_t>(compression), 4);
  PutLE(s, 34, static_cast<uint32_t>(data.size()), 4);
  PutLE(s, 46, static_cast<uint32_t>(paletteEntries), 4);
  for (int i = 0; i < paletteEntries; ++i) {
    const uint32_t v =
        paletteEntries > 1 ? static_cast<uint32_t>(i * 255 / (paletteEntries - 1)) : 0;
    PutLE(s, 54 + 4 * static_cast<size_t>(i), v | v << 8 | v << 16, 4);
  }
  return s + data;
}
