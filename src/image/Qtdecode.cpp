// The formats that keep Qt's readers: JPEG (Qt's JPEG plugin, part of Qt's own Gui package)
// and the text and 1-bit kinds of PGM, PPM and PBM (built into QtGui).
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstring>
#include <memory>

#include "base/Error.h"
#include "image/Codecmessages.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"
#include "image/Picturereaders.h"

namespace {

void CopyGray8(const QImage& picture, TGrayImage& image) {
  const int32_t w = picture.width(), h = picture.height();
  image.SetSize(w, h);
  if (picture.format() == QImage::Format_Grayscale8) {
    for (int32_t y = 0; y < h; ++y) std::memcpy(image.Row(y), picture.constScanLine(y), w);
    return;
  }
  for (int32_t y = 0; y < h; ++y) {
    const QRgb* src = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    uint8_t* dst = image.Row(y);
    for (int32_t x = 0; x < w; ++x)
      dst[x] = static_cast<uint8_t>((qBlue(src[x]) + qGreen(src[x]) + qRed(src[x]) + 1) / 3);
  }
}

}  // namespace

TDecoded DecodeWithQt(const uint8_t* bytes, size_t size, const std::string& name, bool jpeg,
                      TGrayImage& gray) {
  const char* format = jpeg ? "JPEG" : "PGM/PPM";
  if (jpeg) {  // a cut-off JPEG decodes as a complete picture with gray rows at the bottom
    size_t end = size;
    while (end > 2 && bytes[end - 1] == 0) --end;  // some writers pad the end
    if (end < 4 || bytes[end - 2] != 0xFF || bytes[end - 1] != 0xD9)
      InvalidPicture(name, format, "truncated data");
  }
  TCodecMessages messages;
  QByteArray data =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, jpeg                                 ? "jpeg"
                               : bytes[1] == '1' || bytes[1] == '4' ? "pbm"
                               : bytes[1] == '2'                    ? "pgm"
                                                                    : "ppm");
  reader.setDecideFormatFromContent(false);
  const QSize announced = reader.size();
  if (announced.isValid()) CheckPictureSize(announced.width(), announced.height(), name);
  reader.setAllocationLimit(0);  // the size was checked above
  QImage picture = reader.read();
  if (picture.isNull())
    InvalidPicture(name, format, messages.Reason(reader.errorString().toStdString()));
  messages.Lines();  // a picture that decoded: the codec's remarks are not the user's concern
  CheckPictureSize(picture.width(), picture.height(), name);
  TDecoded result;
  if (picture.format() == QImage::Format_Grayscale16) {
    result.Deep = std::make_shared<TGray16Image>();
    result.Deep->SetSize(picture.width(), picture.height());
    for (int32_t y = 0; y < picture.height(); ++y)
      std::memcpy(result.Deep->Row(y), picture.constScanLine(y),
                  sizeof(uint16_t) * static_cast<size_t>(picture.width()));
    result.What = std::string("16-bit ") + format;
    return result;
  }
  if (picture.format() != QImage::Format_Grayscale8 && picture.format() != QImage::Format_RGB32 &&
      picture.format() != QImage::Format_ARGB32) {
    picture = picture.convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) throw TError("Not enough memory to decode \"" + name + "\"");
  }
  CopyGray8(picture, gray);
  result.What = std::string("8-bit ") + format;
  return result;
}
