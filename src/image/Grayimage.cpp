#include "image/Grayimage.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/AtomicFile.h"
#include "base/Bmp.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "base/Surface.h"
#include "image/Median.h"

void CheckImageSize(int64_t width, int64_t height, const std::string& what) {
  if (width < 0 || height < 0 || width * height > TGrayImage::MaxPixels)
    throw TError(what + " is too large: " + IntToStr(width) + " x " + IntToStr(height) +
                 " pixels (at most " + IntToStr(TGrayImage::MaxPixels) + " pixels)");
}

TGrayImage::TGrayImage() : FFileName("MemoryPointer") {}

TGrayImage::TGrayImage(const std::string& fileName) : FFileName(fileName) {
  struct stat info {};
  const bool found = ::stat(fileName.c_str(), &info) == 0;
  // The system's text first, then what the name really is when that helps.
  if (fileName.empty()) throw TError(": not exists (no file name was given)");
  if (found && S_ISDIR(info.st_mode))
    throw TError(fileName + ": not exists (that is a folder, not a picture file)");
  if (!FileExists(fileName)) throw TError(fileName + ": not exists");
  // A picture is decoded from a file of known size: a pipe or a device would arrive cut short.
  if (found && !S_ISREG(info.st_mode))
    throw TError(fileName +
                 ": pipes and devices are not supported for pictures; save the picture to a "
                 "file first");
  LoadBmp(fileName);
}

void TGrayImage::Allocate(int32_t width, int32_t height) {
  CheckImageSize(width, height, "An image");
  std::unique_ptr<uint8_t[]> data;
  try {
    data = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(width) *
                                                     static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    throw TError("Not enough memory for an image of " + IntToStr(width) + " x " + IntToStr(height) +
                 " pixels");
  }
  FData = std::move(data);
  FWidth = width;
  FHeight = height;
  FSize = width * height;
}

void TGrayImage::SetWidth(int32_t w) {
  Allocate(std::max(w, 0), FHeight);
}

void TGrayImage::SetHeight(int32_t h) {
  Allocate(FWidth, std::max(h, 0));
}

uint8_t TGrayImage::GetPixel(int32_t x, int32_t y) const {
  if (x < 0 || x >= FWidth || y < 0 || y >= FHeight)
    throw TError(Format("(%d,%d) not in the gray image", x, y));
  return FData[static_cast<size_t>(y) * FWidth + x];
}

void TGrayImage::SetPixel(int32_t x, int32_t y, uint8_t v) {
  if (x < 0 || x >= FWidth || y < 0 || y >= FHeight)
    throw TError(Format("(%d,%d) not in the gray image", x, y));
  FData[static_cast<size_t>(y) * FWidth + x] = v;
}

void TGrayImage::LoadFromFile(const std::string& fileName) {
  FFileName = fileName;
  std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".bmp")
    LoadBmp(fileName);
  else if (ext == ".raw")
    LoadRaw(fileName);
  else
    throw TError("only support raw and bmp files");
}

void TGrayImage::SaveToFile(const std::string& fileName) const {
  std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".bmp")
    SaveBmp(fileName);
  else if (ext == ".raw")
    SaveRaw(fileName);
  else
    throw TError("only support raw and bmp files");
}

// ---------------------------------------------------------------------------------------------
// Bitmap input

