#include "image/Picturedecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "base/Convert.h"
#include "base/Error.h"
#include "image/Bmpdecode.h"
#include "image/Codecmessages.h"
#include "image/Grayimage.h"

const char* const SupportedPictureFormats =
    "Windows bitmap (.bmp), PNG (.png), TIFF (.tif, .tiff), PGM/PPM (.pgm, .ppm) and JPEG (.jpg, "
    ".jpeg), 8 or 16 bits, gray or colour";

void CheckTiffLayout(const uint8_t* bytes, size_t size, const std::string& name);

namespace {

struct TSniffed {
  const char* Qt;    // the Qt reader's format name
  const char* Name;  // the format as users call it
};

// By the first bytes only: the extension of a camera file is often wrong or missing.
bool Sniff(const uint8_t* b, size_t n, TSniffed& f) {
  auto starts = [&](const char* magic, size_t len) {
    return n >= len && std::memcmp(b, magic, len) == 0;
  };
  if (starts("\x89PNG\r\n\x1a\n", 8))
    f = {"png", "PNG"};
  else if (starts("II*\0", 4) || starts("MM\0*", 4))
    f = {"tiff", "TIFF"};
  else if (starts("\xFF\xD8\xFF", 3))
    f = {"jpeg", "JPEG"};
  else if (n >= 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6')
    f = {b[1] == '1' || b[1] == '4'   ? "pbm"
         : b[1] == '2' || b[1] == '5' ? "pgm"
                                      : "ppm",
         "PGM/PPM"};
  else
    return false;
  return true;
}

[[noreturn]] void Invalid(const std::string& name, const char* format, const std::string& why) {
  throw TError("\"" + name + "\" is not a valid " + format + " file (" + why + ")");
}

// Cut-off files that the codecs would read as complete pictures.
void CheckComplete(const uint8_t* bytes, size_t size, const std::string& name, const TSniffed& f) {
  if (std::strcmp(f.Qt, "jpeg") == 0) {
    size_t end = size;
    while (end > 2 && bytes[end - 1] == 0) --end;  // some writers pad the end
    if (end < 4 || bytes[end - 2] != 0xFF || bytes[end - 1] != 0xD9)
      Invalid(name, f.Name, "truncated data");
  } else if (std::strcmp(f.Qt, "png") == 0) {
    static const uint8_t end[8] = {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    if (size < 20 || std::memcmp(bytes + size - 8, end, 8) != 0)
      Invalid(name, f.Name, "truncated data");
  } else if (std::strcmp(f.Qt, "tiff") == 0) {
    CheckTiffLayout(bytes, size, name);
  }
}

uint16_t Gray16(const QRgba64& c) {
  return static_cast<uint16_t>((uint32_t{c.blue()} + c.green() + c.red() + 1) / 3);
}

void CopyGray8(const QImage& picture, TGrayImage& image) {
  const int32_t w = picture.width(), h = picture.height();
  image.SetSize(w, h);
  if (picture.format() == QImage::Format_Grayscale8) {
    for (int32_t y = 0; y < h; ++y) std::memcpy(image.Row(y), picture.constScanLine(y), w);
  } else if (picture.format() == QImage::Format_Indexed8) {
    uint8_t table[256] = {};
    const QList<QRgb> colors = picture.colorTable();
    for (int i = 0; i < static_cast<int>(colors.size()) && i < 256; ++i)
      table[i] =
          static_cast<uint8_t>((qBlue(colors[i]) + qGreen(colors[i]) + qRed(colors[i]) + 1) / 3);
    for (int32_t y = 0; y < h; ++y) {
      const uchar* src = picture.constScanLine(y);
      uint8_t* dst = image.Row(y);
      for (int32_t x = 0; x < w; ++x) dst[x] = table[src[x]];
    }
  } else {
    for (int32_t y = 0; y < h; ++y) {
      const QRgb* src = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
      uint8_t* dst = image.Row(y);
      for (int32_t x = 0; x < w; ++x)
        dst[x] = static_cast<uint8_t>((qBlue(src[x]) + qGreen(src[x]) + qRed(src[x]) + 1) / 3);
    }
  }
}

bool Deep(QImage::Format f) {
  switch (f) {
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_BGR30:
    case QImage::Format_A2BGR30_Premultiplied:
    case QImage::Format_RGB30:
    case QImage::Format_A2RGB30_Premultiplied:
    case QImage::Format_RGBX16FPx4:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBA16FPx4_Premultiplied:
    case QImage::Format_RGBX32FPx4:
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBA32FPx4_Premultiplied:
      return true;
    default:
      return false;
  }
}

std::string DecodeWithQt(const uint8_t* bytes, size_t size, const std::string& name,
                         const TSniffed& f, TBits16 rule, TGrayImage& image) {
  CheckComplete(bytes, size, name, f);
  TCodecMessages messages;
  QByteArray data =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, f.Qt);
  reader.setDecideFormatFromContent(false);
  const QSize announced = reader.size();
  if (announced.isValid())
    CheckImageSize(announced.width(), announced.height(), "The picture \"" + name + "\"");
  reader.setAllocationLimit(0);  // the size was checked above
  QImage picture = reader.read();
  if (picture.isNull()) Invalid(name, f.Name, messages.Reason(reader.errorString().toStdString()));
  messages.Lines();  // a picture that decoded: the codec's remarks are not the user's concern
  CheckImageSize(picture.width(), picture.height(), "The picture \"" + name + "\"");

  if (Deep(picture.format())) {
    if (picture.format() != QImage::Format_Grayscale16 &&
        picture.format() != QImage::Format_RGBX64 && picture.format() != QImage::Format_RGBA64)
      picture = picture.convertToFormat(QImage::Format_RGBA64);
    if (picture.isNull()) throw TError("Not enough memory to decode \"" + name + "\"");
    const bool gray = picture.format() == QImage::Format_Grayscale16;
    const int32_t w = picture.width();
    const std::string how = MapGray16(
        w, picture.height(),
        [&](int32_t y, uint16_t* row) {
          if (gray) {
            std::memcpy(row, picture.constScanLine(y), sizeof(uint16_t) * static_cast<size_t>(w));
          } else {
            const QRgba64* src = reinterpret_cast<const QRgba64*>(picture.constScanLine(y));
            for (int32_t x = 0; x < w; ++x) row[x] = Gray16(src[x]);
          }
        },
        rule, image);
    return std::string("16-bit ") + f.Name + ", " + how;
  }
  if (picture.format() != QImage::Format_Grayscale8 &&
      picture.format() != QImage::Format_Indexed8 && picture.format() != QImage::Format_RGB32 &&
      picture.format() != QImage::Format_ARGB32) {
    picture = picture.convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) throw TError("Not enough memory to decode \"" + name + "\"");
  }
  CopyGray8(picture, image);
  return std::string("8-bit ") + f.Name;
}

}  // namespace

