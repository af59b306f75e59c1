// Our bitmap decoder against the Qt reader it replaced (tests/reference/QtBitmap): many
// generated bitmaps of every header, depth, compression, mask and row order give the same gray
// picture byte for byte, from memory and from a file read block by block.
#include <gtest/gtest.h>

#include <random>

#include "image/Grayimage.h"
#include "reference/QtBitmap.h"
#include "support/BmpBytes.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

struct TVariant {
  uint32_t Header = 40;  // information header size
  int Bits = 24;
  uint32_t Compression = 0;
  int32_t Width = 1, Height = 1;  // Height < 0: top-down
  uint32_t Used = 0;              // colour-table entries announced (0: all)
  uint32_t Masks[4] = {0, 0, 0, 0};
  int Offset = 0;  // 0: right after the table; > 0: that many spare bytes; -1: inside the table
};

std::string RunLength(const TVariant& v, std::mt19937& rng) {
  std::string s;
  const int32_t rows = v.Height < 0 ? -v.Height : v.Height;
  const bool four = v.Bits == 4;
  auto byte = [&] { return static_cast<char>(rng() & 255); };
  for (int32_t r = 0; r < rows; ++r) {
    int32_t x = 0;
    while (x < v.Width) {
      const int32_t left = std::min(v.Width - x, 255);
      if (left >= 3 && rng() % 2 == 0) {  // a literal run
        const int32_t n = 3 + static_cast<int32_t>(rng() % static_cast<uint32_t>(left - 2));
        s += '\0', s += static_cast<char>(n);
        int32_t bytes = four ? (n + 1) / 2 : n;
        bytes += bytes & 1;
        for (int32_t i = 0; i < bytes; ++i) s += byte();
        x += n;
      } else {
        const int32_t n = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(left));
        s += static_cast<char>(n), s += byte();
        x += n;
      }
    }
    if (r + 1 < rows || rng() % 2 == 0) s += std::string("\0\0", 2);
  }
  return s + std::string("\0\1", 2);
}

std::string Bitmap(const TVariant& v, std::mt19937& rng) {
  const bool os2 = v.Header == 12;
  std::string s(14 + v.Header, '\0');
  s[0] = 'B', s[1] = 'M';
  PutLE(s, 14, v.Header, 4);
  if (os2) {
    PutLE(s, 18, static_cast<uint32_t>(v.Width), 2);
    PutLE(s, 20, static_cast<uint32_t>(v.Height), 2);
    PutLE(s, 22, 1, 2);
    PutLE(s, 24, static_cast<uint32_t>(v.Bits), 2);
  } else {
    PutLE(s, 18, static_cast<uint32_t>(v.Width), 4);
    PutLE(s, 22, static_cast<uint32_t>(v.Height), 4);
    PutLE(s, 26, 1, 2);
    PutLE(s, 28, static_cast<uint32_t>(v.Bits), 2);
    PutLE(s, 30, v.Compression, 4);
    PutLE(s, 46, v.Used, 4);
    if (v.Header >= 108)
      for (int c = 0; c < 4; ++c) PutLE(s, 54 + 4 * c, v.Masks[c], 4);
  }
  if (v.Compression == 3 && v.Header == 40) {
    s.resize(s.size() + 12);
    for (int c = 0; c < 3; ++c) PutLE(s, 54 + 4 * c, v.Masks[c], 4);
  }
  const size_t table = s.size();
  if (v.Bits <= 8) {
    const size_t entries = v.Used != 0 ? v.Used : size_t{1} << v.Bits;
    for (size_t i = 0; i < entries * (os2 ? 3 : 4); ++i) s += static_cast<char>(rng() & 255);
  }
  size_t offset = s.size();
  if (v.Offset > 0) s.append(static_cast<size_t>(v.Offset), '\x55'), offset = s.size();
  if (v.Offset < 0) offset = table;  // the pixels follow the table all the same
  PutLE(s, 10, static_cast<uint32_t>(offset), 4);
  if (v.Compression == 1 || v.Compression == 2) {
    s += RunLength(v, rng);
  } else {
    const int32_t rows = v.Height < 0 ? -v.Height : v.Height;
    const size_t stride = ((static_cast<size_t>(v.Width) * v.Bits + 31) / 32) * 4;
    for (size_t i = 0; i < stride * rows; ++i) s += static_cast<char>(rng() & 255);
  }
  PutLE(s, 2, static_cast<uint32_t>(s.size()), 4);
  return s;
}

