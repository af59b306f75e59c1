#include <gtest/gtest.h>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "support/TempDir.h"

namespace {

// Builds a bitmap file in memory. Pixels are palette indices for 1, 4 and 8 bits and 0xRRGGBB
// colours otherwise.
struct TBmpSpec {
  TBmpSpec(int width, int height, int bits, bool topDown = false)
      : Width(width), Height(height), Bits(bits), TopDown(topDown) {}
  int Width = 0;
  int Height = 0;
  int Bits = 24;
  bool TopDown = false;
  std::vector<uint32_t> Palette;
  std::vector<uint32_t> Pixels;
  bool Os2Header = false;
};

void Put(std::string& s, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

std::string MakeBmp(const TBmpSpec& b) {
  const int infoSize = b.Os2Header ? 12 : 40;
  const int entry = b.Os2Header ? 3 : 4;
  const size_t stride = ((static_cast<size_t>(b.Width) * b.Bits + 31) / 32) * 4;
  const size_t offset = 14 + infoSize + b.Palette.size() * entry;
  std::string s(offset + stride * b.Height, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put(s, 2, static_cast<uint32_t>(s.size()), 4);
  Put(s, 10, static_cast<uint32_t>(offset), 4);
  Put(s, 14, infoSize, 4);
  if (b.Os2Header) {
    Put(s, 18, b.Width, 2);
    Put(s, 20, b.Height, 2);
    Put(s, 22, 1, 2);
    Put(s, 24, b.Bits, 2);
  } else {
    Put(s, 18, b.Width, 4);
    Put(s, 22, static_cast<uint32_t>(b.TopDown ? -b.Height : b.Height), 4);
    Put(s, 26, 1, 2);
    Put(s, 28, b.Bits, 2);
    Put(s, 46, static_cast<uint32_t>(b.Palette.size()), 4);
  }
  for (size_t i = 0; i < b.Palette.size(); ++i) Put(s, 14 + infoSize + i * entry, b.Palette[i], 3);
  for (int y = 0; y < b.Height; ++y) {
    const int fileRow = b.TopDown ? y : b.Height - 1 - y;
    size_t row = offset + static_cast<size_t>(fileRow) * stride;
    for (int x = 0; x < b.Width; ++x) {
      uint32_t v = b.Pixels[static_cast<size_t>(y) * b.Width + x];
      switch (b.Bits) {
        case 1:
          s[row + x / 8] = static_cast<char>(s[row + x / 8] | (v << (7 - x % 8)));
          break;
        case 4:
          s[row + x / 2] = static_cast<char>(s[row + x / 2] | (v << (x % 2 ? 0 : 4)));
          break;
        case 8:
          s[row + x] = static_cast<char>(v);
          break;
        case 16: {  // 5-5-5 from the top five bits of each channel
          uint32_t r = (v >> 19) & 31, g = (v >> 11) & 31, bl = (v >> 3) & 31;
          Put(s, row + 2 * x, (r << 10) | (g << 5) | bl, 2);
          break;
        }
        case 24:
          Put(s, row + 3 * x, v, 3);
          break;
        case 32:
          Put(s, row + 4 * x, v, 4);
          break;
      }
    }
  }
  return s;
}

uint8_t Gray(uint32_t rgb) {
  return static_cast<uint8_t>((((rgb >> 16) & 255) + ((rgb >> 8) & 255) + (rgb & 255) + 1) / 3);
}

std::string LoadError(const std::string& bytes) {
  try {
    TGrayImage image;
    image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "t.bmp");
  } catch (const TError& e) {
    return e.Message();
  }
  return "(no error)";
}

TGrayImage* LoadBytes(const std::string& bytes) {
  auto* image = new TGrayImage;
  image->LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "t.bmp");
  return image;
}

}  // namespace

