#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "base/Error.h"
#include "base/RgbSurface.h"
#include "image/Grayimage.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

void MakeImage(TGrayImage& image, int w, int h, uint32_t seed) {
  image.SetWidth(w);
  image.SetHeight(h);
  std::mt19937 rng(seed);
  for (int i = 0; i < image.Size(); ++i) image.Data()[i] = static_cast<uint8_t>(rng());
}

bool SamePixels(const TGrayImage& a, const TGrayImage& b) {
  return a.Size() == b.Size() && std::equal(a.Data(), a.Data() + a.Size(), b.Data());
}

}  // namespace

TEST(GrayImage, SizesAreCheckedInSixtyFourBitsBeforeAllocation) {
  TGrayImage image;
  EXPECT_EQ(image.FileName(), "MemoryPointer");
  image.SetWidth(100000);
  EXPECT_EQ(image.Size(), 0);  // height still 0
  image.SetHeight(-3);
  EXPECT_EQ(image.Height(), 0);
  EXPECT_NE(ErrorOf([&] { image.SetHeight(100000); }).find("too large"), std::string::npos);
  EXPECT_EQ(image.Height(), 0);  // unchanged
  image.SetHeight(2);
  EXPECT_EQ(image.Size(), 200000);
  EXPECT_NE(ErrorOf([&] { image.SetWidth(1 << 30); }).find("too large"), std::string::npos);
}

TEST(GrayImage, PixelAccessOutsideRaisesExactMessage) {
  TGrayImage image;
  image.SetWidth(640);
  image.SetHeight(2);
  image.SetPixel(639, 1, 77);
  EXPECT_EQ(image.GetPixel(639, 1), 77);
  EXPECT_EQ(ErrorOf([&] { image.GetPixel(640, 0); }), "(640,0) not in the gray image");
  EXPECT_EQ(ErrorOf([&] { image.GetPixel(0, -1); }), "(0,-1) not in the gray image");
  EXPECT_EQ(ErrorOf([&] { image.SetPixel(-5, 2, 1); }), "(-5,2) not in the gray image");
}

TEST(GrayImage, FileFormatFollowsTheExtensionIgnoringCase) {
  TTempDir dir;
  TGrayImage image;
  MakeImage(image, 5, 4, 1);
  image.SaveToFile(dir.File("a.BMP"));
  image.SaveToFile(dir.File("a.Raw"));
  EXPECT_EQ(ReadFileBytes(dir.File("a.Raw")).size(), 20u);
  EXPECT_EQ(ReadFileBytes(dir.File("a.BMP")).substr(0, 2), "BM");
  for (const char* bad : {"a.tif", "noext", "a.bmp.txt", "dir.bmp/file"}) {
    EXPECT_EQ(ErrorOf([&] { image.SaveToFile(dir.File(bad)); }), "only support raw and bmp files");
    TGrayImage other;
    EXPECT_EQ(ErrorOf([&] { other.LoadFromFile(dir.File(bad)); }),
              "only support raw and bmp files");
    EXPECT_EQ(other.FileName(), dir.File(bad));  // the name is taken first
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.tif")));
  // The constructor reads any file as a bitmap (a missing one: tests/cli).
  EXPECT_NE(ErrorOf([&] { TGrayImage raw(dir.File("a.Raw")); }).find("not a valid bitmap"),
            std::string::npos);
}

TEST(GrayImage, BitmapFileIsByteExactAndRoundTrips) {
  TTempDir dir;
  TGrayImage image;
  image.SetWidth(3);
  image.SetHeight(2);
  const uint8_t pixels[] = {0, 1, 2, 253, 254, 255};
  std::copy(pixels, pixels + 6, image.Data());
  image.SaveBmp(dir.File("x.bmp"));
  const std::string bytes = ReadFileBytes(dir.File("x.bmp"));
  ASSERT_EQ(bytes.size(), 78u);
  const uint8_t header[54] = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                              3,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 24, 0,
                              0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,  0};
  EXPECT_EQ(bytes.substr(0, 54), std::string(reinterpret_cast<const char*>(header), 54));
  // Bottom row first, each pixel three equal bytes, rows padded to 12 bytes.
  EXPECT_EQ(bytes.substr(54, 12), std::string("\xfd\xfd\xfd\xfe\xfe\xfe\xff\xff\xff\0\0\0", 12));
  EXPECT_EQ(bytes.substr(66, 12), std::string("\0\0\0\1\1\1\2\2\2\0\0\0", 12));

  TGrayImage big;
  MakeImage(big, 37, 23, 7);
  big.SaveToFile(dir.File("big.bmp"));
  TGrayImage loaded(dir.File("big.bmp"));
  EXPECT_EQ(loaded.Width(), 37);
  EXPECT_TRUE(SamePixels(big, loaded));
  EXPECT_EQ(loaded.FileName(), dir.File("big.bmp"));
}

