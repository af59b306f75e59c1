#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class TGrayImage;

// Decodes a Windows bitmap held in memory straight into the gray image, row by row, with no
// colour copy of the picture: palette 1, 4 and 8 bits (plain and run-length), 16, 24 and 32 bits
// (plain and bit fields), rows bottom-up or top-down. gray = (B + G + R + 1) div 3 of the colour
// each pixel stands for, the colour being what the Qt bitmap reader gives for the same file.
//
// Everything is checked before the image is touched: a damaged, truncated or unsupported file
// raises "\"name\" is not a valid bitmap file (why)" or the size error, and the image keeps its
// pixels and size.
void DecodeBmp(const uint8_t* bytes, size_t size, const std::string& name, TGrayImage& image);

// The first bytes of a file that hold every header field and colour table of a bitmap.
constexpr size_t BmpHeadBytes = 1 << 16;

// Reads exactly size bytes at offset into `into`, or raises TError.
using TReadAt = std::function<void(int64_t offset, size_t size, uint8_t* into)>;

// The same for a plain bitmap read from a file block by block, so that the file never sits in
// memory whole: head holds the first min(fileSize, BmpHeadBytes) bytes, readAt gives the rest.
// Returns false, changing nothing, for a run-length bitmap (callers read those whole).
bool DecodeBmpRows(const uint8_t* head, size_t headSize, int64_t fileSize, const TReadAt& readAt,
                   const std::string& name, TGrayImage& image);
