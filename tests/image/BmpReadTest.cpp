// Bitmap reading: every variant the decoder reads gives the same gray picture, and the damage
// that the decoder would pass over half-read is refused. The bad-input matrix in
// tests/reliability holds the plain refusals (truncation, sizes, depths) end to end.
#include <gtest/gtest.h>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "support/BmpBytes.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

// Pixel rows as a bitmap stores them, padded to 4 bytes: palette indices for 1, 4 and 8 bits,
// 0xRRGGBB otherwise (16 bits: the top five bits of each channel).
std::string Rows(int32_t w, int32_t h, int bits, bool topDown, const std::vector<uint32_t>& px) {
  const size_t stride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
  std::string s(stride * h, '\0');
  for (int32_t y = 0; y < h; ++y) {
    const size_t row = static_cast<size_t>(topDown ? y : h - 1 - y) * stride;
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t v = px[static_cast<size_t>(y) * w + x];
      if (bits == 1) s[row + x / 8] = static_cast<char>(s[row + x / 8] | (v << (7 - x % 8)));
      if (bits == 4) s[row + x / 2] = static_cast<char>(s[row + x / 2] | (v << (x % 2 ? 0 : 4)));
      if (bits == 8) s[row + x] = static_cast<char>(v);
      if (bits == 16)
        PutLE(s, row + 2 * x, ((v >> 19) & 31) << 10 | ((v >> 11) & 31) << 5 | ((v >> 3) & 31), 2);
      if (bits >= 24) PutLE(s, row + bits / 8 * x, v, bits / 8);
    }
  }
  return s;
}

std::string Bmp(int32_t w, int32_t h, int bits, const std::vector<uint32_t>& palette,
                const std::vector<uint32_t>& px, bool topDown = false) {
  std::string s = BitmapBytes(w, topDown ? -h : h, bits, 0, static_cast<int>(palette.size()),
                              Rows(w, h, bits, topDown, px));
  for (size_t i = 0; i < palette.size(); ++i) PutLE(s, 54 + 4 * i, palette[i], 4);
  return s;
}

void Load(TGrayImage& image, const std::string& bytes) {
  image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "t.bmp");
}

std::string LoadError(const std::string& bytes, TGrayImage& image) {
  return ErrorOf([&] { Load(image, bytes); });
}

std::string LoadError(const std::string& bytes) {
  TGrayImage image;
  return LoadError(bytes, image);
}

std::vector<uint8_t> Pixels(const TGrayImage& image) {
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

uint8_t Gray(uint32_t rgb) {
  return static_cast<uint8_t>((((rgb >> 16) & 255) + ((rgb >> 8) & 255) + (rgb & 255) + 1) / 3);
}

}  // namespace