std::string MapGray16(int32_t width, int32_t height,
                      const std::function<void(int32_t y, uint16_t* row)>& fillRow, TBits16 rule,
                      TGrayImage& image) {
  std::vector<uint16_t> row(static_cast<size_t>(std::max(width, 1)));
  std::vector<uint8_t> map(65536);
  std::string how;
  uint32_t lo = 0, hi = 0;
  bool widened = false;  // 8-bit values widened to 16 bits (v x 257 or v x 256)
  if (rule == TBits16::Percentile) {
    std::vector<int64_t> counts(65536, 0);
    for (int32_t y = 0; y < height; ++y) {
      fillRow(y, row.data());
      for (int32_t x = 0; x < width; ++x) ++counts[row[x]];
    }
    // The values of ranks floor(0.001 (n - 1)) and ceil(0.999 (n - 1)) of the sorted pixels.
    const int64_t n = int64_t{width} * height;
    const int64_t lowRank = (n - 1) / 1000, highRank = (999 * (n - 1) + 999) / 1000;
    int64_t seen = 0;
    bool lowFound = false, by257 = true, by256 = true;
    for (uint32_t v = 0; v < 65536; ++v) {
      if (counts[v] == 0) continue;
      by257 = by257 && v % 257 == 0;
      by256 = by256 && v % 256 == 0;
      if (!lowFound && seen + counts[v] > lowRank) lo = v, lowFound = true;
      if (seen <= highRank && seen + counts[v] > highRank) hi = v;
      seen += counts[v];
    }
    widened = by257 || by256;
  }
  if (widened) {
    // Nothing to stretch: the 8-bit picture comes back exactly.
    for (uint32_t v = 0; v < 65536; ++v) map[v] = static_cast<uint8_t>(v >> 8);
    how = "8-bit values widened to 16 bits, taken back exactly";
  } else if (rule == TBits16::Percentile && hi > lo) {
    for (uint32_t v = 0; v < 65536; ++v) {
      const uint32_t c = std::clamp(v, lo, hi) - lo;
      map[v] = static_cast<uint8_t>((2 * 255 * c + (hi - lo)) / (2 * (hi - lo)));
    }
    how =
        "percentiles 0.1 % and 99.9 % (" + IntToStr(lo) + " and " + IntToStr(hi) + ") to 0 and 255";
  } else {
    for (uint32_t v = 0; v < 65536; ++v) map[v] = static_cast<uint8_t>(v >> 8);
    how = rule == TBits16::Shift ? "shifted right by 8 bits"
                                 : "shifted right by 8 bits (one value only, " + IntToStr(lo) + ")";
  }
  image.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    fillRow(y, row.data());
    uint8_t* dst = image.Row(y);
    for (int32_t x = 0; x < width; ++x) dst[x] = map[row[x]];
  }
  return how;
}

std::string DecodePicture(const uint8_t* bytes, size_t size, const std::string& name, TBits16 rule,
                          TGrayImage& image) {
  if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    DecodeBmp(bytes, size, name, image);
    return "8-bit bitmap";
  }
  TSniffed f{};
  if (!Sniff(bytes, size, f))
    throw TError("\"" + name + "\" is not a picture this system reads; supported are " +
                 SupportedPictureFormats);
  std::string how;
  if (DecodePnm16(bytes, size, name, rule, image, how)) return how;
  return DecodeWithQt(bytes, size, name, f, rule, image);
}