namespace {

uint32_t Get16(const uint8_t* p) {
  return p[0] | (p[1] << 8);
}
uint32_t Get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

[[noreturn]] void NotABitmap(const std::string& name, const std::string& why) {
  throw TError("\"" + name + "\" is not a valid bitmap file (" + why + ")");
}

struct TBmpLayout {
  int64_t Offset = 0;
  int64_t Width = 0;
  int64_t Height = 0;
  uint32_t Bits = 0;
  uint32_t Compression = 0;
};

// Checks the headers before the decoder sees the file, so that a damaged or hostile header
// ends in a clear error rather than a huge allocation or a half-read picture.
TBmpLayout CheckBmpHeader(const uint8_t* h, size_t n, int64_t fileSize, const std::string& name) {
  if (n < 2 || h[0] != 'B' || h[1] != 'M') NotABitmap(name, "no bitmap signature");
  if (n < 26) NotABitmap(name, "truncated header");
  TBmpLayout b;
  b.Offset = Get32(h + 10);
  const uint32_t infoSize = Get32(h + 14);
  if (infoSize == 12) {
    b.Width = Get16(h + 18);
    b.Height = Get16(h + 20);
    b.Bits = Get16(h + 24);
  } else {
    if (infoSize < 40) NotABitmap(name, "unknown header");
    if (n < 34) NotABitmap(name, "truncated header");
    b.Width = static_cast<int32_t>(Get32(h + 18));
    b.Height = static_cast<int32_t>(Get32(h + 22));
    b.Bits = Get16(h + 28);
    b.Compression = Get32(h + 30);
  }
  // The decoder seeks past the information header and the colour table to the pixel data; all
  // must lie in the file, or a file and the same bytes in memory decode differently (a seek
  // beyond the end fails in memory and succeeds on a file).
  const int64_t headerEnd = 14 + int64_t{infoSize};
  int64_t tableBytes = infoSize == 40 && b.Compression == 3 ? 12 : 0;  // the three colour masks
  if (b.Bits <= 8) {
    const int64_t most = int64_t{1} << b.Bits;
    const int64_t used = infoSize >= 40 ? Get32(h + 46) : 0;
    tableBytes = (used == 0 || used > most ? most : used) * (infoSize == 12 ? 3 : 4);
  }
  if (headerEnd + tableBytes > fileSize) NotABitmap(name, "truncated header");
  if (b.Offset < headerEnd) NotABitmap(name, "pixel data inside the header");
  if (b.Height < 0) b.Height = -b.Height;
  if (b.Width <= 0 || b.Height <= 0) NotABitmap(name, "width or height 0");
  CheckImageSize(b.Width, b.Height, "The bitmap \"" + name + "\"");
  if (b.Bits != 1 && b.Bits != 4 && b.Bits != 8 && b.Bits != 16 && b.Bits != 24 && b.Bits != 32)
    NotABitmap(name, "unsupported bit depth " + IntToStr(b.Bits));
  if (b.Compression == 0 || b.Compression == 3 || b.Compression == 6) {
    const int64_t stride = ((b.Width * b.Bits + 31) / 32) * 4;
    if (b.Offset + stride * b.Height > fileSize) NotABitmap(name, "truncated pixel data");
  } else if (b.Compression == 1 || b.Compression == 2) {
    if (fileSize <= b.Offset) NotABitmap(name, "truncated pixel data");
  } else {
    NotABitmap(name, "unsupported compression " + IntToStr(b.Compression));
  }
  return b;
}

// Bytes of a device one at a time, read in blocks; -1 at the end.
class TByteStream {
 public:
  explicit TByteStream(QIODevice& device) : FDevice(device) {}
  int Next() {
    if (FPos == FEnd) {
      FEnd = FDevice.read(reinterpret_cast<char*>(FBlock), sizeof FBlock);
      FPos = 0;
      if (FEnd <= 0) {
        FEnd = 0;
        return -1;
      }
    }
    return FBlock[FPos++];
  }

