#include "reference/QtBitmap.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

bool QtBitmapGray(const std::string& bytes, int32_t& width, int32_t& height,
                  std::vector<uint8_t>& gray) {
  QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  reader.setDecideFormatFromContent(false);
  reader.setAllocationLimit(0);
  QImage picture = reader.read();
  if (picture.isNull()) return false;
  if (picture.format() != QImage::Format_Indexed8 && picture.format() != QImage::Format_RGB32 &&
      picture.format() != QImage::Format_ARGB32)
    picture = picture.convertToFormat(picture.colorCount() > 0 ? QImage::Format_Indexed8
                                                               : QImage::Format_RGB32);
  width = picture.width();
  height = picture.height();
  gray.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  auto mean = [](QRgb c) { return static_cast<uint8_t>((qBlue(c) + qGreen(c) + qRed(c) + 1) / 3); };
  const QList<QRgb> colors = picture.colorTable();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t& g = gray[static_cast<size_t>(y) * static_cast<size_t>(width) + x];
      if (picture.format() == QImage::Format_Indexed8) {
        const int i = picture.constScanLine(y)[x];
        g = i < colors.size() ? mean(colors[i]) : 0;
      } else {
        g = mean(reinterpret_cast<const QRgb*>(picture.constScanLine(y))[x]);
      }
    }
  }
  return true;
}
