// Picture reader: the input is one picture file (mostly bitmaps, decoded by our own decoder),
// decoded from memory through the same path as a file. A TError is the expected end of a bad file
// and must leave the image as it was. A bitmap that decodes must have the size its header states
// and the pixels the Qt reader gives for it (when Qt reads it too), load the same from a file
// (read block by block), and survive a save and a load unchanged. Anything else (a crash, another
// exception, a sanitizer report) is a fault.
#include <array>
#include <cstring>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "image/Grayimage.h"
#include "reference/QtBitmap.h"

namespace {

uint32_t Get16(const uint8_t* p) {
  return p[0] | (p[1] << 8);
}
uint32_t Get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Width and height as the header states them (rows of a top-down file counted positive).
bool HeaderSize(const uint8_t* data, size_t size, int64_t& width, int64_t& height) {
  if (size < 26) return false;
  if (Get32(data + 14) == 12) {
    width = static_cast<int16_t>(Get16(data + 18));
    height = static_cast<int16_t>(Get16(data + 20));
    if (height < 0) height = -height;
    return true;
  }
  width = static_cast<int32_t>(Get32(data + 18));
  height = static_cast<int32_t>(Get32(data + 22));
  if (height < 0) height = -height;
  return true;
}

bool SamePixels(const TGrayImage& a, const TGrayImage& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Data(), b.Data(), static_cast<size_t>(a.Size())) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("bitmap");
  static const std::string input = scratch.File("input.bmp");
  static const std::string copy = scratch.File("copy.bmp");

  // The previous picture must survive a refused file untouched.
  TGrayImage image;
  image.SetWidth(3);
  image.SetHeight(2);
  const uint8_t before[6] = {1, 2, 3, 4, 5, 6};
  std::memcpy(image.Data(), before, sizeof before);
  try {
    image.LoadBmpFromMemory(data, size, "fuzz.bmp");
  } catch (const TError& e) {
    if (e.Message().empty()) FuzzFail("a refused bitmap gave an empty message");
    if (image.Width() != 3 || image.Height() != 2 || std::memcmp(image.Data(), before, 6) != 0)
      FuzzFail("a refused bitmap changed the picture");
    return 0;
  }

  const bool bitmap = size >= 2 && data[0] == 'B' && data[1] == 'M';
  int64_t width = 0, height = 0;
  if (bitmap && !HeaderSize(data, size, width, height))
    FuzzFail("a bitmap without a header decoded");
  if (bitmap && (image.Width() != width || image.Height() != height))
    FuzzFail("decoded %d x %d, the header states %lld x %lld", image.Width(), image.Height(),
             static_cast<long long>(width), static_cast<long long>(height));
  if (bitmap && image.Size() <= 1 << 22) {
    // Our decoder gives what the Qt reader it replaced gave, wherever Qt reads the file. Not
    // compared: headers of 52 and 56 bytes, which Qt misreads, and run-length data, where Qt
    // lets codes after the last pixel overwrite earlier rows (our decoder stops at the last
    // pixel; the image tests compare well-formed run-length files).
    int32_t w = 0, h = 0;
    std::vector<uint8_t> qt;
    const uint32_t info = Get32(data + 14);
    const uint32_t compression = info >= 40 && size >= 34 ? Get32(data + 30) : 0;
    if (info != 52 && info != 56 && compression != 1 && compression != 2 &&
        QtBitmapGray(std::string(reinterpret_cast<const char*>(data), size), w, h, qt) &&
        (w != image.Width() || h != image.Height() ||
         std::memcmp(qt.data(), image.Data(), qt.size()) != 0))
      FuzzFail("the decoder and the Qt reader disagree");
  }
  if (image.Size() != image.Width() * image.Height() || image.Size() <= 0 ||
      image.HeaderSize() != 0)
    FuzzFail("inconsistent size fields");
  std::array<int32_t, 256> counts{};
  image.Histogram(counts);  // reads every pixel
  int64_t total = 0;
  for (int32_t c : counts) total += c;
  if (total != image.Size()) FuzzFail("the histogram misses pixels");

  // The file path decodes the same bytes the same way.
  TFuzzScratch::Put(input, data, size);
  TGrayImage fromFile;
  fromFile.LoadBmp(input);
  if (!SamePixels(image, fromFile)) FuzzFail("file and memory decoding differ");

  // Saved as a 24-bit bitmap and read back: the same gray values.
  image.SaveBmp(copy);
  TGrayImage again;
  again.LoadFromFile(copy);
  if (!SamePixels(image, again)) FuzzFail("a saved bitmap loads back different");
  return 0;
}
