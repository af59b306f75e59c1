#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Writes an uncompressed 24-bit bitmap: 14-byte file header, 40-byte information header, no
// colour table, rows bottom-up, each padded with zero bytes to a multiple of 4. FillRow(y, bgr)
// fills the 3 * width bytes (blue, green, red) of picture row y (0 = top). Raises TError when
// the file cannot be created or written, or the picture is too large for the format; the
// previous file of that name then survives.
void WriteBmp24(const std::string& fileName, int32_t width, int32_t height,
                const std::function<void(int32_t y, uint8_t* bgr)>& fillRow);

// Whether a 24-bit bitmap of width x height fits the format's 32-bit file size; commands check
// it before their work, so that a picture too large to save costs nothing.
bool BitmapFits(int64_t width, int64_t height);
// "Cannot save "NAME": the picture is too large for a bitmap file".
std::string BitmapTooLargeText(const std::string& fileName);
