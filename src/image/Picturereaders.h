#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/Bmpdecode.h"
#include "image/Picturedecode.h"

class TGrayImage;
class TGray16Image;

// The decoders behind DecodePicture and TGrayImage::LoadPicture, one per format, reading
// through libtiff, libpng or our own code straight into the picture types. Each learns the
// size from the header and refuses (TError) before it allocates what the picture cannot need;
// it fills the 8-bit gray image for pictures of up to 8 bits, or a 16-bit picture for deeper
// ones, and says what it read ("16-bit TIFF").

// Where a decoder reads a picture from: bytes in memory, or a file read piece by piece.
struct TPictureInput {
  std::string Name;  // for messages
  int64_t Size = 0;
  const uint8_t* Memory = nullptr;  // the whole file, when it is held in memory
  TReadAt ReadAt;                   // otherwise: exactly n bytes at an offset, or TError
  std::string Identity;             // a file's device, inode, size and times; empty in memory

  // n bytes at offset; false (nothing read) when they do not all lie in the input.
  bool Read(uint64_t offset, size_t n, uint8_t* into) const;
};

class TReadFile;
// A regular file, read piece by piece (the file stays open and unchanged meanwhile).
TPictureInput FileInput(const TReadFile& file);

// Decodes the input by its content into image (a fresh one: it is left as far as it got on
// failure) and returns how, as DecodePicture does.
std::string DecodeInput(const TPictureInput& in, int32_t page, TBits16 rule, TGrayImage& image);

struct TDecoded {
  std::shared_ptr<TGray16Image> Deep;  // set for pictures of more than 8 bits
  std::string What;                    // "8-bit TIFF", "16-bit PNG", ...
  std::vector<uint32_t> Counts;        // the histogram of Deep, when the decoder made it
};

TDecoded DecodeTiff(const TPictureInput& in, int32_t page, TGrayImage& gray);
TDecoded DecodePng(const TPictureInput& in, TGrayImage& gray);
// Binary PGM and PPM (P5, P6) of any depth; false for the other PNM kinds.
bool DecodePnm(const TPictureInput& in, TGrayImage& gray, TDecoded& result);

// The directories of a TIFF in file order, found without decoding anything; a directory that
// cannot be read ends the list (it is listed, so that reading it says what is wrong).
int32_t TiffPages(const TPictureInput& in);

// "\"name\" is not a valid FORMAT file (why)".
[[noreturn]] void InvalidPicture(const std::string& name, const char* format,
                                 const std::string& why);
// Refuses a picture whose decoded bytes could not come from compressedBytes of data that expand
// at most ratio times: such a file is damaged or made to exhaust memory.
void CheckExpansion(const std::string& name, const char* format, int64_t width, int64_t height,
                    int64_t decodedBytes, int64_t compressedBytes, int64_t ratio);