TEST(BitmapReading, EveryCommonVariantGivesTheSameRoundedGrayPicture) {
  TGrayImage image;
  // (10, 20, 32) rounds up to 21, (10, 20, 31) down to 20.
  Load(image, Bmp(3, 1, 24, {}, {0x0A1420, 0x0A141F, 0xFFFFFF}));
  EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{21, 20, 255}));

  // A 13 x 5 picture whose colours come from a small palette, written in every layout.
  const std::vector<uint32_t> palette = {0x000000, 0xFFFFFF, 0x102030, 0x80FF00,
                                         0x7F7F7F, 0x0000FF, 0xC0C0C0, 0x303030};
  std::vector<uint32_t> index(13 * 5), colour, bit;
  std::vector<uint8_t> gray, bitGray;
  for (size_t i = 0; i < index.size(); ++i) {
    index[i] = static_cast<uint32_t>((i * 7 + i / 13) % palette.size());
    colour.push_back(palette[index[i]]);
    gray.push_back(Gray(colour.back()));
    bit.push_back(index[i] & 1);
    bitGray.push_back(bit.back() ? 255 : 0);
  }
  for (bool topDown : {false, true}) {
    for (int bits : {4, 8}) {
      Load(image, Bmp(13, 5, bits, palette, index, topDown));
      EXPECT_EQ(Pixels(image), gray) << bits << " bits, top-down " << topDown;
    }
    for (int bits : {24, 32}) {
      Load(image, Bmp(13, 5, bits, {}, colour, topDown));
      EXPECT_EQ(Pixels(image), gray) << bits << " bits, top-down " << topDown;
    }
    Load(image, Bmp(13, 5, 1, {0x000000, 0xFFFFFF}, bit, topDown));
    EXPECT_EQ(Pixels(image), bitGray) << "1 bit, top-down " << topDown;
    EXPECT_EQ(image.Width(), 13);
  }

  // A gray palette gives its exact levels.
  std::vector<uint32_t> levels, ramp;
  for (uint32_t v = 0; v < 256; ++v) levels.push_back(v * 0x010101), ramp.push_back(v);
  Load(image, Bmp(256, 1, 8, levels, ramp));
  for (int x = 0; x < 256; ++x) ASSERT_EQ(image.GetPixel(x, 0), x);

  // Five bits a channel: the decoder scales 31 to 248 or more.
  Load(image, Bmp(3, 1, 16, {}, {0x000000, 0xFFFFFF, 0xF8F8F8}));
  EXPECT_EQ(image.GetPixel(0, 0), 0);
  EXPECT_GE(image.GetPixel(1, 0), 248);
  EXPECT_EQ(image.GetPixel(1, 0), image.GetPixel(2, 0));

  // The old 12-byte header with 16-bit sizes.
  std::string os2(26, '\0');
  os2[0] = 'B', os2[1] = 'M';
  PutLE(os2, 2, 26 + 16, 4);
  PutLE(os2, 10, 26, 4);
  PutLE(os2, 14, 12, 4);
  PutLE(os2, 18, 2, 2);
  PutLE(os2, 20, 2, 2);
  PutLE(os2, 22, 1, 2);
  PutLE(os2, 24, 24, 2);
  Load(image, os2 + Rows(2, 2, 24, false, {0x000000, 0x0A1420, 0xFFFFFF, 0x030303}));
  EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{0, 21, 255, 3}));
}

TEST(BitmapReading, FailedLoadKeepsThePictureAndTakesTheNewName) {
  TTempDir dir;
  const std::string good = Bmp(4, 3, 24, {}, std::vector<uint32_t>(12, 0x808080));
  WriteFileBytes(dir.File("v.bmp"), good);
  TGrayImage fromFile(dir.File("v.bmp"));  // the file path and the memory path agree
  EXPECT_EQ(Pixels(fromFile), std::vector<uint8_t>(12, 0x80));

  TGrayImage image;
  image.SetWidth(2);
  image.SetHeight(2);
  image.FillRect(9, 0, 0, 1, 1);
  EXPECT_THROW(
      image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(good.data()), 60, "bad.bmp"),
      TError);
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(image.GetPixel(1, 1), 9);
  EXPECT_EQ(image.FileName(), "bad.bmp");
}

// Caught by the bitmap fuzz target: a 74-byte file whose information header claims 64 bytes
// decoded from memory (the decoder's seek past the end failed and it read the colour table as
// pixels) but not from a file. Headers and colour table must lie in the file.
TEST(BitmapReading, HeadersReachingPastTheEndAreRefusedOnBothPaths) {
  TTempDir dir;
  const std::string good = Bmp(1, 3, 1, {0x000000, 0xFFFFFF}, {0, 1, 0});
  std::string bytes = good;
  PutLE(bytes, 14, 64, 4);  // an information header longer than the file
  WriteFileBytes(dir.File("long.bmp"), bytes);
  TGrayImage image;
  EXPECT_THROW(image.LoadBmp(dir.File("long.bmp")), TError);
  EXPECT_EQ(LoadError(bytes), "\"t.bmp\" is not a valid bitmap file (truncated header)");
  // 8 bytes of colour table announced, none there.
  EXPECT_EQ(LoadError(good.substr(0, 54)),
            "\"t.bmp\" is not a valid bitmap file (truncated header)");
  bytes = good;
  PutLE(bytes, 10, 40, 4);  // pixel data said to start inside the header
  EXPECT_EQ(LoadError(bytes),
            "\"t.bmp\" is not a valid bitmap file (pixel data inside the header)");
}