TEST(BitmapReading, ColourIsAveragedWithRounding) {
  TBmpSpec b(3, 1, 24);
  b.Pixels = {0x0A1420, 0x0A141F, 0xFFFFFF};  // (10, 20, 32) and (10, 20, 31)
  std::unique_ptr<TGrayImage> image(LoadBytes(MakeBmp(b)));
  EXPECT_EQ(image->GetPixel(0, 0), 21);
  EXPECT_EQ(image->GetPixel(1, 0), 20);
  EXPECT_EQ(image->GetPixel(2, 0), 255);
}

TEST(BitmapReading, EveryCommonVariantGivesTheSameGrayPicture) {
  // A 13 x 5 picture whose colours come from a small palette, written in every layout.
  std::vector<uint32_t> palette = {0x000000, 0xFFFFFF, 0x102030, 0x80FF00,
                                   0x7F7F7F, 0x0000FF, 0xC0C0C0, 0x303030};
  std::vector<uint32_t> index(13 * 5);
  for (size_t i = 0; i < index.size(); ++i) index[i] = (i * 7 + i / 13) % palette.size();
  auto check = [&](const TBmpSpec& b, const std::function<uint32_t(size_t)>& colourOf) {
    std::unique_ptr<TGrayImage> image(LoadBytes(MakeBmp(b)));
    ASSERT_EQ(image->Width(), 13);
    ASSERT_EQ(image->Height(), 5);
    for (size_t i = 0; i < index.size(); ++i)
      ASSERT_EQ(image->Data()[i], Gray(colourOf(i))) << "bits " << b.Bits << " pixel " << i;
  };
  for (bool topDown : {false, true}) {
    TBmpSpec b(13, 5, 24, topDown);
    for (int bits : {4, 8}) {
      b.Bits = bits;
      b.Palette = palette;
      b.Pixels = index;
      check(b, [&](size_t i) { return palette[index[i]]; });
    }
    b.Palette.clear();
    for (int bits : {24, 32}) {
      b.Bits = bits;
      b.Pixels.clear();
      for (uint32_t k : index) b.Pixels.push_back(palette[k]);
      check(b, [&](size_t i) { return palette[index[i]]; });
    }
    b.Bits = 1;
    b.Palette = {0x000000, 0xFFFFFF};
    b.Pixels.clear();
    for (uint32_t k : index) b.Pixels.push_back(k & 1);
    check(b, [&](size_t i) { return (index[i] & 1) ? 0xFFFFFFu : 0u; });
  }
}

TEST(BitmapReading, GrayPaletteLoadsExactLevelsAndOldHeadersWork) {
  TBmpSpec b(256, 2, 8);
  for (uint32_t v = 0; v < 256; ++v) b.Palette.push_back(v * 0x010101);
  for (uint32_t i = 0; i < 512; ++i) b.Pixels.push_back(i % 256);
  std::unique_ptr<TGrayImage> image(LoadBytes(MakeBmp(b)));
  for (int x = 0; x < 256; ++x) EXPECT_EQ(image->GetPixel(x, 1), x);

  TBmpSpec os2(2, 2, 24);
  os2.Os2Header = true;
  os2.Pixels = {0x000000, 0x0A1420, 0xFFFFFF, 0x030303};
  std::unique_ptr<TGrayImage> old(LoadBytes(MakeBmp(os2)));
  EXPECT_EQ(old->GetPixel(1, 0), 21);
  EXPECT_EQ(old->GetPixel(1, 1), 3);
}

TEST(BitmapReading, SixteenBitPicturesLoad) {
  TBmpSpec b(3, 2, 16);
  b.Pixels = {0x000000, 0xFFFFFF, 0xF8F8F8, 0, 0, 0};
  std::unique_ptr<TGrayImage> image(LoadBytes(MakeBmp(b)));
  EXPECT_EQ(image->GetPixel(0, 0), 0);
  EXPECT_GE(image->GetPixel(1, 0), 248);  // five bits a channel: the decoder scales 31 to 248+
  EXPECT_EQ(image->GetPixel(1, 0), image->GetPixel(2, 0));
}

