// Raw reader: the first bytes choose the image size (0..63 each way) and a header size (-8..71),
// the rest is the raw file, loaded into an image of that size. Loading must never fail for a
// readable file: the pixels the file covers are its bytes after the header, the rest are 0, and
// bytes beyond the image are ignored. A save and a load then give the same file and pixels.
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "image/Grayimage.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) FuzzFail("cannot open %s", path.c_str());
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("raw");
  static const std::string input = scratch.File("input.raw");
  static const std::string copy = scratch.File("copy.RAW");

  TFuzzInput in(data, size);
  const int32_t width = in.Int(0, 63);
  const int32_t height = in.Int(0, 63);
  const int32_t header = in.Int(-8, 71);
  const size_t fileSize = in.Remaining();
  const uint8_t* file = in.Rest();
  TFuzzScratch::Put(input, file, fileSize);

  TGrayImage image;
  image.SetWidth(width);
  image.SetHeight(height);
  image.SetHeaderSize(header);
  try {
    image.LoadFromFile(input);
  } catch (const TError& e) {
    FuzzFail("a readable raw file was refused: %s", e.what());
  }
  if (image.Width() != width || image.Height() != height || image.Size() != width * height)
    FuzzFail("loading changed the size");
  const size_t skip = header > 0 ? static_cast<size_t>(header) : 0;
  for (int32_t i = 0; i < image.Size(); ++i) {
    const size_t at = skip + static_cast<size_t>(i);
    const uint8_t expected = at < fileSize ? file[at] : 0;
    if (image.Data()[i] != expected)
      FuzzFail("pixel %d is %d, expected %d", i, image.Data()[i], expected);
  }

  // Saved: the header as 'F' bytes, then exactly the pixels; loaded back: the same pixels.
  image.SaveToFile(copy);
  const std::vector<uint8_t> saved = ReadAll(copy);
  if (saved.size() != skip + static_cast<size_t>(image.Size()))
    FuzzFail("saved %zu bytes", saved.size());
  for (size_t i = 0; i < skip; ++i)
    if (saved[i] != 'F') FuzzFail("header byte %zu is %d", i, saved[i]);
  if (image.Size() > 0 && std::memcmp(saved.data() + skip, image.Data(), image.Size()) != 0)
    FuzzFail("saved pixels differ");
  TGrayImage again;
  again.SetWidth(width);
  again.SetHeight(height);
  again.SetHeaderSize(header);
  again.LoadRaw(copy);
  if (image.Size() > 0 && std::memcmp(again.Data(), image.Data(), image.Size()) != 0)
    FuzzFail("a saved raw file loads back different");
  return 0;
}
