// TIFF reader: the input is one TIFF file, decoded from memory (the library reads the bytes in
// place) and from a file (read piece by piece), every page of it. A TError is the expected end of
// a bad file and must leave the image as it was. A page that decodes must give the same pixels
// both ways, a 16-bit picture of the gray image's size, and the same page count both ways.
// Anything else (a crash, another exception, a sanitizer report) is a fault.
#include <cstring>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"

namespace {

bool Same(const TGrayImage& a, const TGrayImage& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  if (std::memcmp(a.Data(), b.Data(), static_cast<size_t>(a.Size())) != 0) return false;
  if ((a.Deep() == nullptr) != (b.Deep() == nullptr)) return false;
  return !a.Deep() ||
         std::memcmp(a.Deep()->Data(), b.Deep()->Data(), 2 * static_cast<size_t>(a.Size())) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("tiff");
  static const std::string input = scratch.File("input.tif");
  static const bool limited = [] {  // fuzzed headers may claim any size
    SetMaxPicturePixels(1 << 22);
    return true;
  }();
  (void)limited;
  TFuzzScratch::Put(input, data, size);
  const int32_t pages = PictureFilePages(input);
  if (pages < 1) FuzzFail("%d pages", pages);
  for (int32_t page = 1; page <= std::min(pages, 4); ++page) {
    TGrayImage image;
    image.SetSize(3, 2);
    const uint8_t before[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(image.Data(), before, sizeof before);
    std::string memoryError, fileError;
    try {
      image.SetBits16(page % 2 ? TBits16::Percentile : TBits16::Shift);
      TGrayImage fresh;
      DecodePicture(data, size, "fuzz.tif", image.Bits16(), fresh, page);
      image.TakePixels(fresh);
    } catch (const TError& e) {
      memoryError = e.Message();
      if (memoryError.empty()) FuzzFail("a refused page gave an empty message");
      if (image.Width() != 3 || std::memcmp(image.Data(), before, 6) != 0)
        FuzzFail("a refused page changed the picture");
    }
    TGrayImage fromFile;
    try {
      fromFile.SetBits16(image.Bits16());
      fromFile.LoadPicture(input, page);
    } catch (const TError& e) {
      fileError = e.Message();
    }
    if (memoryError.empty() != fileError.empty())
      FuzzFail("page %d: memory said \"%s\", the file \"%s\"", page, memoryError.c_str(),
               fileError.c_str());
    if (!memoryError.empty()) continue;
    if (image.Size() != image.Width() * image.Height() || image.Size() <= 0)
      FuzzFail("inconsistent size fields");
    if (image.Deep() &&
        (image.Deep()->Width() != image.Width() || image.Deep()->Height() != image.Height()))
      FuzzFail("the 16-bit picture has another size");
    if (!Same(image, fromFile)) FuzzFail("page %d: file and memory decoding differ", page);
  }
  return 0;
}
