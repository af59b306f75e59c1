#include "image/Picturedecode.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/Convert.h"
#include "base/Error.h"
#include "base/Readfile.h"
#include "image/Bmpdecode.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturereaders.h"

const char* const SupportedPictureFormats =
    "Windows bitmap (.bmp), PNG (.png), TIFF (.tif, .tiff), PGM/PPM (.pgm, .ppm) and JPEG (.jpg, "
    ".jpeg), 8 or 16 bits, gray or colour";

// JPEG and the text and 1-bit kinds of PGM/PPM/PBM, through Qt's readers (Qtdecode.cpp).
TDecoded DecodeWithQt(const uint8_t* bytes, size_t size, const std::string& name, bool jpeg,
                      TGrayImage& gray);

namespace {

std::atomic<int64_t> PixelLimit{0};  // 0: not yet decided
std::mutex HintGuard;
std::string RaiseHint = "the environment variable LATTICOR_MAX_PIXELS=N reads larger ones";

enum class TFormat { Bmp, Tiff, Png, Pnm, Jpeg, OtherPnm, Unknown };

// By the first bytes only: the extension of a camera file is often wrong or missing.
TFormat Sniff(const uint8_t* b, size_t n) {
  auto starts = [&](const char* magic, size_t len) {
    return n >= len && std::memcmp(b, magic, len) == 0;
  };
  if (starts("BM", 2)) return TFormat::Bmp;
  if (starts("\x89PNG\r\n\x1a\n", 8)) return TFormat::Png;
  if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4))
    return TFormat::Tiff;
  if (starts("\xFF\xD8\xFF", 3)) return TFormat::Jpeg;
  if (n >= 2 && b[0] == 'P' && (b[1] == '5' || b[1] == '6')) return TFormat::Pnm;
  if (n >= 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '4') return TFormat::OtherPnm;
  return TFormat::Unknown;
}

void OnePage(const std::string& name, int32_t page) {
  if (page != 1) throw TError("\"" + name + "\" has 1 page: there is no page " + IntToStr(page));
}

}  // namespace

bool TPictureInput::Read(uint64_t offset, size_t n, uint8_t* into) const {
  if (offset > static_cast<uint64_t>(Size) || n > static_cast<uint64_t>(Size) - offset)
    return false;
  if (Memory)
    std::memcpy(into, Memory + offset, n);
  else
    ReadAt(static_cast<int64_t>(offset), n, into);
  return true;
}

void InvalidPicture(const std::string& name, const char* format, const std::string& why) {
  throw TError("\"" + name + "\" is not a valid " + format + " file (" + why + ")");
}

void CheckExpansion(const std::string& name, const char* format, int64_t width, int64_t height,
                    int64_t decodedBytes, int64_t compressedBytes, int64_t ratio) {
  if (decodedBytes / ratio > compressedBytes + 4096)
    InvalidPicture(name, format,
                   IntToStr(width) + " x " + IntToStr(height) + " pixels cannot come from " +
                       IntToStr(compressedBytes) + " bytes of data");
}

int64_t MaxPicturePixels() {
  int64_t limit = PixelLimit.load();
  if (limit > 0) return limit;
  limit = DefaultMaxPicturePixels;
  if (const char* text = std::getenv("LATTICOR_MAX_PIXELS")) {
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end != text && *end == '\0' && value > 0) limit = value;
  }
  limit = std::min(limit, TGrayImage::MaxPixels);
  int64_t unset = 0;
  PixelLimit.compare_exchange_strong(unset, limit);
  return PixelLimit.load();
}

void SetMaxPicturePixels(int64_t pixels, const std::string& howToRaise) {
  PixelLimit = pixels > 0 ? std::min(pixels, TGrayImage::MaxPixels) : 0;
  if (!howToRaise.empty()) {
    std::lock_guard<std::mutex> lock(HintGuard);
    RaiseHint = howToRaise;
  }
}

void CheckPictureSize(int64_t width, int64_t height, const std::string& name) {
  const int64_t limit = MaxPicturePixels();
  if (width < 0 || height < 0 || (height > 0 && width > limit / height)) {
    std::lock_guard<std::mutex> lock(HintGuard);
    throw TError("The picture \"" + name + "\" is too large: " + IntToStr(width) + " x " +
                 IntToStr(height) + " pixels (at most " + IntToStr(limit) + " pixels are read; " +
                 RaiseHint + ")");
  }
}

