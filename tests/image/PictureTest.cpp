// Camera pictures: formats found by content, 16-bit pictures mapped by a stated rule, colour
// made gray as for bitmaps, and damaged files refused with the file and the format named.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <random>

#include "image/Grayimage.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

std::string Encoded(const QImage& picture, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  EXPECT_TRUE(writer.write(picture)) << format;
  return bytes.toStdString();
}

std::string LoadError(const std::string& bytes, TGrayImage& image, const std::string& name) {
  return ErrorOf([&] {
    image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name);
  });
}

// 12-bit camera data in a 16-bit picture: a dim ramp with a few hot and cold pixels.
QImage TwelveBits(std::vector<uint16_t>& values) {
  QImage q(64, 50, QImage::Format_Grayscale16);
  std::mt19937 rng(3);
  values.clear();
  for (int y = 0; y < q.height(); ++y)
    for (int x = 0; x < q.width(); ++x) {
      uint16_t v = static_cast<uint16_t>(300 + 40 * x + 7 * y + rng() % 16);
      if (rng() % 500 == 0) v = rng() % 2 ? 4095 : 0;
      reinterpret_cast<uint16_t*>(q.scanLine(y))[x] = v;
      values.push_back(v);
    }
  return q;
}

}  // namespace

TEST(PictureDecoding, SixteenBitsAreStretchedBetweenPercentilesOrShifted) {
  std::vector<uint16_t> values;
  const std::string png = Encoded(TwelveBits(values), "png");
  // The percentiles of the sorted values, found here by sorting.
  std::vector<uint16_t> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  const double lo = sorted[(n - 1) / 1000], hi = sorted[(999 * (n - 1) + 999) / 1000];
  ASSERT_LT(lo, hi);

  TGrayImage image;
  ASSERT_EQ(LoadError(png, image, "cam.png"), "(no error)");
  int low = 0, high = 0;
  for (size_t i = 0; i < n; ++i) {
    const double expected = std::clamp((values[i] - lo) * 255.0 / (hi - lo), 0.0, 255.0);
    ASSERT_NEAR(image.Data()[i], expected, 0.5 + 1e-9) << i;
    low += image.Data()[i] == 0, high += image.Data()[i] == 255;
  }
  EXPECT_GE(low, 3);  // the cold pixels and the darkest ramp end
  EXPECT_GE(high, 3);
  EXPECT_EQ(image.Decoding(), "16-bit PNG, percentiles 0.1 % and 99.9 % (" +
                                  std::to_string(static_cast<int>(lo)) + " and " +
                                  std::to_string(static_cast<int>(hi)) + ") to 0 and 255");

  TGrayImage shifted;
  shifted.SetBits16(TBits16::Shift);
  ASSERT_EQ(LoadError(Encoded(TwelveBits(values), "tiff"), shifted, "cam.tif"), "(no error)");
  for (size_t i = 0; i < n; ++i) ASSERT_EQ(shifted.Data()[i], values[i] >> 8) << i;
  EXPECT_EQ(shifted.Decoding(), "16-bit TIFF, shifted right by 8 bits");

  // A 12-bit PGM (largest value 4095) means the same as 16 bits: 4095 is full scale.
  std::string pgm = "P5 2 1 4095\n";
  for (int v : {4095, 2048}) pgm += static_cast<char>(v >> 8), pgm += static_cast<char>(v & 255);
  ASSERT_EQ(LoadError(pgm, shifted, "cam.pgm"), "(no error)");
  EXPECT_EQ(shifted.GetPixel(0, 0), 255);
  EXPECT_EQ(shifted.GetPixel(1, 0), 128);
}

