// PNG reader: the input is one PNG file, decoded from memory and from a file (read piece by
// piece). A TError is the expected end of a bad file and must leave the image as it was. A
// picture that decodes must give the same pixels both ways, keep a 16-bit picture of its size
// for 16-bit files, and give the gray values of Qt's PNG reader wherever Qt reads the file to 8
// bits. Anything else (a crash, another exception, a sanitizer report) is a fault.
#include <QByteArray>
#include <QImage>
#include <cstring>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("png");
  static const std::string input = scratch.File("input.png");
  static const bool limited = [] {  // fuzzed headers may claim any size
    SetMaxPicturePixels(1 << 22);
    return true;
  }();
  (void)limited;
  TGrayImage image;
  image.SetSize(3, 2);
  const uint8_t before[6] = {1, 2, 3, 4, 5, 6};
  std::memcpy(image.Data(), before, sizeof before);
  std::string error;
  try {
    image.LoadBmpFromMemory(data, size, "fuzz.png");
  } catch (const TError& e) {
    error = e.Message();
    if (error.empty()) FuzzFail("a refused picture gave an empty message");
    if (image.Width() != 3 || std::memcmp(image.Data(), before, 6) != 0)
      FuzzFail("a refused picture changed the image");
  }
  TFuzzScratch::Put(input, data, size);
  TGrayImage fromFile;
  std::string fileError;
  try {
    fromFile.LoadPicture(input);
  } catch (const TError& e) {
    fileError = e.Message();
  }
  if (error.empty() != fileError.empty())
    FuzzFail("memory said \"%s\", the file \"%s\"", error.c_str(), fileError.c_str());
  if (!error.empty()) return 0;
  if (image.Width() != fromFile.Width() || image.Height() != fromFile.Height() ||
      std::memcmp(image.Data(), fromFile.Data(), static_cast<size_t>(image.Size())) != 0)
    FuzzFail("file and memory decoding differ");
  const bool deep = size > 24 && data[24] == 16;  // the header's bit depth
  if (deep != (image.Deep() != nullptr)) FuzzFail("16-bit picture kept: %d", !deep);
  if (deep) return 0;
  QImage qt;
  if (!qt.loadFromData(QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                               static_cast<qsizetype>(size)),
                       "png") ||
      qt.depth() > 32)
    return 0;
  qt = qt.convertToFormat(QImage::Format_ARGB32);
  if (qt.width() != image.Width() || qt.height() != image.Height()) FuzzFail("Qt's size differs");
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t x = 0; x < image.Width(); ++x) {
      const QRgb c = qt.pixel(x, y);
      const int gray = (qRed(c) + qGreen(c) + qBlue(c) + 1) / 3;
      if (gray != image.GetPixel(x, y))
        FuzzFail("(%d, %d): %d, Qt %d", x, y, image.GetPixel(x, y), gray);
    }
  return 0;
}
