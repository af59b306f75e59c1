#include "image/Grayimage.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Bmp.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "base/Readfile.h"
#include "base/Surface.h"
#include "image/Bmpdecode.h"
#include "image/Gray16image.h"
#include "image/Median.h"
#include "image/Picturedecode.h"
#include "image/Picturereaders.h"

void CheckImageSize(int64_t width, int64_t height, const std::string& what) {
  if (width < 0 || height < 0 || width * height > TGrayImage::MaxPixels)
    throw TError(what + " is too large: " + IntToStr(width) + " x " + IntToStr(height) +
                 " pixels (at most " + IntToStr(TGrayImage::MaxPixels) + " pixels)");
}

bool IsCameraPictureExt(const std::string& ext) {
  for (const char* e : {".png", ".tif", ".tiff", ".pgm", ".ppm", ".jpg", ".jpeg"})
    if (ext == e) return true;
  return false;
}

TGrayImage::TGrayImage() : FFileName("MemoryPointer") {}

TGrayImage::TGrayImage(const std::string& fileName, TBits16 bits16, int32_t page)
    : FFileName(fileName), FBits16(bits16) {
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
  LoadPicture(fileName, page);
}

void TGrayImage::Allocate(int32_t width, int32_t height) {
  FEdits.Bump();
  CheckImageSize(width, height, "An image");
  TPixelBuffer<uint8_t> data;
  try {
    data = AllocatePixels<uint8_t>(static_cast<size_t>(width) * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    throw TError("Not enough memory for an image of " + IntToStr(width) + " x " + IntToStr(height) +
                 " pixels");
  }
  FData = std::move(data);
  FDeep.reset();
  FWidth = width;
  FHeight = height;
  FSize = width * height;
}

void TGrayImage::SetSize(int32_t w, int32_t h) {
  Allocate(std::max(w, 0), std::max(h, 0));
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
  FEdits.Bump();
  if (x < 0 || x >= FWidth || y < 0 || y >= FHeight)
    throw TError(Format("(%d,%d) not in the gray image", x, y));
  FData[static_cast<size_t>(y) * FWidth + x] = v;
}

void TGrayImage::LoadFromFile(const std::string& fileName) {
  FEdits.Bump();
  FFileName = fileName;
  std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".bmp")
    LoadBmp(fileName);
  else if (ext == ".raw")
    LoadRaw(fileName);
  else if (IsCameraPictureExt(ext))
    LoadPicture(fileName);
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
// Picture input: the file is read once into memory and decoded from there, so a file that
// changes meanwhile is refused rather than loaded half old, half new.

void TGrayImage::LoadPicture(const std::string& fileName, int32_t page) {
  FEdits.Bump();
  FFileName = fileName;
  const TReadFile file(fileName);
  TGrayImage fresh;
  std::string how;
  if (file.IsRegular()) {
    how = DecodeInput(FileInput(file), page, FBits16, fresh);
    file.CheckUnchanged();
  } else {  // a pipe or a device: read to its end first
    const TFileBytes bytes = file.ReadAll();
    how = DecodePicture(bytes.begin(), bytes.Size, fileName, FBits16, fresh, page);
  }
  TakePixels(fresh);
  FDecoding = how;
  FHeaderSize = 0;
}

void TGrayImage::TakePixels(TGrayImage& other) {
  FEdits.Bump();
  FData = std::move(other.FData);
  FWidth = other.FWidth;
  FHeight = other.FHeight;
  FSize = other.FSize;
  FDeep = std::move(other.FDeep);
  other.FWidth = other.FHeight = other.FSize = 0;
  other.FEdits.Bump();
}

void TGrayImage::LoadBmp(const std::string& fileName) {
  FEdits.Bump();
  LoadPicture(fileName);
}

void TGrayImage::LoadBmpFromMemory(const uint8_t* bytes, size_t size, const std::string& name) {
  FEdits.Bump();
  FFileName = name;
  FDecoding = DecodePicture(bytes, size, name, FBits16, *this);
  FHeaderSize = 0;
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
  FEdits.Bump();
  FFileName = fileName;
  FDecoding.clear();
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
  FEdits.Bump();
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
  FEdits.Bump();
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