 private:
  QIODevice& FDevice;
  uint8_t FBlock[1 << 14];
  qint64 FPos = 0, FEnd = 0;
};

// Walks the run-length codes without decoding them. The decoder leaves the pixels of a stream
// that breaks off, stops early or jumps ahead at 0 and reports success, so such a picture would
// load half-read; and a few bytes could make it allocate gigabytes. Every pixel must be
// described: runs fill each row exactly, then an end-of-line (or, after the last row, the end
// code or the end of the file) follows.
void CheckRunLengthData(QIODevice& device, const TBmpLayout& b, const std::string& name) {
  if (!device.seek(b.Offset)) NotABitmap(name, "truncated pixel data");
  TByteStream in(device);
  const bool fourBits = b.Compression == 2;
  const char* undefined = "run-length data leaves pixels undefined";
  int64_t x = 0, row = 0;
  while (row < b.Height && !(row == b.Height - 1 && x == b.Width)) {
    const int count = in.Next(), code = in.Next();
    if (code < 0) NotABitmap(name, "truncated pixel data");
    int64_t pixels = count;
    if (count == 0) {
      if (code == 0) {  // end of line
        if (x != b.Width) NotABitmap(name, undefined);
        ++row, x = 0;
        continue;
      }
      if (code == 1 || code == 2) NotABitmap(name, undefined);  // end of bitmap, jump
      pixels = code;  // a literal run, padded to a 16-bit boundary
      int64_t bytes = fourBits ? (code + 1) / 2 : code;
      for (bytes += bytes & 1; bytes > 0; --bytes)
        if (in.Next() < 0) NotABitmap(name, "truncated pixel data");
    }
    x += pixels;
    if (x > b.Width) NotABitmap(name, "run-length data beyond the end of a row");
  }
  if (!device.seek(0)) NotABitmap(name, "cannot read the file again");
}

}  // namespace

void TGrayImage::DecodeBmp(QIODevice& device, int64_t size, const std::string& name) {
  uint8_t header[64] = {};
  qint64 got = device.peek(reinterpret_cast<char*>(header), sizeof header);
  const TBmpLayout layout =
      CheckBmpHeader(header, got > 0 ? static_cast<size_t>(got) : 0, size, name);
  if (layout.Compression == 1 || layout.Compression == 2) CheckRunLengthData(device, layout, name);

  QImageReader reader(&device, "bmp");
  reader.setDecideFormatFromContent(false);
  reader.setAllocationLimit(0);  // the header check above bounds the size
  QImage picture = reader.read();
  if (picture.isNull()) NotABitmap(name, reader.errorString().toStdString());

  const int32_t width = picture.width();
  const int32_t height = picture.height();
  CheckImageSize(width, height, "The bitmap \"" + name + "\"");
  if (picture.format() != QImage::Format_Indexed8 && picture.format() != QImage::Format_RGB32 &&
      picture.format() != QImage::Format_ARGB32) {
    picture = picture.convertToFormat(picture.colorCount() > 0 ? QImage::Format_Indexed8
                                                               : QImage::Format_RGB32);
    if (picture.isNull()) throw TError("Not enough memory to decode \"" + name + "\"");
  }

  Allocate(width, height);  // leaves the old pixels in place when it fails
  FHeaderSize = 0;

  auto gray = [](QRgb c) { return static_cast<uint8_t>((qBlue(c) + qGreen(c) + qRed(c) + 1) / 3); };
  if (picture.format() == QImage::Format_Indexed8) {
    uint8_t table[256] = {};
    const QList<QRgb> colors = picture.colorTable();
    for (int i = 0; i < static_cast<int>(colors.size()) && i < 256; ++i) table[i] = gray(colors[i]);
    for (int32_t y = 0; y < height; ++y) {
      const uchar* src = picture.constScanLine(y);
      uint8_t* dst = Row(y);
      for (int32_t x = 0; x < width; ++x) dst[x] = table[src[x]];
    }
  } else {
    for (int32_t y = 0; y < height; ++y) {
      const QRgb* src = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
      uint8_t* dst = Row(y);
      for (int32_t x = 0; x < width; ++x) dst[x] = gray(src[x]);
    }
  }
}

void TGrayImage::LoadBmp(const std::string& fileName) {
  FFileName = fileName;
  QFile file(QString::fromStdString(fileName));
  if (!file.open(QIODevice::ReadOnly)) {
    int error = errno != 0 ? errno : ENOENT;
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0) error = errno;
    throw TError(CannotOpenText(fileName, error));
  }
  DecodeBmp(file, file.size(), fileName);
}