std::string DecodeInput(const TPictureInput& in, int32_t page, TBits16 rule, TGrayImage& image) {
  uint8_t head[16] = {};
  const size_t headSize = static_cast<size_t>(std::min<int64_t>(in.Size, sizeof head));
  in.Read(0, headSize, head);
  const TFormat format = Sniff(head, headSize);
  if (format == TFormat::Unknown)
    throw TError("\"" + in.Name + "\" is not a picture this system reads; supported are " +
                 SupportedPictureFormats);
  if (format != TFormat::Tiff) OnePage(in.Name, page);
  TDecoded decoded;
  if (format == TFormat::Bmp) {
    bool done = false;
    if (in.Memory) {
      DecodeBmp(in.Memory, static_cast<size_t>(in.Size), in.Name, image);
      done = true;
    } else {
      // Block by block as it is read: the file never sits in memory whole.
      std::vector<uint8_t> bmpHead(static_cast<size_t>(std::min<int64_t>(in.Size, BmpHeadBytes)));
      in.Read(0, bmpHead.size(), bmpHead.data());
      done = DecodeBmpRows(bmpHead.data(), bmpHead.size(), in.Size, in.ReadAt, in.Name, image);
    }
    if (done) return "8-bit bitmap";
  }
  if (format == TFormat::Tiff) {
    decoded = DecodeTiff(in, page, image);
  } else if (format == TFormat::Png) {
    decoded = DecodePng(in, image);
  } else if (format != TFormat::Pnm || !DecodePnm(in, image, decoded)) {
    // The rest is decoded from the whole file in memory.
    std::unique_ptr<uint8_t[]> whole;
    const uint8_t* bytes = in.Memory;
    if (!bytes) {
      whole = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(in.Size) + 1);
      in.Read(0, static_cast<size_t>(in.Size), whole.get());
      bytes = whole.get();
    }
    if (format == TFormat::Bmp) {  // a run-length bitmap
      DecodeBmp(bytes, static_cast<size_t>(in.Size), in.Name, image);
      return "8-bit bitmap";
    }
    decoded =
        DecodeWithQt(bytes, static_cast<size_t>(in.Size), in.Name, format == TFormat::Jpeg, image);
  }
  if (!decoded.Deep) return decoded.What;
  const std::string how =
      decoded.What + ", " +
      MapGray16(*decoded.Deep, rule, image,
                decoded.Counts.size() == 65536 ? decoded.Counts.data() : nullptr);
  image.SetDeep(std::move(decoded.Deep));
  return how;
}

std::string DecodePicture(const uint8_t* bytes, size_t size, const std::string& name, TBits16 rule,
                          TGrayImage& image, int32_t page) {
  TPictureInput in;
  in.Name = name;
  in.Size = static_cast<int64_t>(size);
  in.Memory = bytes;
  TGrayImage fresh;
  const std::string how = DecodeInput(in, page, rule, fresh);
  image.TakePixels(fresh);
  return how;
}

TPictureInput FileInput(const TReadFile& file) {
  TPictureInput in;
  in.Name = file.Path();
  in.Size = file.Size();
  in.ReadAt = [&file](int64_t offset, size_t size, uint8_t* into) {
    file.ReadAt(offset, size, into);
  };
  const struct stat& s = file.Status();
  in.Identity = std::to_string(s.st_dev) + ":" + std::to_string(s.st_ino) + ":" +
                std::to_string(s.st_size) + ":" + std::to_string(s.st_mtim.tv_sec) + "." +
                std::to_string(s.st_mtim.tv_nsec) + ":" + std::to_string(s.st_ctim.tv_sec) + "." +
                std::to_string(s.st_ctim.tv_nsec);
  return in;
}

int32_t PictureFilePages(const std::string& path) {
  try {
    const TReadFile file(path);
    if (!file.IsRegular()) return 1;
    const TPictureInput in = FileInput(file);
    uint8_t head[4] = {};
    if (!in.Read(0, sizeof head, head) || Sniff(head, sizeof head) != TFormat::Tiff) return 1;
    return std::max(TiffPages(in), 1);
  } catch (const std::exception&) {
    return 1;
  }
}
