#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bitmap files built byte by byte, so that tests can write any variant and damage any field.

// Little-endian store of the low size bytes of value at offset at.
void PutLE(std::string& bytes, size_t at, uint32_t value, int size);

// A file header and a 40-byte information header for width x height (height < 0: top-down),
// bits per pixel and compression (0 none, 1 RLE8, 2 RLE4), a palette of paletteEntries gray
// levels spread evenly over 0..255, then data as the pixel data.
std::string BitmapBytes(int32_t width, int32_t height, int bits, int compression,
                        int paletteEntries, const std::string& data);
