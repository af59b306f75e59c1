#pragma once

#include <tiff.h>

#include <cstddef>
#include <cstdint>

// How one TIFF page lays out its pixels, and the conversion of one decoded row into the gray
// image (pictures of up to 8 bits) or the 16-bit picture (deeper ones).
struct TTiffLayout {
  uint32_t Width = 0, Height = 0;
  uint16_t Bits = 1, Samples = 1, Planar = PLANARCONFIG_CONTIG;
  uint16_t Photometric = PHOTOMETRIC_MINISBLACK, Compression = COMPRESSION_NONE;
  uint16_t Stride = 1;  // samples per pixel in a decoded row (1 when the planes lie apart)
  bool Tiled = false;
  uint32_t BlockWidth = 0, BlockHeight = 0;  // a tile, or a strip of full rows
  uint64_t RowBytes = 0;                     // one row of a decoded tile or strip
  uint8_t Palette[256] = {};                 // the gray of each palette entry
};

// Gray: the first sample (or the first plane); Rgb: the first three of interleaved samples;
// Other: read through the library's RGBA reader.
enum class TTiffKind { Gray, Rgb, Palette, Other };

TTiffKind KindOf(const TTiffLayout& layout);
// More than 8 bits: decoded into the 16-bit picture.
bool IsDeep(const TTiffLayout& layout, TTiffKind kind);
// (R + G + B + 1) div 3 of every entry, 8 bits a channel; a colour map whose entries all lie
// below 256 was written with 8-bit values and is taken as it is.
void FillPalette(TTiffLayout& layout, const uint16_t* red, const uint16_t* green,
                 const uint16_t* blue);
// count pixels of a decoded row into dst8 or dst16 (src may be the destination itself).
void ConvertRow(const TTiffLayout& layout, TTiffKind kind, const uint8_t* src, uint32_t count,
                uint8_t* dst8, uint16_t* dst16);
