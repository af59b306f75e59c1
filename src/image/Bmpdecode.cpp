#include "image/Bmpdecode.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>

#include "base/Convert.h"
#include "base/Error.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"

void Gray24Row(const uint8_t* src, uint8_t* dst, int32_t width);

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

uint8_t Gray(uint32_t b, uint32_t g, uint32_t r) {
  return static_cast<uint8_t>((b + g + r + 1) / 3);
}

// One colour channel of a bit-field pixel as the former reader widened it to 8 bits: the field,
// shifted down to its lowest bit, times 256 div (its largest value + 1); 5 bits give 0..248 and
// fields of more than 8 bits give 0.
struct TChannel {
  uint32_t Mask = 0;
  uint32_t Shift = 0;
  uint32_t Scale = 0;

  explicit TChannel(uint32_t mask) : Mask(mask) {
    while (mask != 0 && (mask & 1) == 0) ++Shift, mask >>= 1;
    Scale = static_cast<uint32_t>(256 / (uint64_t{mask} + 1));
  }
  uint32_t operator()(uint32_t pixel) const { return (((pixel & Mask) >> Shift) * Scale) & 0xFF; }
};

struct TLayout {
  int64_t Width = 0, Height = 0;  // Height > 0: rows stored bottom-up
  uint32_t Bits = 0, Compression = 0;
  uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
  int64_t Colours = 0;            // colour-table entries (palette pictures)
  int64_t TablePos = 0, EntrySize = 4, DataPos = 0;
};

TLayout ReadLayout(const uint8_t* h, size_t size, int64_t fileSize, const std::string& name) {
  // h holds the first min(fileSize, BmpHeadBytes) bytes, every header byte read below.
  if (size < 2 || h[0] != 'B' || h[1] != 'M') NotABitmap(name, "no bitmap signature");
  if (size < 18) NotABitmap(name, "truncated header");
  const uint32_t infoSize = Get32(h + 14);
  TLayout b;
  uint32_t planes = 1, used = 0;
  if (infoSize == 12) {
    if (fileSize < 26) NotABitmap(name, "truncated header");
    b.Width = static_cast<int16_t>(Get16(h + 18));
    b.Height = static_cast<int16_t>(Get16(h + 20));
    planes = Get16(h + 22);
    b.Bits = Get16(h + 24);
    b.EntrySize = 3;
  } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 ||
             infoSize == 108 || infoSize == 124) {
    if (fileSize < 14 + int64_t{infoSize}) NotABitmap(name, "truncated header");
    b.Width = static_cast<int32_t>(Get32(h + 18));
    b.Height = static_cast<int32_t>(Get32(h + 22));
    planes = Get16(h + 26);
    b.Bits = Get16(h + 28);
    b.Compression = Get32(h + 30);
    used = Get32(h + 46);
    if (infoSize != 40 && infoSize != 64)
      for (int c = 0; c < 3; ++c) b.Masks[c] = Get32(h + 54 + 4 * c);
  } else {
    NotABitmap(name, "unknown header");
  }
  if (b.Bits != 1 && b.Bits != 4 && b.Bits != 8 && b.Bits != 16 && b.Bits != 24 && b.Bits != 32)
    NotABitmap(name, "unsupported bit depth " + IntToStr(b.Bits));
  if (planes != 1) NotABitmap(name, "unsupported number of planes " + IntToStr(planes));
  const uint32_t c = b.Compression;
  if (!(c == 0 || (c == 1 && b.Bits == 8) || (c == 2 && b.Bits == 4) ||
        (c == 3 && (b.Bits == 16 || b.Bits == 32))))
    NotABitmap(name, "unsupported compression " + IntToStr(c) + " for " + IntToStr(b.Bits) +
                         " bits per pixel");
  if (b.Height == INT_MIN) NotABitmap(name, "height out of range");
  if (b.Width <= 0 || b.Height == 0) NotABitmap(name, "width or height 0");
  CheckImageSize(b.Width, b.Height < 0 ? -b.Height : b.Height, "The bitmap \"" + name + "\"");

  // What follows the information header: the colour masks of a short header, or the colour
  // table; the pixels start at the offset of the file header, but never inside either.
  int64_t pos = 14 + int64_t{infoSize};
  b.TablePos = pos;
  if (c == 3 && (infoSize == 40 || infoSize == 64)) {
    if (fileSize < pos + 12) NotABitmap(name, "truncated header");
    for (int k = 0; k < 3; ++k) b.Masks[k] = Get32(h + pos + 4 * k);
    pos += 12;
  }
  if (b.Bits <= 8) {
    b.Colours = used != 0 ? used : int64_t{1} << b.Bits;
    if (b.Colours > 256) NotABitmap(name, "colour table of " + IntToStr(b.Colours) + " entries");
    pos += b.Colours * b.EntrySize;
    if (pos > fileSize) NotABitmap(name, "truncated header");
  }
  const int64_t offset = Get32(h + 10);
  if (offset < 14 + int64_t{infoSize}) NotABitmap(name, "pixel data inside the header");
  b.DataPos = std::max(offset, pos);
  if (c == 0 || c == 3) {
    const int64_t stride = ((b.Width * b.Bits + 31) / 32) * 4;
    const int64_t rows = b.Height < 0 ? -b.Height : b.Height;
    if (b.DataPos + stride * rows > fileSize) NotABitmap(name, "truncated pixel data");
  } else if (b.DataPos >= fileSize) {
    NotABitmap(name, "truncated pixel data");
  }
  CheckPictureSize(b.Width, b.Height < 0 ? -b.Height : b.Height, name);
  return b;
}

