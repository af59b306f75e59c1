// TIFF pictures through libtiff, decoded strip by strip or tile by tile straight into the gray
// image or the 16-bit picture: gray and colour, 1 to 16 bits, every compression the library
// has, strips and tiles, classic and BigTIFF, any page of a multi-page file. Each decoding has
// its own library handle and message handlers, so workers decode pictures at the same time.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "base/Convert.h"
#include "base/Error.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"
#include "image/Picturereaders.h"
#include "image/Tiffdirectories.h"
#include "image/Tiffrows.h"

namespace {

// What libtiff reads through, and what it said.
struct TClient {
  const TPictureInput* In = nullptr;
  uint64_t Pos = 0;
  std::string Failure;  // a read of the input that failed (the file changed, an I/O error)
  std::string Error;    // the library's first error
};

void Keep(std::string& into, const char* text) {
  try {  // nothing may escape into the C library
    if (into.empty()) into = text;
  } catch (...) {
  }
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t n) {
  auto* c = static_cast<TClient*>(handle);
  const uint64_t size = static_cast<uint64_t>(c->In->Size);
  if (n <= 0 || c->Pos >= size) return 0;
  const size_t count =
      static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(n), size - c->Pos));
  try {
    if (!c->In->Read(c->Pos, count, static_cast<uint8_t*>(buffer))) return 0;
  } catch (const std::exception& e) {
    Keep(c->Failure, e.what());
    return -1;
  }
  c->Pos += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
  return -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* c = static_cast<TClient*>(handle);
  const uint64_t base = whence == SEEK_CUR   ? c->Pos
                        : whence == SEEK_END ? static_cast<uint64_t>(c->In->Size)
                                             : 0;
  c->Pos = base + offset;
  return c->Pos;
}

int CloseProc(thandle_t) {
  return 0;
}

toff_t SizeProc(thandle_t handle) {
  return static_cast<toff_t>(static_cast<TClient*>(handle)->In->Size);
}

// Bytes held in memory are handed to the library as they are (no copy of uncompressed strips).
int MapProc(thandle_t handle, void** base, toff_t* size) {
  auto* c = static_cast<TClient*>(handle);
  if (c->In->Memory == nullptr) return 0;
  *base = const_cast<uint8_t*>(c->In->Memory);
  *size = static_cast<toff_t>(c->In->Size);
  return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  Keep(static_cast<TClient*>(user)->Error, text);
  return 1;  // handled: nothing reaches the terminal
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) {
  return 1;  // camera makers' private tags are not the user's concern
}

struct TCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
struct TOptionsFree {
  void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

// The most one compressed byte can expand to, by compression; 0 where there is no bound.
int64_t Expansion(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE:
      return 1;
    case COMPRESSION_PACKBITS:
      return 128;
    case COMPRESSION_LZW:
      return 2800;  // a 12-bit code stands for at most 4096 bytes
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE:
      return 1040;
    default:
      return 0;
  }
}

class TTiffReader {
 public:
  TTiffReader(const TPictureInput& in, int32_t page) : FIn(in), FPage(page) { FClient.In = &in; }

  TDecoded Decode(TGrayImage& gray) {
    static std::once_flag quiet;  // handlers of their own for every file; none process-wide
    std::call_once(quiet, [] {
      TIFFSetErrorHandler(nullptr);
      TIFFSetWarningHandler(nullptr);
    });
    const std::vector<uint64_t> pages = TiffDirectories(FIn);
    if (pages.empty()) Fail("no picture directory");
    FPages = static_cast<int32_t>(pages.size());
    if (FPage < 1 || FPage > FPages)
      throw TError("\"" + FIn.Name + "\" has " + IntToStr(FPages) +
                   (FPages == 1 ? " page" : " pages") + ": there is no page " + IntToStr(FPage));
    std::unique_ptr<TIFFOpenOptions, TOptionsFree> options(TIFFOpenOptionsAlloc());
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &FClient);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &FClient);
    // The library's own buffers (a strip's compressed bytes, tag arrays) stay bounded.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t{1} << 30);
    // "h": only the header; the page's directory is read below, so a damaged first page does
    // not keep the others from being read.
    FTiff.reset(TIFFClientOpenExt(FIn.Name.c_str(), FIn.Memory ? "rh" : "rhm", &FClient, ReadProc,
                                  WriteProc, SeekProc, CloseProc, SizeProc, MapProc, UnmapProc,
                                  options.get()));
    if (!FTiff) Fail("unreadable header");
    const uint64_t directory = pages[static_cast<size_t>(FPage - 1)];
    if (!TiffDirectoryComplete(FIn, directory)) Fail("truncated directory");
    if (!TIFFSetSubDirectory(FTiff.get(), directory)) Fail("unreadable directory");
    return DecodePage(gray);
  }

 private:
  [[noreturn]] void Fail(const std::string& fallback) {
    if (!FClient.Failure.empty()) throw TError(FClient.Failure);
    const std::string why = FClient.Error.empty() ? fallback : FClient.Error;
    InvalidPicture(
        FIn.Name, Format(),
        FPages > 1 ? "page " + IntToStr(FPage) + " of " + IntToStr(FPages) + ": " + why : why);
  }

  // BigTIFF is named as such: tools that read only classic TIFF refuse it.
  const char* Format() const {
    uint8_t head[4] = {};
    return FIn.Read(0, 4, head) && (head[2] == 43 || head[3] == 43) ? "BigTIFF" : "TIFF";
  }
  TDecoded DecodePage(TGrayImage& gray);
  void CheckStriles(TIFF* tif, const TTiffLayout& layout);
  // Into gray, or deep while counting its values into counts.
  void ReadBlocks(TIFF* tif, const TTiffLayout& layout, TGrayImage* gray, TGray16Image* deep,
                  uint32_t* counts);
  void ReadRgba(TIFF* tif, const TTiffLayout& layout, TGrayImage& gray);

  const TPictureInput& FIn;
  int32_t FPage;
  int32_t FPages = 1;
  TClient FClient;
  std::unique_ptr<TIFF, TCloser> FTiff;
};

