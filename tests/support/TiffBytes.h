#pragma once

#include <cstdint>
#include <string>
#include <vector>

// TIFF files written through libtiff, so that tests can make every layout the decoder reads.
struct TTiffPage {
  int32_t Width = 0, Height = 0;
  int Bits = 8;                  // 1 to 16; depths other than 8 and 16 are packed
  int Samples = 1;               // 3: RGB
  int Photometric = 1;           // 1 gray (min is black), 0 gray (min is white), 2 RGB
  int Compression = 1;           // 1 none, 5 LZW, 8 deflate, 32773 PackBits
  int32_t Tile = 0;              // side of square tiles (a multiple of 16); 0: strips
  int32_t RowsPerStrip = 0;      // 0: the library's choice
  std::vector<uint16_t> Values;  // Width x Height x Samples, row-major
};

// The file's bytes; bigTiff writes a BigTIFF.
std::string TiffBytes(const std::vector<TTiffPage>& pages, bool bigTiff = false);
// One gray page of the given depth and values.
TTiffPage GrayPage(int32_t width, int32_t height, int bits, const std::vector<uint16_t>& values);
// Sets a tag of the first directory of a classic little-endian TIFF to a SHORT value in place.
void SetTiffTag(std::string& tiff, uint16_t tag, uint16_t value);
