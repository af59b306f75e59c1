#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class TGrayImage;

// How 16-bit pictures become 8-bit gray: the 0.1 % and 99.9 % percentiles of the picture are
// stretched to 0 and 255 (the default, so that 12-bit data in a 16-bit container is not black),
// or the high byte is kept (a plain shift by 8 bits). Either way a picture whose values are all
// 8-bit values widened (v x 257 or v x 256) gives those values back exactly.
enum class TBits16 { Percentile, Shift };

// The picture formats read by content, as users name them.
extern const char* const SupportedPictureFormats;

// Decodes a picture held in memory by its content (Windows bitmap, PNG, TIFF, PGM/PPM, JPEG;
// 8 or 16 bits, gray or colour) into the gray image; colour becomes (B + G + R + 1) div 3.
// Returns how it was decoded, for example "8-bit bitmap" or "16-bit PNG, percentiles 0.1 % and
// 99.9 % (812 and 40311) to 0 and 255". A damaged file raises an error naming the file and the
// format; an unknown format one that lists the supported ones. The image is unchanged on failure.
std::string DecodePicture(const uint8_t* bytes, size_t size, const std::string& name, TBits16 rule,
                          TGrayImage& image);

// Maps rows of 16-bit gray values (fillRow(y, row) fills `width` values of row y) into the gray
// image by the rule, and returns the rule in words. Reads the rows twice for percentiles.
std::string MapGray16(int32_t width, int32_t height,
                      const std::function<void(int32_t y, uint16_t* row)>& fillRow, TBits16 rule,
                      TGrayImage& image);

// A binary PGM or PPM of more than 8 bits, which Qt would cut to 8 bits on its own. Returns
// false, changing nothing, for anything else.
bool DecodePnm16(const uint8_t* bytes, size_t size, const std::string& name, TBits16 rule,
                 TGrayImage& image, std::string& how);
