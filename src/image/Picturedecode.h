#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TGrayImage;
class TGray16Image;

// How 16-bit pictures become 8-bit gray: the 0.1 % and 99.9 % percentiles of the picture are
// stretched to 0 and 255 (the default), or the top 8 bits of the data are kept (a shift by
// depth - 8 bits, the depth found by DataDepth: 12-bit data in a 16-bit file is shifted by 4).
// Either way a picture whose values are all 8-bit values widened (v x 257 or v x 256) gives
// those values back exactly.
enum class TBits16 { Percentile, Shift };

// The picture formats read by content, as users name them.
extern const char* const SupportedPictureFormats;

// Decodes a picture held in memory by its content (Windows bitmap, PNG, TIFF, PGM/PPM, JPEG;
// 1 to 16 bits, gray or colour) into the gray image; colour becomes (B + G + R + 1) div 3.
// page counts from 1 (only a multi-page TIFF has more than one). Returns how it was decoded, for
// example "8-bit bitmap" or "16-bit PNG, 12-bit data, percentiles 0.1 % and 99.9 % (812 and
// 4011) to 0 and 255"; a picture of more than 8 bits is kept as well (TGrayImage::Deep). A
// damaged file raises an error naming the file and the format; an unknown format one that lists
// the supported ones. The image is unchanged on failure.
std::string DecodePicture(const uint8_t* bytes, size_t size, const std::string& name, TBits16 rule,
                          TGrayImage& image, int32_t page = 1);

// The 8-bit gray image of a 16-bit picture by the rule; returns the rule in words ("12-bit data,
// shifted right by 4 bits"). counts, when given, is the picture's histogram (65536 counters),
// gathered by a decoder while the rows were at hand.
std::string MapGray16(const TGray16Image& deep, TBits16 rule, TGrayImage& image,
                      const uint32_t* counts = nullptr);
// Adds a row of 16-bit values to a histogram of 65536 counters.
void CountRow(const uint16_t* row, int32_t width, uint32_t* counts);

// The number of pages of a picture file: its directories for a TIFF, 1 for anything else
// (also for a file that cannot be read: reading it says why).
int32_t PictureFilePages(const std::string& path);

// The most pixels a picture file may have: DefaultMaxPicturePixels (16384 x 16384) unless the
// environment variable LATTICOR_MAX_PIXELS or SetMaxPicturePixels says otherwise. A larger
// picture is refused from its header, before anything is allocated.
constexpr int64_t DefaultMaxPicturePixels = int64_t{1} << 28;
int64_t MaxPicturePixels();
// pixels <= 0 goes back to the default; at most TGrayImage::MaxPixels is ever read. howToRaise
// says in the message how a user raises the limit.
void SetMaxPicturePixels(int64_t pixels, const std::string& howToRaise = "");
// "The picture "name" is too large: W x H pixels (...)" beyond the limit.
void CheckPictureSize(int64_t width, int64_t height, const std::string& name);