void TGrayImage::LoadBmpFromMemory(const uint8_t* bytes, size_t size, const std::string& name) {
  FFileName = name;
  QByteArray data =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  DecodeBmp(buffer, static_cast<int64_t>(size), name);
}

void TGrayImage::SaveBmp(const std::string& fileName) const {
  WriteBmp24(fileName, FWidth, FHeight, [this](int32_t y, uint8_t* bgr) {
    const uint8_t* src = Row(y);
    for (int32_t x = 0; x < FWidth; ++x) bgr[3 * x] = bgr[3 * x + 1] = bgr[3 * x + 2] = src[x];
  });
}

// ---------------------------------------------------------------------------------------------
// Raw files

void TGrayImage::LoadRaw(const std::string& fileName) {
  FFileName = fileName;
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) throw TError(CannotOpenText(fileName, errno));
  int error = 0;
  try {
    Allocate(FWidth, FHeight);
  } catch (...) {
    std::fclose(file);
    throw;
  }
  size_t got = 0;
  if (FHeaderSize > 0 && std::fseek(file, FHeaderSize, SEEK_SET) != 0) error = errno;
  if (error == 0) {
    got = std::fread(FData.get(), 1, static_cast<size_t>(FSize), file);
    if (got < static_cast<size_t>(FSize) && std::ferror(file)) error = errno != 0 ? errno : EIO;
  }
  std::fclose(file);
  std::fill(FData.get() + got, FData.get() + FSize, uint8_t{0});
  if (error != 0) throw TError(CannotReadText(fileName, error));
}

void TGrayImage::SaveRaw(const std::string& fileName) const {
  TAtomicFile file(fileName);
  file.OpenOrRaise();
  if (FHeaderSize > 0) file.Write(std::string(static_cast<size_t>(FHeaderSize), 'F'));
  if (FSize > 0) file.Write(FData.get(), static_cast<size_t>(FSize));
  file.Commit();
}

// ---------------------------------------------------------------------------------------------
// Pixel operations

int64_t TGrayImage::SumRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, FWidth - 1);
  y2 = std::min(y2, FHeight - 1);
  // 32-bit partial sums over runs short enough not to overflow (16 million bytes of 255 fit),
  // which the compiler vectorises; the total is 64-bit.
  constexpr int64_t Run = 1 << 24;
  int64_t sum = 0;
  for (int32_t y = y1; y <= y2; ++y) {
    const uint8_t* row = Row(y);
    for (int64_t start = x1; start <= x2; start += Run) {
      const int64_t end = std::min<int64_t>(start + Run - 1, x2);
      uint32_t part = 0;
      for (int64_t x = start; x <= end; ++x) part += row[x];
      sum += part;
    }
  }
  return sum;
}

void TGrayImage::FillRect(uint8_t v, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, FWidth - 1);
  y2 = std::min(y2, FHeight - 1);
  if (x1 > x2) return;
  for (int32_t y = y1; y <= y2; ++y) std::fill(Row(y) + x1, Row(y) + x2 + 1, v);
}

void TGrayImage::Histogram(std::array<int32_t, 256>& counts) const {
  counts.fill(0);
  for (int32_t i = 0; i < FSize; ++i) ++counts[FData[i]];
}

void TGrayImage::MedianFilter(int32_t wx, int32_t wy) {
  if (wx <= 0) wx = 1;
  if (wy <= 0) wy = 1;
  if (wx % 2 == 0) ++wx;
  if (wy % 2 == 0) ++wy;
  if (wx == 1 && wy == 1) return;
  if (wx > FWidth || wy > FHeight) return;
  // In place: the filter keeps the original rows its windows still need, and allocates all it
  // needs before it writes a pixel.
  try {
    MedianFilterPlane(FData.get(), FData.get(), FWidth, FHeight, wx, wy);
  } catch (const std::bad_alloc&) {
    throw TError("No memory to do median filter");
  }
}

void TGrayImage::Repaint(TSurface* surface) const {
  if (surface == nullptr) return;
  surface->DrawGray(FData.get(), FWidth, FHeight);
}