// Run-length compressed bitmaps: streams that break off, stop early, jump ahead or overrun a
// row are refused before decoding, since the decoder would return them half-read with the
// undescribed pixels at 0.
namespace {

// 6 x 3, 16 gray levels (index i is gray 17 i); rows are stored bottom-up.
const std::string Rle8Data = std::string(
    "\x03\x03\x00\x03\x03\x05\x06\x00\x00\x00"  // bottom: 3 3 3, literal 3 5 6, end of line
    "\x00\x03\x01\x02\x03\x00\x03\x0f\x00\x00"  // middle: literal 1 2 3, 15 15 15, end of line
    "\x06\x07\x00\x01",                         // top: six 7s, end of bitmap
    24);
constexpr size_t LastRowStart = 20;

std::string Rle8(const std::string& data) {
  return BitmapBytes(6, 3, 8, 1, 16, data);
}

}  // namespace

TEST(BitmapRunLength, PicturesWhoseRunsDescribeEveryPixelLoadExactly) {
  TTempDir dir;
  WriteFileBytes(dir.File("rle8.bmp"), Rle8(Rle8Data));
  TGrayImage image;
  image.LoadBmp(dir.File("rle8.bmp"));  // the file path seeks back after the check
  EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{119, 119, 119, 119, 119, 119,  //
                                                 17, 34, 51, 255, 255, 255,     //
                                                 51, 51, 51, 51, 85, 102}));
  // The last row complete, only the end code missing: every pixel is there.
  EXPECT_EQ(LoadError(Rle8(Rle8Data.substr(0, 22))), "(no error)");

  // 5 x 2 at four bits: an alternating run of 1 and 2, then a literal run 3..7 (three bytes,
  // padded to four).
  ASSERT_EQ(
      LoadError(BitmapBytes(5, 2, 4, 2, 16,
                            std::string("\x05\x12\x00\x00\x00\x05\x34\x56\x70\x00\x00\x01", 12)),
                image),
      "(no error)");
  EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{51, 68, 85, 102, 119, 17, 34, 17, 34, 17}));
}

// Caught while seeding the bitmap fuzz target: Qt decoded a run-length file cut off half-way as
// a complete picture with the missing rows at 0.
TEST(BitmapRunLength, TruncatedDataIsRefusedNotHalfDecoded) {
  for (size_t cut = 0; cut < LastRowStart + 1; ++cut) {
    TGrayImage image;
    image.SetWidth(1);
    image.SetHeight(1);
    image.SetPixel(0, 0, 42);
    EXPECT_EQ(LoadError(Rle8(Rle8Data.substr(0, cut)), image),
              "\"t.bmp\" is not a valid bitmap file (truncated pixel data)")
        << cut;
    EXPECT_EQ(image.GetPixel(0, 0), 42);
  }
}

// Caught the same way: a 64-byte file whose header claims 4000 x 4000 pixels and whose data is
// just the end code decoded, for ten seconds, into 16 million pixels of 0; at 16000 x 16000 it
// would take gigabytes (beyond the picture limit the limit's message comes first).
TEST(BitmapRunLength, TinyFileClaimingAHugePictureIsRefusedBeforeDecoding) {
  for (int32_t side : {4000, 16000})
    EXPECT_EQ(LoadError(BitmapBytes(side, side, 8, 1, 2, std::string("\0\1", 2))),
              "\"t.bmp\" is not a valid bitmap file (run-length data leaves pixels undefined)");
}

TEST(BitmapRunLength, JumpsEarlyEndsAndOverrunsAreRefused) {
  const std::string undefined = "run-length data leaves pixels undefined";
  for (const std::string& data : {
           std::string("\x06\x07\x00\x02\x00\x01", 6) + Rle8Data.substr(LastRowStart),  // jump
           std::string("\x05\x07\x00\x00", 4) + Rle8Data.substr(10),  // end of line after 5
           Rle8Data.substr(0, 10) + std::string("\x00\x01", 2),       // end after one row
       })
    EXPECT_NE(LoadError(Rle8(data)).find(undefined), std::string::npos);
  const std::string beyond =
      "\"t.bmp\" is not a valid bitmap file (run-length data beyond the end of a row)";
  EXPECT_EQ(LoadError(Rle8("\x07\x01" + Rle8Data.substr(2))), beyond);
  EXPECT_EQ(LoadError(Rle8(std::string("\x00\x09\x01\x02\x03\x04\x05\x06\x07\x08\x09\x00", 12))),
            beyond);  // a literal run of 9
}
