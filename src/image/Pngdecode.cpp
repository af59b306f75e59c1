// PNG pictures through libpng, row by row straight into the gray image (8 bits and fewer) or
// the 16-bit picture: gray, gray with alpha, palette, RGB and RGBA, interlaced or not. libpng
// reports a damaged file by jumping back to ReadPng; everything that must survive that jump
// lives in TPngState, outside the function that set the jump.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/Error.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"
#include "image/Picturereaders.h"

namespace {

constexpr size_t Window = 1 << 18;  // bytes read from a file at a time

struct TPngState {
  const TPictureInput* In = nullptr;
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  uint64_t Pos = 0;
  char Error[256] = "";  // libpng's message
  std::string Failure;   // the input could not be read (the file changed, an I/O error)
  std::vector<uint8_t> Buffer;
  uint64_t BufferStart = 0;
  std::vector<uint8_t> Rows;  // decoded rows awaiting their conversion to gray
};

void OnError(png_structp png, png_const_charp message) {
  auto* s = static_cast<TPngState*>(png_get_error_ptr(png));
  if (s->Error[0] == '\0') std::snprintf(s->Error, sizeof s->Error, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// n bytes at the read position; false at the end of the input or when it cannot be read.
bool Take(TPngState& s, uint8_t* out, size_t n) {
  const uint64_t size = static_cast<uint64_t>(s.In->Size);
  if (s.Pos > size || n > size - s.Pos) return false;
  if (s.In->Memory) {
    std::memcpy(out, s.In->Memory + s.Pos, n);
    s.Pos += n;
    return true;
  }
  try {
    while (n > 0) {
      if (s.Pos < s.BufferStart || s.Pos >= s.BufferStart + s.Buffer.size()) {
        s.BufferStart = s.Pos;
        s.Buffer.resize(static_cast<size_t>(std::min<uint64_t>(Window, size - s.Pos)));
        s.In->ReadAt(static_cast<int64_t>(s.Pos), s.Buffer.size(), s.Buffer.data());
      }
      const size_t at = static_cast<size_t>(s.Pos - s.BufferStart);
      const size_t part = std::min(n, s.Buffer.size() - at);
      std::memcpy(out, s.Buffer.data() + at, part);
      out += part, n -= part, s.Pos += part;
    }
  } catch (const std::exception& e) {
    try {
      s.Failure = e.what();
    } catch (...) {
    }
    return false;
  }
  return true;
}

void ReadData(png_structp png, png_bytep out, size_t n) {
  auto* s = static_cast<TPngState*>(png_get_io_ptr(png));
  if (!Take(*s, out, n)) png_error(png, "truncated data");
}

uint32_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// One decoded row of channels samples (8 or 16 bits) into gray: the first channel of gray
// (+ alpha), the mean of the first three of RGB (+ alpha).
void ConvertRow(const uint8_t* src, uint32_t width, int channels, bool deep, uint8_t* dst8,
                uint16_t* dst16) {
  for (uint32_t x = 0; x < width; ++x) {
    const uint8_t* p = src + static_cast<size_t>(x) * channels * (deep ? 2 : 1);
    if (deep) {
      dst16[x] = static_cast<uint16_t>(
          channels < 3 ? Load16(p) : (Load16(p) + Load16(p + 2) + Load16(p + 4) + 1) / 3);
    } else {
      dst8[x] = static_cast<uint8_t>(channels < 3 ? p[0] : (p[0] + p[1] + p[2] + 1) / 3);
    }
  }
}

// False when libpng gave up on the file (s.Error says why); raises the size errors itself.
bool ReadPng(TPngState& s, TGrayImage& gray, TDecoded& result) {
  png_structp png = s.Png;
  png_infop info = s.Info;
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &s, ReadData);
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);  // the picture size limit is ours
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colour = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
  CheckPictureSize(width, height, s.In->Name);
  const uint64_t stored = (uint64_t{width} * png_get_channels(png, info) * depth + 7) / 8 + 1;
  CheckExpansion(s.In->Name, "PNG", width, height, static_cast<int64_t>(stored * height),
                 s.In->Size, 1040);
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (depth == 16) png_set_swap(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const int channels = png_get_channels(png, info);
  const bool deep = png_get_bit_depth(png, info) == 16;
  const size_t rowBytes = png_get_rowbytes(png, info);
  result.What = deep ? "16-bit PNG" : "8-bit PNG";
  const int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  if (deep) {
    result.Deep = std::make_shared<TGray16Image>();
    result.Deep->SetSize(w, h);
  } else {
    gray.SetSize(w, h);
  }
  auto destination = [&](int32_t y) -> png_bytep {
    return deep ? reinterpret_cast<png_bytep>(result.Deep->Row(y)) : gray.Row(y);
  };
  if (deep) result.Counts.assign(65536, 0);  // gathered row by row while each is at hand
  if (channels == 1) {                       // every pass straight into the picture
    for (int pass = 0; pass < passes; ++pass)
      for (int32_t y = 0; y < h; ++y) {
        png_read_row(png, destination(y), nullptr);
        if (deep && pass == passes - 1) CountRow(result.Deep->Row(y), w, result.Counts.data());
      }
  } else {
    // Interlaced colour keeps every row until the last pass; otherwise one row at a time.
    const size_t kept = passes > 1 ? static_cast<size_t>(h) : 1;
    s.Rows.resize(rowBytes * kept);
    for (int pass = 0; pass < passes; ++pass)
      for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = s.Rows.data() + (passes > 1 ? rowBytes * static_cast<size_t>(y) : 0);
        png_read_row(png, row, nullptr);
        if (pass < passes - 1) continue;
        ConvertRow(row, width, channels, deep, deep ? nullptr : gray.Row(y),
                   deep ? result.Deep->Row(y) : nullptr);
        if (deep) CountRow(result.Deep->Row(y), w, result.Counts.data());
      }
  }
  png_read_end(png, nullptr);  // the checksums after the pixels, up to the end chunk
  return true;
}

}  // namespace

TDecoded DecodePng(const TPictureInput& in, TGrayImage& gray) {
  TPngState s;
  s.In = &in;
  struct TDestroy {
    TPngState& S;
    ~TDestroy() {
      if (S.Png) png_destroy_read_struct(&S.Png, S.Info ? &S.Info : nullptr, nullptr);
    }
  } destroy{s};
  s.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
  if (s.Png) s.Info = png_create_info_struct(s.Png);
  if (!s.Png || !s.Info) throw TError("Not enough memory to decode \"" + in.Name + "\"");
  TDecoded result;
  if (!ReadPng(s, gray, result)) {
    if (!s.Failure.empty()) throw TError(s.Failure);
    InvalidPicture(in.Name, "PNG", s.Error);
  }
  return result;
}