TDecoded TTiffReader::DecodePage(TGrayImage& gray) {
  TIFF* tif = FTiff.get();
  TTiffLayout layout;
  uint32_t width = 0, height = 0;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
    Fail("no picture size");
  layout.Width = width, layout.Height = height;
  uint16_t format = SAMPLEFORMAT_UINT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout.Bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.Samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &layout.Planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &layout.Compression);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &layout.Photometric))
    layout.Photometric = layout.Samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  if (width == 0 || height == 0) Fail("width or height 0");
  CheckPictureSize(width, height, FIn.Name);
  if (format != SAMPLEFORMAT_UINT && format != SAMPLEFORMAT_VOID)
    Fail(IntToStr(layout.Bits) + "-bit " +
         (format == SAMPLEFORMAT_IEEEFP ? "floating-point" : "signed or complex") +
         " samples are not supported");
  if (layout.Bits < 1 || layout.Bits > 16)
    Fail(IntToStr(layout.Bits) + "-bit samples are not supported (at most 16 bits)");
  if (layout.Samples < 1) Fail("no samples per pixel");
  layout.Tiled = TIFFIsTiled(tif) != 0;
  if (layout.Tiled) {
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &layout.BlockWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &layout.BlockHeight);
    layout.RowBytes = TIFFTileRowSize64(tif);
  } else {
    layout.BlockWidth = width;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &layout.BlockHeight);
    layout.BlockHeight = std::clamp<uint32_t>(layout.BlockHeight, 1, height);
    layout.RowBytes = TIFFScanlineSize64(tif);
  }
  if (layout.BlockWidth == 0 || layout.BlockHeight == 0 || layout.RowBytes == 0)
    Fail("no strip or tile size");
  if (layout.Photometric == PHOTOMETRIC_PALETTE && layout.Bits <= 8 && layout.Samples == 1) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b)) Fail("palette picture without palette");
    FillPalette(layout, r, g, b);
  }
  layout.Stride = layout.Planar == PLANARCONFIG_SEPARATE ? 1 : layout.Samples;
  CheckStriles(tif, layout);

  TDecoded result;
  const std::string page =
      FPages > 1 ? " (page " + IntToStr(FPage) + " of " + IntToStr(FPages) + ")" : std::string();
  result.What = IntToStr(layout.Bits) + "-bit " + Format() + page;
  const TTiffKind kind = KindOf(layout);
  if (kind == TTiffKind::Other) {
    ReadRgba(tif, layout, gray);
    result.What = std::string("8-bit ") + Format() + page;
  } else if (IsDeep(layout, kind)) {
    result.Deep = std::make_shared<TGray16Image>();
    result.Deep->SetSize(static_cast<int32_t>(width), static_cast<int32_t>(height));
    result.Deep->SetFullScale((uint32_t{1} << layout.Bits) - 1);
    result.Counts.assign(65536, 0);
    ReadBlocks(tif, layout, nullptr, result.Deep.get(), result.Counts.data());
  } else {
    gray.SetSize(static_cast<int32_t>(width), static_cast<int32_t>(height));
    ReadBlocks(tif, layout, &gray, nullptr, nullptr);
  }
  if (!FClient.Failure.empty()) throw TError(FClient.Failure);
  return result;
}

// Every strip or tile lies in the file, and the data can hold the picture.
void TTiffReader::CheckStriles(TIFF* tif, const TTiffLayout& layout) {
  const uint32_t count = layout.Tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  if (count == 0) Fail("no strips or tiles");
  const uint64_t size = static_cast<uint64_t>(FIn.Size);
  uint64_t total = 0;
  for (uint32_t s = 0; s < count; ++s) {
    int err = 0;
    const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, s, &err);
    const uint64_t bytes = TIFFGetStrileByteCountWithErr(tif, s, &err);
    if (err != 0) Fail("unreadable strip or tile list");
    if (offset > size || bytes > size - offset) Fail("truncated image data");
    total += bytes;
  }
  const int64_t ratio = Expansion(layout.Compression);
  // Tiles and strips of every colour plane: rows of RowBytes each.
  const int64_t planes = layout.Planar == PLANARCONFIG_SEPARATE ? layout.Samples : 1;
  const int64_t decoded =
      static_cast<int64_t>(layout.RowBytes) *
      (layout.Tiled ? int64_t{layout.BlockHeight} * count : int64_t{layout.Height} * planes);
  if (ratio > 0)
    CheckExpansion(FIn.Name, Format(), layout.Width, layout.Height, decoded,
                   static_cast<int64_t>(total), ratio);
}

