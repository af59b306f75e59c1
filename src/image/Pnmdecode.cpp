#include <algorithm>
#include <cstring>
#include <string>

#include "base/Convert.h"
#include "base/Error.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"

namespace {

// The header fields of a binary PGM (P5) or PPM (P6): numbers separated by white space, with
// "#" comments to the end of a line; one white-space byte ends the header.
class THeaderReader {
 public:
  THeaderReader(const uint8_t* bytes, size_t size) : FBytes(bytes), FSize(size) {}
  bool Number(int64_t& value) {
    for (;;) {
      while (FPos < FSize && std::strchr(" \t\r\n\v\f", FBytes[FPos]) != nullptr) ++FPos;
      if (FPos < FSize && FBytes[FPos] == '#') {
        while (FPos < FSize && FBytes[FPos] != '\n' && FBytes[FPos] != '\r') ++FPos;
        continue;
      }
      break;
    }
    if (FPos >= FSize || FBytes[FPos] < '0' || FBytes[FPos] > '9') return false;
    value = 0;
    while (FPos < FSize && FBytes[FPos] >= '0' && FBytes[FPos] <= '9') {
      value = value * 10 + (FBytes[FPos++] - '0');
      if (value > (int64_t{1} << 40)) return false;
    }
    return true;
  }
  size_t Pos() const { return FPos; }
  void Skip() { ++FPos; }

 private:
  const uint8_t* FBytes;
  size_t FSize;
  size_t FPos = 2;
};

}  // namespace

bool DecodePnm16(const uint8_t* bytes, size_t size, const std::string& name, TBits16 rule,
                 TGrayImage& image, std::string& how) {
  if (size < 3 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return false;
  THeaderReader header(bytes, size);
  int64_t width = 0, height = 0, maxValue = 0;
  if (!header.Number(width) || !header.Number(height) || !header.Number(maxValue))
    return false;  // Qt's reader gives the message for a broken header
  if (maxValue < 256) return false;
  const auto invalid = [&](const std::string& why) {
    throw TError("\"" + name + "\" is not a valid PGM/PPM file (" + why + ")");
  };
  if (maxValue > 65535) invalid("largest value " + IntToStr(maxValue) + " above 65535");
  if (width <= 0 || height <= 0) invalid("width or height 0");
  CheckImageSize(width, height, "The picture \"" + name + "\"");
  header.Skip();  // the one white-space byte before the samples
  const int64_t channels = bytes[1] == '6' ? 3 : 1;
  const size_t start = header.Pos();
  if (start > size || static_cast<int64_t>(size - start) < width * height * channels * 2)
    invalid("truncated data");

  // Samples are big-endian; they are stretched to 16 bits so that both rules see 0..65535.
  const uint32_t top = static_cast<uint32_t>(maxValue);
  const int32_t w = static_cast<int32_t>(width);
  how = MapGray16(
      w, static_cast<int32_t>(height),
      [&](int32_t y, uint16_t* row) {
        const uint8_t* p = bytes + start + static_cast<size_t>(y) * w * channels * 2;
        for (int32_t x = 0; x < w; ++x) {
          uint32_t sum = 0;
          for (int64_t c = 0; c < channels; ++c, p += 2)
            sum += std::min<uint32_t>((uint32_t{p[0]} << 8) | p[1], top);
          const uint32_t v = channels == 3 ? (sum + 1) / 3 : sum;
          row[x] = static_cast<uint16_t>((v * 65535u + top / 2) / top);
        }
      },
      rule, image);
  how = "16-bit PGM/PPM (largest value " + IntToStr(maxValue) + "), " + how;
  return true;
}
