#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Changestamp.h"
#include "image/Picturedecode.h"
#include "image/Pixelbuffer.h"

class TGray16Image;
class TSurface;

// The one image type of the system: FWidth x FHeight 8-bit gray pixels, row-major, row 0 at the
// top, with the name of the file it came from. Reads and writes ".bmp" and ".raw" files.
//
// Sizes are checked in 64 bits: a picture of more than MaxPixels pixels, or one that memory
// cannot hold, is refused with an error before anything is allocated or changed.
class TGrayImage {
 public:
  static constexpr int64_t MaxPixels = 0x7FFFFFFF;

  // In memory: named "MemoryPointer", no pixels until both sizes are set.
  TGrayImage();
  // From a file, read as a picture by its content whatever its extension (a bitmap, or a
  // camera picture; bits16 says how 16-bit pictures become 8-bit; page counts from 1, for
  // multi-page TIFF files); "<name>: not exists" when there is no such file.
  explicit TGrayImage(const std::string& fileName, TBits16 bits16 = TBits16::Percentile,
                      int32_t page = 1);
  TGrayImage(const TGrayImage&) = delete;
  TGrayImage& operator=(const TGrayImage&) = delete;

  const std::string& FileName() const { return FFileName; }
  // For an image made in memory that stands for a file (its name goes into code files).
  void SetFileName(const std::string& name) { FFileName = name; }
  int32_t HeaderSize() const { return FHeaderSize; }
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  int32_t Size() const { return FSize; }
  // The pixel buffer (FSize bytes); contents undefined after a size change until written.
  // Handing out the pixels for writing counts as a change (see Edits()).
  uint8_t* Data() {
    FEdits.Bump();
    return FData.get();
  }
  const uint8_t* Data() const { return FData.get(); }
  uint8_t* Row(int32_t y) {
    FEdits.Bump();
    return FData.get() + static_cast<size_t>(y) * FWidth;
  }
  const uint8_t* Row(int32_t y) const { return FData.get() + static_cast<size_t>(y) * FWidth; }

  // Changes whenever the pixels or the size may have changed.
  TStampValue Edits() const { return FEdits.Value(); }

  // How the pixels were decoded from the last picture file ("8-bit bitmap", "16-bit TIFF,
  // percentiles ..."); empty for an image made in memory or read from a raw file.
  const std::string& Decoding() const { return FDecoding; }
  TBits16 Bits16() const { return FBits16; }
  void SetBits16(TBits16 rule) { FBits16 = rule; }
  // The picture as the camera gave it when the file held more than 8 bits a pixel (null
  // otherwise): what refined centroids measure on. It stays the picture as read while the gray
  // pixels are segmented or filtered, and goes when the size changes.
  const TGray16Image* Deep() const { return FDeep.get(); }
  const std::shared_ptr<const TGray16Image>& SharedDeep() const { return FDeep; }
  void SetDeep(std::shared_ptr<const TGray16Image> deep) { FDeep = std::move(deep); }

  // Both sides at once (negative gives 0), one fresh uninitialised buffer; on failure the old
  // pixels and size stay.
  void SetSize(int32_t w, int32_t h);
  // Takes the pixels, the size and the deep picture of other, which is left empty.
  void TakePixels(TGrayImage& other);
  // Set one side (negative gives 0) and allocate a fresh, uninitialised buffer.
  void SetWidth(int32_t w);
  void SetHeight(int32_t h);
  void SetHeaderSize(int32_t n) { FHeaderSize = n; }

  // Range-checked access; "(x,y) not in the gray image" outside.
  uint8_t GetPixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, uint8_t v);

  // By extension, case ignored: ".bmp", ".raw" or a camera picture (".png", ".tif", ".tiff",
  // ".pgm", ".ppm", ".jpg", ".jpeg"), otherwise "only support raw and bmp files". Saving writes
  // ".bmp" and ".raw" only.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

  // Decodes the file by its content (see DecodePicture), reading it once, piece by piece; gray =
  // (B + G + R + 1) div 3. On failure the pixels and the size are unchanged (the name is already
  // the new one).
  void LoadPicture(const std::string& fileName, int32_t page = 1);
  // A bitmap file; read as LoadPicture does, so a picture of another format opens as well.
  void LoadBmp(const std::string& fileName);
  // The same decoding from bytes held in memory (name is used in messages and kept as FFileName).
  void LoadBmpFromMemory(const uint8_t* bytes, size_t size, const std::string& name);
  // Uncompressed 24-bit bitmap with red = green = blue.
  void SaveBmp(const std::string& fileName) const;
  // FHeaderSize bytes, then FWidth x FHeight pixels; the size must already be set. Pixels that a
  // short file does not cover become 0; bytes beyond the image are ignored.
  void LoadRaw(const std::string& fileName);
  void SaveRaw(const std::string& fileName) const;

  // Sum of the pixels of the inclusive rectangle, clipped to the image; 0 when empty.
  int64_t SumRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  // Fills the inclusive rectangle, clipped to the image, with v.
  void FillRect(uint8_t v, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Histogram(std::array<int32_t, 256>& counts) const;
  // Median of a wx x wy window (each made odd, at least 1); pixels without a full window keep
  // their values.
  void MedianFilter(int32_t wx, int32_t wy);
  // Draws the image at (0, 0) of the surface; nothing without a surface.
  void Repaint(TSurface* surface) const;

 private:
  void Allocate(int32_t width, int32_t height);

  std::string FFileName;
  int32_t FHeaderSize = 0;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  int32_t FSize = 0;
  TPixelBuffer<uint8_t> FData;
  TChangeStamp FEdits;
  TBits16 FBits16 = TBits16::Percentile;
  std::string FDecoding;
  std::shared_ptr<const TGray16Image> FDeep;
};

// The extensions, in lower case with the dot, of the camera pictures LoadFromFile reads.
bool IsCameraPictureExt(const std::string& ext);

// Refuses a picture of width x height pixels that cannot be held, naming what, before anything
// is allocated. Used by every path that sizes an image.
void CheckImageSize(int64_t width, int64_t height, const std::string& what);
