// Binary PGM (P5) and PPM (P6) pictures of every depth, read straight into the gray image
// (largest value up to 255) or the 16-bit picture (up to 65535). Everything the header says is
// checked against the file's size before anything is allocated.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/Convert.h"
#include "base/Error.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"
#include "image/Picturereaders.h"

namespace {

constexpr size_t HeadBytes = 4096;  // a header longer than this is refused
constexpr size_t Block = 1 << 20;   // pixel bytes read from a file at a time

// Numbers separated by white space, with "#" comments to the end of a line.
class THeaderReader {
 public:
  THeaderReader(const uint8_t* bytes, size_t size) : FBytes(bytes), FSize(size) {}
  bool Number(int64_t& value) {
    for (;;) {
      while (FPos < FSize && IsSpace(FBytes[FPos])) ++FPos;
      if (FPos < FSize && FBytes[FPos] == '#') {
        while (FPos < FSize && FBytes[FPos] != '\n' && FBytes[FPos] != '\r') ++FPos;
        continue;
      }
      break;
    }
    if (FPos >= FSize || FBytes[FPos] < '0' || FBytes[FPos] > '9') return false;
    value = 0;
    while (FPos < FSize && FBytes[FPos] >= '0' && FBytes[FPos] <= '9') {
      value = std::min<int64_t>(value * 10 + (FBytes[FPos++] - '0'), int64_t{1} << 40);
    }
    return true;
  }
  // The one white-space byte that ends the header.
  bool End() { return FPos < FSize && IsSpace(FBytes[FPos++]); }
  size_t Pos() const { return FPos; }

 private:
  static bool IsSpace(uint8_t c) { return c != 0 && std::strchr(" \t\r\n\v\f", c) != nullptr; }
  const uint8_t* FBytes;
  size_t FSize;
  size_t FPos = 2;
};

}  // namespace

bool DecodePnm(const TPictureInput& in, TGrayImage& gray, TDecoded& result) {
  uint8_t head[HeadBytes];
  const size_t headSize = static_cast<size_t>(std::min<int64_t>(in.Size, HeadBytes));
  if (headSize < 2 || !in.Read(0, headSize, head) || head[0] != 'P' ||
      (head[1] != '5' && head[1] != '6'))
    return false;
  const auto invalid = [&](const std::string& why) { InvalidPicture(in.Name, "PGM/PPM", why); };
  THeaderReader header(head, headSize);
  int64_t width = 0, height = 0, top = 0;
  if (!header.Number(width) || !header.Number(height) || !header.Number(top) || !header.End())
    invalid("header without width, height and largest value");
  if (top < 1 || top > 65535) invalid("largest value " + IntToStr(top) + ": it must be 1 to 65535");
  if (width <= 0 || height <= 0) invalid("width or height 0");
  CheckPictureSize(width, height, in.Name);
  const int64_t channels = head[1] == '6' ? 3 : 1, bytes = top > 255 ? 2 : 1;
  const int64_t rowBytes = width * channels * bytes;
  const int64_t start = static_cast<int64_t>(header.Pos());
  if (in.Size - start < rowBytes * height)
    invalid("truncated data: " + IntToStr(std::max<int64_t>(in.Size - start, 0)) + " of " +
            IntToStr(rowBytes * height) + " bytes of pixels");

  const int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  const uint32_t maxValue = static_cast<uint32_t>(top);
  if (bytes == 2) {
    result.Deep = std::make_shared<TGray16Image>();
    result.Deep->SetSize(w, h);
    result.Deep->SetFullScale(maxValue);
    result.What = "16-bit PGM/PPM (largest value " + IntToStr(top) + ")";
  } else {
    gray.SetSize(w, h);
    result.What = "8-bit PGM/PPM";
  }
  // 8-bit values as the former reader gave them: v x 255 div the largest value.
  uint8_t scale[256];
  for (uint32_t v = 0; v < 256; ++v)
    scale[v] = static_cast<uint8_t>(std::min(v, maxValue) * 255 / maxValue);
  const bool plain = bytes == 1 && channels == 1 && maxValue == 255;
  const int64_t rowsPerBlock = std::max<int64_t>(1, static_cast<int64_t>(Block) / rowBytes);
  std::vector<uint8_t> block;
  if (!plain) block.resize(static_cast<size_t>(std::min<int64_t>(rowsPerBlock, height) * rowBytes));
  for (int32_t y0 = 0; y0 < h; y0 += static_cast<int32_t>(rowsPerBlock)) {
    const int32_t rows = static_cast<int32_t>(std::min<int64_t>(rowsPerBlock, h - y0));
    const uint64_t at = static_cast<uint64_t>(start + rowBytes * y0);
    uint8_t* into = plain ? gray.Row(y0) : block.data();
    if (!in.Read(at, static_cast<size_t>(rowBytes * rows), into)) invalid("truncated data");
    if (plain) continue;
    for (int32_t r = 0; r < rows; ++r) {
      const uint8_t* p = block.data() + rowBytes * r;
      if (bytes == 1) {
        uint8_t* dst = gray.Row(y0 + r);
        for (int32_t x = 0; x < w; ++x, p += channels)
          dst[x] = channels == 1
                       ? scale[p[0]]
                       : static_cast<uint8_t>((scale[p[0]] + scale[p[1]] + scale[p[2]] + 1) / 3);
        continue;
      }
      uint16_t* dst = result.Deep->Row(y0 + r);
      for (int32_t x = 0; x < w; ++x) {  // big-endian samples, values above the largest clipped
        uint32_t sum = 0;
        for (int64_t c = 0; c < channels; ++c, p += 2)
          sum += std::min<uint32_t>((uint32_t{p[0]} << 8) | p[1], maxValue);
        dst[x] = static_cast<uint16_t>(channels == 3 ? (sum + 1) / 3 : sum);
      }
    }
  }
  return true;
}