// Gray row y (0 = top) of file row r.
int32_t ImageRow(const TLayout& b, int64_t r) {
  return static_cast<int32_t>(b.Height > 0 ? b.Height - 1 - r : r);
}

void FillTable(const TLayout& b, const uint8_t* head, uint8_t* table) {
  for (int64_t i = 0; i < b.Colours; ++i) {
    const uint8_t* e = head + b.TablePos + i * b.EntrySize;
    table[i] = Gray(e[0], e[1], e[2]);
  }
  if (b.Bits == 1 && b.Colours == 1) table[1] = 255;  // a two-colour picture with one colour given
}

// Decodes the rows of a plain bitmap; fileRow(r) gives the bytes of file row r, asked for in
// increasing r.
void DecodeRows(const TLayout& b, const uint8_t* head, TGrayImage& image,
                const std::function<const uint8_t*(int64_t r)>& fileRow) {
  const int64_t rows = b.Height < 0 ? -b.Height : b.Height;
  uint8_t table[256] = {};
  FillTable(b, head, table);
  const int32_t w = static_cast<int32_t>(b.Width);
  // 16-bit pixels go through a table of all 65536 values.
  std::unique_ptr<uint8_t[]> gray16;
  if (b.Bits == 16) {
    const TChannel red(b.Masks[0]), green(b.Masks[1]), blue(b.Masks[2]);
    gray16 = std::make_unique<uint8_t[]>(65536);
    for (uint32_t v = 0; v < 65536; ++v)
      gray16[v] = b.Compression == 3
                      ? Gray(blue(v), green(v), red(v))
                      : Gray((v & 0x1F) << 3, ((v >> 5) & 0x1F) << 3, ((v >> 10) & 0x1F) << 3);
  }
  const TChannel red(b.Masks[0]), green(b.Masks[1]), blue(b.Masks[2]);
  TGrayImage fresh;
  fresh.SetSize(w, static_cast<int32_t>(rows));
  for (int64_t r = 0; r < rows; ++r) {
    const uint8_t* src = fileRow(r);
    uint8_t* dst = fresh.Row(ImageRow(b, r));
    switch (b.Bits) {
      case 1:
        for (int32_t x = 0; x < w; ++x) dst[x] = table[(src[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int32_t x = 0; x < w; ++x) dst[x] = table[(src[x >> 1] >> (x & 1 ? 0 : 4)) & 15];
        break;
      case 8:
        for (int32_t x = 0; x < w; ++x) dst[x] = table[src[x]];
        break;
      case 16:
        for (int32_t x = 0; x < w; ++x) dst[x] = gray16[Get16(src + 2 * x)];
        break;
      case 24:
        Gray24Row(src, dst, w);
        break;
      default:  // 32
        if (b.Compression == 0) {
          for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = src + 4 * x;
            dst[x] = static_cast<uint8_t>((uint32_t{p[0]} + p[1] + p[2] + 1) * 43691u >> 17);
          }
        } else {
          for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = Get32(src + 4 * x);
            dst[x] = Gray(blue(v), green(v), red(v));
          }
        }
    }
  }
  image.TakePixels(fresh);
}

}  // namespace

void DecodeBmpRunLength(const uint8_t* bytes, size_t size, const std::string& name, int64_t dataPos,
                        int64_t width, int64_t height, bool fourBits, const uint8_t* table,
                        TGrayImage* image);

bool DecodeBmpRows(const uint8_t* head, size_t headSize, int64_t fileSize, const TReadAt& readAt,
                   const std::string& name, TGrayImage& image) {
  const TLayout b = ReadLayout(head, headSize, fileSize, name);
  if (b.Compression == 1 || b.Compression == 2) return false;
  const int64_t stride = ((b.Width * b.Bits + 31) / 32) * 4;
  const int64_t rows = b.Height < 0 ? -b.Height : b.Height;
  // Blocks of rows of about 1 MB: little memory, and each block is decoded while it is cached.
  const int64_t perBlock = std::clamp<int64_t>((int64_t{1} << 20) / stride, 1, rows);
  std::unique_ptr<uint8_t[]> block;
  try {
    block = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(perBlock * stride));
  } catch (const std::bad_alloc&) {
    throw TError("Not enough memory to decode \"" + name + "\"");
  }
  DecodeRows(b, head, image, [&](int64_t r) -> const uint8_t* {
    const int64_t first = r - r % perBlock;
    if (r == first) {
      const int64_t n = std::min(perBlock, rows - first);
      readAt(b.DataPos + first * stride, static_cast<size_t>(n * stride), block.get());
    }
    return block.get() + (r - first) * stride;
  });
  return true;
}

void DecodeBmp(const uint8_t* bytes, size_t size, const std::string& name, TGrayImage& image) {
  const TLayout b = ReadLayout(bytes, size, static_cast<int64_t>(size), name);
  const int64_t rows = b.Height < 0 ? -b.Height : b.Height;
  if (b.Compression == 1 || b.Compression == 2) {
    uint8_t table[256] = {};
    FillTable(b, bytes, table);
    // Checked in full first (nullptr), so that a broken stream leaves the image as it was.
    DecodeBmpRunLength(bytes, size, name, b.DataPos, b.Width, b.Height, b.Compression == 2, table,
                       nullptr);
    image.SetSize(static_cast<int32_t>(b.Width), static_cast<int32_t>(rows));
    DecodeBmpRunLength(bytes, size, name, b.DataPos, b.Width, b.Height, b.Compression == 2, table,
                       &image);
    return;
  }
  const int64_t stride = ((b.Width * b.Bits + 31) / 32) * 4;
  DecodeRows(b, bytes, image,
             [&](int64_t r) -> const uint8_t* { return bytes + b.DataPos + r * stride; });
}