void TTiffReader::ReadBlocks(TIFF* tif, const TTiffLayout& layout, TGrayImage* gray,
                             TGray16Image* deep, uint32_t* counts) {
  const TTiffKind kind = KindOf(layout);
  const uint32_t w = layout.Width, h = layout.Height;
  const uint32_t bw = layout.BlockWidth, bh = layout.BlockHeight;
  // Strips of one 8- or 16-bit gray sample per pixel decode straight into the picture.
  const bool direct = !layout.Tiled && layout.Stride == 1 && kind == TTiffKind::Gray &&
                      (layout.Bits == 8 || layout.Bits == 16);
  std::vector<uint8_t> block;
  if (!direct) block.resize(static_cast<size_t>(layout.RowBytes) * bh);
  for (uint32_t y0 = 0; y0 < h; y0 += bh) {
    const uint32_t rows = std::min(bh, h - y0);
    for (uint32_t x0 = 0; x0 < w; x0 += bw) {
      const uint32_t cols = std::min(bw, w - x0);
      const uint32_t index =
          layout.Tiled ? TIFFComputeTile(tif, x0, y0, 0, 0) : TIFFComputeStrip(tif, y0, 0);
      uint8_t* into = block.data();
      const tmsize_t want = static_cast<tmsize_t>(layout.RowBytes * (layout.Tiled ? bh : rows));
      if (direct)
        into = deep ? reinterpret_cast<uint8_t*>(deep->Row(static_cast<int32_t>(y0)))
                    : gray->Row(static_cast<int32_t>(y0));
      const tmsize_t got = layout.Tiled ? TIFFReadEncodedTile(tif, index, into, want)
                                        : TIFFReadEncodedStrip(tif, index, into, want);
      if (got < want) Fail("truncated image data");
      for (uint32_t r = 0; r < rows; ++r) {
        const int32_t y = static_cast<int32_t>(y0 + r);
        uint8_t* dst8 = gray ? gray->Row(y) + x0 : nullptr;
        uint16_t* dst16 = deep ? deep->Row(y) + x0 : nullptr;
        const uint8_t* src = direct ? (deep ? reinterpret_cast<const uint8_t*>(dst16)
                                            : static_cast<const uint8_t*>(dst8))
                                    : block.data() + static_cast<size_t>(layout.RowBytes) * r;
        ConvertRow(layout, kind, src, cols, dst8, dst16);
        if (counts) CountRow(dst16, static_cast<int32_t>(cols), counts);
      }
    }
  }
}

// Layouts with no row converter of their own (YCbCr, CMYK, colour planes apart, ...) through
// the library's RGBA reader, which gives 8 bits a channel.
void TTiffReader::ReadRgba(TIFF* tif, const TTiffLayout& layout, TGrayImage& gray) {
  char why[1024] = "";
  if (!TIFFRGBAImageOK(tif, why)) Fail(std::string("unsupported layout: ") + why);
  TIFFRGBAImage rgba;
  if (!TIFFRGBAImageBegin(&rgba, tif, 0, why)) Fail(why);
  // Rows as stored, top first, as for every other layout (the orientation tag is not applied).
  rgba.req_orientation = rgba.orientation;
  std::vector<uint32_t> raster;
  try {
    raster.resize(static_cast<size_t>(layout.Width) * layout.Height);
  } catch (const std::bad_alloc&) {
    TIFFRGBAImageEnd(&rgba);
    throw TError("Not enough memory to decode \"" + FIn.Name + "\"");
  }
  const int ok = TIFFRGBAImageGet(&rgba, raster.data(), layout.Width, layout.Height);
  TIFFRGBAImageEnd(&rgba);
  if (!ok) Fail("unreadable image data");
  gray.SetSize(static_cast<int32_t>(layout.Width), static_cast<int32_t>(layout.Height));
  for (uint32_t y = 0; y < layout.Height; ++y) {
    const uint32_t* src = raster.data() + static_cast<size_t>(y) * layout.Width;
    uint8_t* dst = gray.Row(static_cast<int32_t>(y));
    for (uint32_t x = 0; x < layout.Width; ++x)
      dst[x] =
          static_cast<uint8_t>((TIFFGetB(src[x]) + TIFFGetG(src[x]) + TIFFGetR(src[x]) + 1) / 3);
  }
}

}  // namespace

TDecoded DecodeTiff(const TPictureInput& in, int32_t page, TGrayImage& gray) {
  TTiffReader reader(in, page);
  return reader.Decode(gray);
}