// Raw files that do not fit the image are in tests/reliability/BadRawTest.cpp.
TEST(GrayImage, RawFilesRoundTripWithAndWithoutHeader) {
  TTempDir dir;
  TGrayImage image, back;
  MakeImage(image, 6, 5, 3);
  image.SaveRaw(dir.File("p.raw"));
  EXPECT_EQ(ReadFileBytes(dir.File("p.raw")), std::string(image.Data(), image.Data() + 30));
  back.SetWidth(6);
  back.SetHeight(5);
  back.LoadFromFile(dir.File("p.raw"));
  EXPECT_TRUE(SamePixels(image, back));

  image.SetHeaderSize(4);
  image.SaveRaw(dir.File("h.raw"));
  EXPECT_EQ(ReadFileBytes(dir.File("h.raw")).substr(0, 5),
            "FFFF" + std::string(1, image.Data()[0]));
  back.SetHeaderSize(4);
  back.FillRect(0, 0, 0, 5, 4);
  back.LoadRaw(dir.File("h.raw"));
  EXPECT_TRUE(SamePixels(image, back));
}

TEST(GrayImage, FillRectClipsToTheImageAndSkipsEmptyRectangles) {
  TGrayImage image;
  image.SetWidth(8);
  image.SetHeight(4);
  image.FillRect(0, -100, -100, 100, 100);
  image.FillRect(9, -5, 1, 8 + 10, 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(image.GetPixel(x, y), (y == 1 || y == 2) ? 9 : 0);
  image.FillRect(7, 5, 0, 4, 3);   // x1 > x2
  image.FillRect(7, 0, 3, 7, 2);   // y1 > y2
  image.FillRect(7, 8, 0, 20, 3);  // entirely right of the image
  EXPECT_EQ(image.SumRect(0, 0, 7, 3), 9 * 16);
  image.FillRect(1, 0, 0, 0, 0);  // exactly one pixel
  EXPECT_EQ(image.SumRect(0, 0, 1, 0), 1);
}

TEST(GrayImage, SumRectClipsAndSumsInSixtyFourBits) {
  TGrayImage image;
  image.SetWidth(3000);
  image.SetHeight(3000);
  image.FillRect(255, 0, 0, 2999, 2999);
  EXPECT_EQ(image.SumRect(0, 0, 2999, 2999), int64_t{255} * 3000 * 3000);  // > 2^31
  EXPECT_EQ(image.SumRect(2990, 0, 5000, 0), 255 * 10);                    // x2 beyond the image
  EXPECT_EQ(image.SumRect(-3, -3, 0, 0), 255);
  EXPECT_EQ(image.SumRect(5, 5, 4, 9), 0);
}

namespace {

// Three pixels of 40 and one of 200.
void FillFourPixels(TGrayImage& image) {
  image.SetWidth(2);
  image.SetHeight(2);
  image.FillRect(40, 0, 0, 1, 1);
  image.SetPixel(1, 1, 200);
}

}  // namespace

TEST(GrayImage, HistogramCountsEveryLevelAndOverwritesStaleCounts) {
  TGrayImage image;
  FillFourPixels(image);
  std::array<int32_t, 256> counts;
  counts.fill(-1);
  image.Histogram(counts);
  for (int v = 0; v < 256; ++v) EXPECT_EQ(counts[v], v == 40 ? 3 : v == 200 ? 1 : 0);
}

TEST(GrayImage, RepaintDrawsAtTheOriginAndToleratesNoSurface) {
  TGrayImage image;
  FillFourPixels(image);
  image.Repaint(nullptr);
  TRgbSurface surface(3, 3, clRed);
  image.Repaint(&surface);
  EXPECT_EQ(surface.Pixel(0, 0), GrayColor(40));
  EXPECT_EQ(surface.Pixel(1, 1), GrayColor(200));
  EXPECT_EQ(surface.Pixel(2, 2), clRed);
}
