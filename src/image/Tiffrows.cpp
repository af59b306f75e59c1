#include "image/Tiffrows.h"

#include <cstring>

namespace {

uint32_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);  // the library has put 16-bit samples in the machine's order
  return v;
}

// Sample j of a row of samples packed MSB first, bits wide (not 8 or 16).
uint32_t Packed(const uint8_t* row, uint64_t j, uint32_t bits) {
  const uint64_t first = j * bits;
  if (bits == 12) {
    const uint8_t* p = row + (first >> 3);
    return (first & 7) == 0 ? (uint32_t{p[0]} << 4) | (p[1] >> 4)
                            : (uint32_t{p[0] & 15u} << 8) | p[1];
  }
  uint32_t v = 0;
  for (uint64_t k = first; k < first + bits; ++k)
    v = (v << 1) | ((row[k >> 3] >> (7 - (k & 7))) & 1);
  return v;
}

uint32_t Sample(const uint8_t* row, uint64_t j, uint32_t bits) {
  return bits == 8 ? row[j] : bits == 16 ? Load16(row + 2 * j) : Packed(row, j, bits);
}

}  // namespace

TTiffKind KindOf(const TTiffLayout& l) {
  if (l.Photometric == PHOTOMETRIC_MINISBLACK || l.Photometric == PHOTOMETRIC_MINISWHITE)
    return TTiffKind::Gray;
  if (l.Photometric == PHOTOMETRIC_RGB && l.Planar == PLANARCONFIG_CONTIG && l.Samples >= 3)
    return TTiffKind::Rgb;
  if (l.Photometric == PHOTOMETRIC_PALETTE && l.Bits <= 8 && l.Samples == 1)
    return TTiffKind::Palette;
  return TTiffKind::Other;
}

bool IsDeep(const TTiffLayout& l, TTiffKind kind) {
  return l.Bits > 8 && (kind == TTiffKind::Gray || kind == TTiffKind::Rgb);
}

void FillPalette(TTiffLayout& l, const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
  const uint32_t entries = 1u << l.Bits;
  bool wide = false;
  for (uint32_t i = 0; i < entries; ++i)
    wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
  const int shift = wide ? 8 : 0;
  for (uint32_t i = 0; i < entries; ++i)
    l.Palette[i] = static_cast<uint8_t>(
        ((red[i] >> shift) + (green[i] >> shift) + (blue[i] >> shift) + 1) / 3);
}

void ConvertRow(const TTiffLayout& l, TTiffKind kind, const uint8_t* src, uint32_t count,
                uint8_t* dst8, uint16_t* dst16) {
  const uint32_t bits = l.Bits, top = (1u << bits) - 1, stride = l.Stride;
  const bool invert = l.Photometric == PHOTOMETRIC_MINISWHITE;
  if (kind == TTiffKind::Palette) {
    for (uint32_t i = 0; i < count; ++i) dst8[i] = l.Palette[Sample(src, i, bits)];
    return;
  }
  if (kind == TTiffKind::Gray) {
    if (bits == 8 && stride == 1 && !invert) {
      if (src != dst8) std::memcpy(dst8, src, count);
    } else if (bits == 8) {
      for (uint32_t i = 0; i < count; ++i) {
        const uint8_t v = src[static_cast<size_t>(i) * stride];
        dst8[i] = invert ? static_cast<uint8_t>(255 - v) : v;
      }
    } else if (bits == 16 && stride == 1 && !invert) {
      if (reinterpret_cast<const void*>(src) != dst16) std::memcpy(dst16, src, 2 * size_t{count});
    } else if (bits > 8) {
      for (uint32_t i = 0; i < count; ++i) {
        const uint32_t v = Sample(src, uint64_t{i} * stride, bits);
        dst16[i] = static_cast<uint16_t>(invert ? top - v : v);
      }
    } else {  // 1, 2 or 4 bits (or any below 8) widened to 0..255
      for (uint32_t i = 0; i < count; ++i) {
        const uint32_t v = Sample(src, uint64_t{i} * stride, bits);
        dst8[i] = static_cast<uint8_t>(((invert ? top - v : v) * 255 + top / 2) / top);
      }
    }
    return;
  }
  // Rgb: the mean of the three channels, as for bitmaps.
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t j = uint64_t{i} * stride;
    uint32_t r = Sample(src, j, bits), g = Sample(src, j + 1, bits), b = Sample(src, j + 2, bits);
    if (bits > 8) {
      dst16[i] = static_cast<uint16_t>((r + g + b + 1) / 3);
      continue;
    }
    if (bits < 8) {
      r = (r * 255 + top / 2) / top, g = (g * 255 + top / 2) / top, b = (b * 255 + top / 2) / top;
    }
    dst8[i] = static_cast<uint8_t>((r + g + b + 1) / 3);
  }
}