TEST(PictureDecoding, ColourAndGrayOfEveryFormatFollowTheBitmapRule) {
  QImage colour(5, 3, QImage::Format_RGB32);
  std::vector<uint8_t> expected;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const int r = 40 * x + 10, g = 60 * y + 1, b = (x * y * 37) % 256;
      colour.setPixel(x, y, qRgb(r, g, b));
      expected.push_back(static_cast<uint8_t>((r + g + b + 1) / 3));
    }
  for (const char* format : {"png", "tiff", "ppm"}) {
    TGrayImage image;
    ASSERT_EQ(LoadError(Encoded(colour, format), image, "c"), "(no error)") << format;
    EXPECT_EQ(std::vector<uint8_t>(image.Data(), image.Data() + image.Size()), expected) << format;
    EXPECT_EQ(image.Decoding().substr(0, 6), "8-bit ");
  }
  // A 16-bit colour picture: gray of the 16-bit channels, then the rule (shift here).
  QImage deep(2, 1, QImage::Format_RGBX64);
  deep.setPixelColor(0, 0, QColor::fromRgba64(60000, 30000, 3000));
  deep.setPixelColor(1, 0, QColor::fromRgba64(0, 65535, 0));
  TGrayImage image;
  image.SetBits16(TBits16::Shift);
  ASSERT_EQ(LoadError(Encoded(deep, "png"), image, "d.png"), "(no error)");
  EXPECT_EQ(image.GetPixel(0, 0), (60000 + 30000 + 3000 + 1) / 3 >> 8);
  EXPECT_EQ(image.GetPixel(1, 0), (65535 + 1) / 3 >> 8);
}

TEST(PictureDecoding, FormatsAreFoundByContentAndDamageIsNamed) {
  TTempDir dir;
  QImage gray(40, 30, QImage::Format_Grayscale8);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) gray.scanLine(y)[x] = static_cast<uchar>(x * 6 + y);
  // A PNG named .bmp, a JPEG named .tif and a TIFF with no extension all open by content.
  for (const auto& [format, name] : std::vector<std::pair<const char*, std::string>>{
           {"png", "a.bmp"}, {"jpeg", "b.tif"}, {"tiff", "noext"}, {"pgm", "d.jpg"}}) {
    WriteFileBytes(dir.File(name), Encoded(gray, format, 100));
    TGrayImage image(dir.File(name));
    EXPECT_EQ(image.Width(), 40) << name;
    EXPECT_NEAR(image.GetPixel(20, 10), 130, std::string(format) == "jpeg" ? 2 : 0) << name;
  }

  // Cut in half or with the header spoilt: refused, naming the file and the format, and the
  // image keeps its pixels.
  for (const auto& [format, title] : std::vector<std::pair<const char*, std::string>>{
           {"png", "PNG"}, {"tiff", "TIFF"}, {"jpeg", "JPEG"}, {"pgm", "PGM/PPM"}}) {
    const std::string good = Encoded(gray, format, 90);
    std::string spoilt = good;  // the header, or in a TIFF where its directory lies
    const size_t from = std::string(format) == "tiff" ? 4 : 8;
    for (size_t i = from; i < from + 16 && i < spoilt.size(); ++i) spoilt[i] = '\xEE';
    for (const std::string& bad : {good.substr(0, good.size() / 2), spoilt}) {
      TGrayImage image;
      image.SetSize(1, 1);
      image.SetPixel(0, 0, 42);
      const std::string error = LoadError(bad, image, "cam." + std::string(format));
      EXPECT_EQ(error.find("\"cam." + std::string(format) + "\" is not a valid " + title + " file"),
                0u)
          << error;
      EXPECT_EQ(image.GetPixel(0, 0), 42) << format << " " << bad.size();
    }
  }
  TGrayImage image;
  EXPECT_EQ(LoadError("GIF89a\x01\x00\x01\x00", image, "x.gif"),
            "\"x.gif\" is not a picture this system reads; supported are Windows bitmap (.bmp), "
            "PNG (.png), TIFF (.tif, .tiff), PGM/PPM (.pgm, .ppm) and JPEG (.jpg, .jpeg), 8 or "
            "16 bits, gray or colour");
}