TEST(BitmapReading, FileAndMemoryPathsAgree) {
  TTempDir dir;
  TBmpSpec b(4, 3, 24);
  for (uint32_t i = 0; i < 12; ++i) b.Pixels.push_back(i * 0x111111);
  std::string bytes = MakeBmp(b);
  WriteFileBytes(dir.File("v.bmp"), bytes);
  TGrayImage fromFile(dir.File("v.bmp"));
  std::unique_ptr<TGrayImage> fromMemory(LoadBytes(bytes));
  EXPECT_TRUE(std::equal(fromFile.Data(), fromFile.Data() + 12, fromMemory->Data()));
}

TEST(BitmapReading, DamagedFilesAreRefusedClearlyAndLeaveTheImage) {
  TBmpSpec b(40, 30, 24);
  b.Pixels.assign(1200, 0x808080);
  std::string good = MakeBmp(b);

  EXPECT_NE(LoadError(good.substr(0, good.size() - 10)).find("truncated"), std::string::npos);
  EXPECT_NE(LoadError(good.substr(0, 30)).find("not a valid bitmap"), std::string::npos);
  EXPECT_NE(LoadError("").find("not a valid bitmap"), std::string::npos);
  EXPECT_NE(LoadError("GIF89a and more bytes than a header").find("not a valid bitmap"),
            std::string::npos);

  std::string huge = good.substr(0, 100);
  Put(huge, 18, 100000, 4);
  Put(huge, 22, 100000, 4);
  EXPECT_NE(LoadError(huge).find("too large"), std::string::npos) << LoadError(huge);

  std::string zeroWidth = good;
  Put(zeroWidth, 18, 0, 4);
  EXPECT_NE(LoadError(zeroWidth).find("width or height 0"), std::string::npos);
  std::string zeroHeight = good;
  Put(zeroHeight, 22, 0, 4);
  EXPECT_NE(LoadError(zeroHeight).find("width or height 0"), std::string::npos);

  std::string oddDepth = good;
  Put(oddDepth, 28, 7, 2);
  EXPECT_NE(LoadError(oddDepth).find("unsupported bit depth 7"), std::string::npos);
  std::string oddCompression = good;
  Put(oddCompression, 30, 9, 4);
  EXPECT_NE(LoadError(oddCompression).find("unsupported compression"), std::string::npos);

  // A failed load keeps the size and pixels of the image; the name is already the new one.
  TGrayImage image;
  image.SetWidth(2);
  image.SetHeight(2);
  image.FillRect(9, 0, 0, 1, 1);
  std::string truncated = good.substr(0, 200);
  EXPECT_THROW(image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(truncated.data()),
                                       truncated.size(), "bad.bmp"),
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
  TBmpSpec b(1, 3, 1);
  b.Palette = {0x000000, 0xFFFFFF};
  b.Pixels = {0, 1, 0};
  std::string bytes = MakeBmp(b);
  Put(bytes, 14, 64, 4);  // an information header longer than the file
  WriteFileBytes(dir.File("long.bmp"), bytes);
  TGrayImage image;
  EXPECT_THROW(image.LoadBmp(dir.File("long.bmp")), TError);
  EXPECT_EQ(LoadError(bytes), "\"t.bmp\" is not a valid bitmap file (truncated header)");

  std::string noTable = MakeBmp(b).substr(0, 54);  // 8 bytes of colour table announced
  EXPECT_EQ(LoadError(noTable), "\"t.bmp\" is not a valid bitmap file (truncated header)");
  std::string inside = MakeBmp(b);
  Put(inside, 10, 40, 4);  // pixel data said to start inside the header
  EXPECT_EQ(LoadError(inside),
            "\"t.bmp\" is not a valid bitmap file (pixel data inside the header)");
}
