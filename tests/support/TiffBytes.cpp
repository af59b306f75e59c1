#include "support/TiffBytes.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

// Values [from, from + count) of a page's samples packed as the file stores them.
std::vector<uint8_t> Packed(const TTiffPage& p, size_t from, size_t count, size_t perRow) {
  std::vector<uint8_t> out;
  for (size_t row = 0; row < count / perRow; ++row) {
    uint64_t bit = 0;
    std::vector<uint8_t> line((perRow * p.Bits + 7) / 8, 0);
    for (size_t i = 0; i < perRow; ++i) {
      const uint32_t v = p.Values[from + row * perRow + i];
      if (p.Bits == 16) {
        const uint16_t native = static_cast<uint16_t>(v);
        std::memcpy(line.data() + 2 * i, &native, 2);
        continue;
      }
      for (int b = p.Bits - 1; b >= 0; --b, ++bit)
        if ((v >> b) & 1) line[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

}  // namespace

TTiffPage GrayPage(int32_t width, int32_t height, int bits, const std::vector<uint16_t>& values) {
  TTiffPage page;
  page.Width = width, page.Height = height, page.Bits = bits, page.Values = values;
  return page;
}

std::string TiffBytes(const std::vector<TTiffPage>& pages, bool bigTiff) {
  char path[] = "/tmp/latticor-tiff-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) throw std::runtime_error("no temporary file");
  close(fd);
  TIFF* tif = TIFFOpen(path, bigTiff ? "w8" : "w");
  for (const TTiffPage& p : pages) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.Width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.Height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.Bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.Samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.Photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, p.Compression);
    if (pages.size() > 1) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    const size_t perPixel = static_cast<size_t>(p.Samples);
    if (p.Tile > 0) {
      TIFFSetField(tif, TIFFTAG_TILEWIDTH, p.Tile);
      TIFFSetField(tif, TIFFTAG_TILELENGTH, p.Tile);
      for (int32_t ty = 0; ty < p.Height; ty += p.Tile)
        for (int32_t tx = 0; tx < p.Width; tx += p.Tile) {
          TTiffPage tile = p;  // the tile's samples, zero beyond the picture
          tile.Values.assign(static_cast<size_t>(p.Tile) * p.Tile * perPixel, 0);
          for (int32_t y = 0; y < p.Tile && ty + y < p.Height; ++y)
            for (int32_t x = 0; x < p.Tile && tx + x < p.Width; ++x)
              for (size_t s = 0; s < perPixel; ++s)
                tile.Values[(static_cast<size_t>(y) * p.Tile + x) * perPixel + s] =
                    p.Values[(static_cast<size_t>(ty + y) * p.Width + tx + x) * perPixel + s];
          std::vector<uint8_t> bytes =
              Packed(tile, 0, tile.Values.size(), static_cast<size_t>(p.Tile) * perPixel);
          TIFFWriteTile(tif, bytes.data(), static_cast<uint32_t>(tx), static_cast<uint32_t>(ty), 0,
                        0);
        }
    } else {
      const int32_t rows = p.RowsPerStrip > 0 ? p.RowsPerStrip : TIFFDefaultStripSize(tif, 0);
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
      const size_t perRow = static_cast<size_t>(p.Width) * perPixel;
      for (int32_t y = 0, s = 0; y < p.Height; y += rows, ++s) {
        const size_t n = static_cast<size_t>(std::min(rows, p.Height - y)) * perRow;
        std::vector<uint8_t> bytes = Packed(p, static_cast<size_t>(y) * perRow, n, perRow);
        TIFFWriteEncodedStrip(tif, static_cast<uint32_t>(s), bytes.data(),
                              static_cast<tmsize_t>(bytes.size()));
      }
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  unlink(path);
  return bytes;
}

void SetTiffTag(std::string& tiff, uint16_t tag, uint16_t value) {
  auto get = [&](size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint32_t{static_cast<uint8_t>(tiff[at + i])} << (8 * i);
    return v;
  };
  const uint32_t dir = get(4, 4);
  for (uint32_t e = 0; e < get(dir, 2); ++e) {
    const size_t at = dir + 2 + 12 * e;
    if (get(at, 2) != tag) continue;
    tiff[at + 2] = 3, tiff[at + 3] = 0;  // SHORT
    tiff[at + 8] = static_cast<char>(value & 255), tiff[at + 9] = static_cast<char>(value >> 8);
  }
}