std::vector<TVariant> Variants(std::mt19937& rng) {
  const std::vector<std::vector<uint32_t>> masks16 = {{0xF800, 0x07E0, 0x001F},
                                                      {0x7C00, 0x03E0, 0x001F},
                                                      {0x0F00, 0x00F0, 0x000F},
                                                      {0x001F, 0x07E0, 0xF800},
                                                      {0x8000, 0x4000, 0x3FFF}};
  const std::vector<std::vector<uint32_t>> masks32 = {{0xFF0000, 0xFF00, 0xFF, 0},
                                                      {0x3FF00000, 0xFFC00, 0x3FF, 0},
                                                      {0xFF000000, 0xFF0000, 0xFF00, 0xFF},
                                                      {0xF, 0xF0, 0xF00, 0xFF000000},
                                                      {0xFF0000, 0xFF00, 0xFF, 0xFF000000}};
  std::vector<TVariant> all;
  for (uint32_t header : {12u, 40u, 64u, 108u, 124u}) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
      std::vector<uint32_t> compressions = {0};
      if (header != 12 && bits == 8) compressions.push_back(1);
      if (header != 12 && bits == 4) compressions.push_back(2);
      if (header != 12 && header != 64 && (bits == 16 || bits == 32)) compressions.push_back(3);
      if (header == 12 && (bits == 16 || bits == 32)) continue;
      for (uint32_t compression : compressions) {
        const size_t maskSets = compression == 3 ? 5 : header >= 108 && bits == 32 ? 2 : 1;
        for (size_t m = 0; m < maskSets; ++m) {
          for (int order = 0; order < 2; ++order) {
            TVariant v;
            v.Header = header, v.Bits = bits, v.Compression = compression;
            v.Width = 1 + static_cast<int32_t>(rng() % 37);
            v.Height = (1 + static_cast<int32_t>(rng() % 9)) * (order == 0 ? 1 : -1);
            if (bits <= 8 && header != 12)
              v.Used = rng() % 2 ? 0 : static_cast<uint32_t>(1 + rng() % (1u << bits));
            const auto& set = bits == 16 ? masks16 : masks32;
            if (compression == 3 || header >= 108)
              for (size_t c = 0; c < set[m].size() && bits >= 16; ++c) v.Masks[c] = set[m][c];
            if (compression == 0 && bits == 32 && header >= 108 && m == 1)
              v.Masks[3] = 0xFF000000;  // a 32-bit picture that declares alpha
            v.Offset = static_cast<int>(rng() % 3) - 1;
            all.push_back(v);
          }
        }
      }
    }
  }
  return all;
}

std::vector<uint8_t> Pixels(const TGrayImage& image) {
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

}  // namespace

TEST(BitmapDecoder, GivesWhatTheQtReaderGaveForEveryVariant) {
  std::mt19937 rng(17);
  TTempDir dir;
  int compared = 0;
  for (int round = 0; round < 4; ++round) {
    for (const TVariant& v : Variants(rng)) {
      const std::string bytes = Bitmap(v, rng);
      const std::string what = "header " + std::to_string(v.Header) + ", " +
                               std::to_string(v.Bits) + " bits, compression " +
                               std::to_string(v.Compression) + ", " + std::to_string(v.Width) +
                               " x " + std::to_string(v.Height) + ", colours " +
                               std::to_string(v.Used) + ", offset " + std::to_string(v.Offset);
      int32_t w = 0, h = 0;
      std::vector<uint8_t> expected;
      ASSERT_TRUE(QtBitmapGray(bytes, w, h, expected)) << what;
      TGrayImage image;
      ASSERT_EQ(ErrorOf([&] {
                  image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                          bytes.size(), "v.bmp");
                }),
                "(no error)")
          << what;
      ASSERT_EQ(image.Width(), w) << what;
      ASSERT_EQ(image.Height(), h) << what;
      ASSERT_EQ(Pixels(image), expected) << what;
      if (compared % 7 == 0) {  // the file path decodes block by block: the same picture
        WriteFileBytes(dir.File("v.bmp"), bytes);
        TGrayImage fromFile(dir.File("v.bmp"));
        ASSERT_EQ(Pixels(fromFile), expected) << what;
        EXPECT_EQ(fromFile.Decoding(), "8-bit bitmap");
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 400);
}
