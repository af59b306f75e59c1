// Camera pictures: formats found by content, every TIFF layout decoded alike, 16-bit pictures
// kept as given and mapped to 8 bits by a stated rule, pages of a stack read by number, and
// damaged or oversized files refused from what their headers say.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <map>
#include <random>

#include "image/Gray16image.h"
#include "image/Grayimage.h"
#include "image/Picturedecode.h"
#include "support/Checks.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"

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

std::string LoadError(const std::string& bytes, TGrayImage& image, const std::string& name,
                      int32_t page = 1) {
  return ErrorOf([&] {
    image.SetDeep(nullptr);
    const TBits16 rule = image.Bits16();
    image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name);
    if (page != 1) {  // pages go through DecodePicture
      TGrayImage paged;
      paged.SetBits16(rule);
      DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name, rule, paged,
                    page);
      image.TakePixels(paged);
    }
  });
}

std::vector<uint8_t> Pixels(const TGrayImage& image) {
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

// A gray ramp with some noise, 8 bits.
std::vector<uint16_t> Ramp(int32_t w, int32_t h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint16_t> v;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      v.push_back(static_cast<uint16_t>((9 * x + 5 * y + rng() % 7) % 256));
  return v;
}

// A PNG whose header states another size (checksum mended).
std::string PatchedPng(std::string png, uint32_t w, uint32_t h) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<char>(w >> (24 - 8 * i));
    png[20 + i] = static_cast<char>(h >> (24 - 8 * i));
  }
  const uint32_t crc =
      static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return png;
}

}  // namespace

// Every layout of one picture decodes to the same gray values; deep ones keep what they store.
TEST(PictureDecoding, EveryTiffLayoutGivesTheSameGray) {
  const int32_t w = 37, h = 29;
  const std::vector<uint16_t> gray = Ramp(w, h, 4);
  auto scaled = [&](uint32_t by) {
    std::vector<uint16_t> v;
    for (uint16_t g : gray) v.push_back(static_cast<uint16_t>(g * by));
    return v;
  };
  auto rgb = [&](uint32_t by) {
    std::vector<uint16_t> v;  // red above, blue below the gray: the same mean
    for (uint16_t g : gray)
      for (int d : {1, 0, -1}) v.push_back(static_cast<uint16_t>(std::clamp(g + d, 0, 255) * by));
    return v;
  };
  struct TCase {
    const char* Name;
    TTiffPage Page;
    bool Big = false;
  };
  std::vector<TCase> cases = {{"8-bit strips", GrayPage(w, h, 8, gray)},
                              {"16-bit", GrayPage(w, h, 16, scaled(257))},
                              {"12-bit in 16", GrayPage(w, h, 16, scaled(16))},
                              {"12-bit packed", GrayPage(w, h, 12, scaled(16))},
                              {"8-bit BigTIFF", GrayPage(w, h, 8, gray), true}};
  auto with = [&](const char* name, TTiffPage p, auto change) {
    change(p);
    cases.push_back({name, p});
  };
  with("8-bit LZW tiles", GrayPage(w, h, 8, gray),
       [](TTiffPage& p) { p.Compression = 5, p.Tile = 16; });
  with("16-bit deflate tiles", GrayPage(w, h, 16, scaled(256)),
       [](TTiffPage& p) { p.Compression = 8, p.Tile = 32; });
  with("16-bit PackBits strips", GrayPage(w, h, 16, scaled(257)),
       [](TTiffPage& p) { p.Compression = 32773, p.RowsPerStrip = 3; });
  with("min is white", GrayPage(w, h, 8, gray), [&](TTiffPage& p) {
    p.Photometric = 0;
    for (uint16_t& v : p.Values) v = static_cast<uint16_t>(255 - v);
  });
  with("8-bit RGB", GrayPage(w, h, 8, rgb(1)),
       [](TTiffPage& p) { p.Samples = 3, p.Photometric = 2; });
  with("16-bit RGB tiles", GrayPage(w, h, 16, rgb(257)),
       [](TTiffPage& p) { p.Samples = 3, p.Photometric = 2, p.Tile = 16; });
  for (const TCase& c : cases) {
    TGrayImage image;
    image.SetBits16(TBits16::Shift);
    ASSERT_EQ(LoadError(TiffBytes({c.Page}, c.Big), image, "t.tif"), "(no error)") << c.Name;
    EXPECT_EQ(Pixels(image), std::vector<uint8_t>(gray.begin(), gray.end())) << c.Name;
    EXPECT_EQ(image.Deep() != nullptr, c.Page.Bits > 8) << c.Name;
    if (c.Page.Samples == 1 && image.Deep()) {
      EXPECT_TRUE(std::equal(c.Page.Values.begin(), c.Page.Values.end(), image.Deep()->Data()))
          << c.Name;
    }
  }
  // 1 and 4 bits widen to 0..255.
  std::vector<uint16_t> low;
  for (uint16_t g : gray) low.push_back(g >> 4);
  TGrayImage image;
  ASSERT_EQ(LoadError(TiffBytes({GrayPage(w, h, 4, low)}), image, "t.tif"), "(no error)");
  for (size_t i = 0; i < gray.size(); ++i) ASSERT_EQ(image.Data()[i], low[i] * 17) << i;
  EXPECT_EQ(image.Decoding(), "4-bit TIFF");
}

TEST(PictureDecoding, SixteenBitsAreStretchedBetweenPercentilesOrShiftedByTheirDepth) {
  // 12-bit camera data: a dim ramp with a few hot and cold pixels.
  std::vector<uint16_t> values;
  std::mt19937 rng(3);
  for (int i = 0; i < 64 * 50; ++i) {
    uint16_t v = static_cast<uint16_t>(300 + 40 * (i % 64) + 7 * (i / 64) + rng() % 16);
    if (rng() % 500 == 0) v = rng() % 2 ? 4095 : 0;
    values.push_back(v);
  }
  std::vector<uint16_t> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  const double lo = sorted[(n - 1) / 1000], hi = sorted[(999 * (n - 1) + 999) / 1000];
  ASSERT_LT(lo, hi);
  TGrayImage image;
  ASSERT_EQ(LoadError(TiffBytes({GrayPage(64, 50, 16, values)}), image, "cam.tif"), "(no error)");
  int low = 0, high = 0;
  for (size_t i = 0; i < n; ++i) {
    const double expected = std::clamp((values[i] - lo) * 255.0 / (hi - lo), 0.0, 255.0);
    ASSERT_NEAR(image.Data()[i], expected, 0.5 + 1e-9) << i;
    low += image.Data()[i] == 0, high += image.Data()[i] == 255;
  }
  EXPECT_GE(low, 3);
  EXPECT_GE(high, 3);
  EXPECT_EQ(image.Decoding(), "16-bit TIFF, 12-bit data, percentiles 0.1 % and 99.9 % (" +
                                  std::to_string(static_cast<int>(lo)) + " and " +
                                  std::to_string(static_cast<int>(hi)) + ") to 0 and 255");
  // Shifted: the top 8 of the 12 bits; with a value of 16 bits, the top 8 of 16.
  TGrayImage shifted;
  shifted.SetBits16(TBits16::Shift);
  QImage q(64, 50, QImage::Format_Grayscale16);
  std::copy(values.begin(), values.end(), reinterpret_cast<quint16*>(q.bits()));
  ASSERT_EQ(LoadError(Encoded(q, "png"), shifted, "cam.png"), "(no error)");
  for (size_t i = 0; i < n; ++i) ASSERT_EQ(shifted.Data()[i], values[i] >> 4) << i;
  EXPECT_EQ(shifted.Decoding(), "16-bit PNG, 12-bit data, shifted right by 4 bits");
  values[7] = 40000;
  ASSERT_EQ(LoadError(TiffBytes({GrayPage(64, 50, 16, values)}), shifted, "cam.tif"), "(no error)");
  EXPECT_EQ(shifted.Decoding(), "16-bit TIFF, shifted right by 8 bits");
  EXPECT_EQ(shifted.GetPixel(7, 0), 40000 >> 8);
  // A PGM's largest value is its full scale: 4095 is 12 bits.
  std::string pgm = "P5 2 1 4095\n";
  for (int v : {4095, 2048}) pgm += static_cast<char>(v >> 8), pgm += static_cast<char>(v & 255);
  ASSERT_EQ(LoadError(pgm, shifted, "cam.pgm"), "(no error)");
  EXPECT_EQ(shifted.GetPixel(0, 0), 255);
  EXPECT_EQ(shifted.GetPixel(1, 0), 128);
  EXPECT_EQ(shifted.Deep()->Row(0)[1], 2048);
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
  for (const char* format : {"png", "ppm"}) {
    TGrayImage image;
    ASSERT_EQ(LoadError(Encoded(colour, format), image, "c"), "(no error)") << format;
    EXPECT_EQ(Pixels(image), expected) << format;
    EXPECT_EQ(image.Decoding().substr(0, 6), "8-bit ");
  }
  // A 16-bit colour picture: gray of the 16-bit channels, then the rule.
  QImage deep(2, 1, QImage::Format_RGBX64);
  deep.setPixelColor(0, 0, QColor::fromRgba64(60000, 30000, 3000));
  deep.setPixelColor(1, 0, QColor::fromRgba64(0, 65535, 0));
  TGrayImage image;
  image.SetBits16(TBits16::Shift);
  ASSERT_EQ(LoadError(Encoded(deep, "png"), image, "d.png"), "(no error)");
  EXPECT_EQ(image.Deep()->Row(0)[0], (60000 + 30000 + 3000 + 1) / 3);
  EXPECT_EQ(image.GetPixel(0, 0), (60000 + 30000 + 3000 + 1) / 3 >> 7);  // 15-bit data
  // A PGM of fewer levels is scaled to 0..255 (v x 255 div the largest value).
  ASSERT_EQ(LoadError(std::string("P5 3 1 100\n\x00\x21\x64", 14), image, "p.pgm"), "(no error)");
  EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{0, 84, 255}));
}

TEST(PictureDecoding, PagesOfAStackAreReadByNumberAndADamagedPageFailsAlone) {
  TTempDir dir;
  std::vector<TTiffPage> pages;
  for (uint32_t k = 0; k < 3; ++k)
    pages.push_back(
        GrayPage(8, 6, 16, std::vector<uint16_t>(48, static_cast<uint16_t>(1000 * (k + 1)))));
  std::string stack = TiffBytes(pages);
  WriteFileBytes(dir.File("stack.tif"), stack);
  EXPECT_EQ(PictureFilePages(dir.File("stack.tif")), 3);
  for (int32_t page : {1, 2, 3}) {
    const TGrayImage image(dir.File("stack.tif"), TBits16::Shift, page);
    EXPECT_EQ(image.Deep()->Row(5)[7], 1000 * page);
    const std::string which = "(page " + std::to_string(page) + " of 3)";
    EXPECT_NE(image.Decoding().find(which), std::string::npos) << image.Decoding();
  }
  const std::string error = ErrorOf([&] { TGrayImage(dir.File("stack.tif"), TBits16::Shift, 4); });
  EXPECT_TRUE(error.ends_with("stack.tif\" has 3 pages: there is no page 4")) << error;
  // Page 2's pixels are said to lie beyond the end of the file.
  const std::string offsets("\x11\x01\x04\x00\x01\x00\x00\x00", 8);  // tag 273, one LONG
  const size_t second = stack.find(offsets, stack.find(offsets) + 1);
  ASSERT_NE(second, std::string::npos);
  stack[second + 11] = '\x7F';
  TGrayImage image;
  image.SetBits16(TBits16::Shift);
  EXPECT_EQ(LoadError(stack, image, "s.tif", 2),
            "\"s.tif\" is not a valid TIFF file (page 2 of 3: truncated image data)");
  EXPECT_EQ(LoadError(stack, image, "s.tif", 3), "(no error)");
  EXPECT_EQ(image.Deep()->Row(0)[0], 3000);
}

TEST(PictureDecoding, FormatsAreFoundByContentAndDamageIsNamed) {
  TTempDir dir;
  QImage gray(40, 30, QImage::Format_Grayscale8);
  std::vector<uint16_t> values;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      gray.scanLine(y)[x] = static_cast<uchar>(x * 6 + y);
      values.push_back(static_cast<uint16_t>(x * 6 + y));
    }
  const std::map<std::string, std::string> files = {
      {"png", Encoded(gray, "png")},
      {"jpeg", Encoded(gray, "jpeg", 100)},
      {"tiff", TiffBytes({GrayPage(40, 30, 8, values)})},
      {"pgm", Encoded(gray, "pgm")}};
  // A PNG named .bmp, a JPEG named .tif and a TIFF with no extension all open by content.
  for (const auto& [format, name] : std::vector<std::pair<std::string, std::string>>{
           {"png", "a.bmp"}, {"jpeg", "b.tif"}, {"tiff", "noext"}, {"pgm", "d.jpg"}}) {
    WriteFileBytes(dir.File(name), files.at(format));
    TGrayImage image(dir.File(name));
    EXPECT_EQ(image.Width(), 40) << name;
    EXPECT_NEAR(image.GetPixel(20, 10), 130, format == "jpeg" ? 2 : 0) << name;
  }
  // Cut in half or with the header spoilt: refused, naming the file and the format, and the
  // image keeps its pixels.
  for (const auto& [format, title] : std::vector<std::pair<std::string, std::string>>{
           {"png", "PNG"}, {"tiff", "TIFF"}, {"jpeg", "JPEG"}, {"pgm", "PGM/PPM"}}) {
    const std::string good = files.at(format);
    std::string spoilt = good;  // the header, or in a TIFF where its directory lies
    const size_t from = format == "tiff" ? 4 : 8;
    for (size_t i = from; i < from + 16 && i < spoilt.size(); ++i) spoilt[i] = '\xEE';
    for (const std::string& bad : {good.substr(0, good.size() / 2), spoilt}) {
      TGrayImage image;
      image.SetSize(1, 1);
      image.SetPixel(0, 0, 42);
      const std::string error = LoadError(bad, image, "cam." + format);
      EXPECT_EQ(error.find("\"cam." + format + "\" is not a valid " + title + " file"), 0u)
          << error;
      EXPECT_EQ(image.GetPixel(0, 0), 42) << format << " " << bad.size();
    }
  }
  TGrayImage image;
  EXPECT_EQ(LoadError("GIF89a\x01\x00\x01\x00", image, "x.gif"),
            "\"x.gif\" is not a picture this system reads; supported are Windows bitmap (.bmp), "
            "PNG (.png), TIFF (.tif, .tiff), PGM/PPM (.pgm, .ppm) and JPEG (.jpg, .jpeg), 8 or "
            "16 bits, gray or colour");
  std::string big = TiffBytes({GrayPage(40, 30, 8, values)}, true);
  big.resize(big.size() - 3);
  EXPECT_EQ(LoadError(big, image, "b.tif").find("\"b.tif\" is not a valid BigTIFF file ("), 0u);
}

// What a header says is checked before anything is allocated: the picture limit (which can be
// raised), data too short to hold the picture, and the PGM's own fields.
TEST(PictureDecoding, OversizedAndImpossibleHeadersAreRefusedAtOnce) {
  QImage small(64, 64, QImage::Format_Grayscale8);
  small.fill(7);
  TTiffPage deflate = GrayPage(64, 64, 8, std::vector<uint16_t>(64 * 64, 7));
  deflate.Compression = 8;
  std::string tiff = TiffBytes({deflate});
  SetTiffTag(tiff, 256, 40000), SetTiffTag(tiff, 257, 40000);
  const std::string limit =
      " is too large: 40000 x 40000 pixels (at most 268435456 pixels are read; the environment "
      "variable LATTICOR_MAX_PIXELS=N reads larger ones)";
  TGrayImage image;
  EXPECT_EQ(LoadError(tiff, image, "t.tif"), "The picture \"t.tif\"" + limit);
  EXPECT_EQ(LoadError(PatchedPng(Encoded(small, "png"), 40000, 40000), image, "p.png"),
            "The picture \"p.png\"" + limit);
  EXPECT_EQ(LoadError("P5 40000 40000 255\n", image, "m.pgm"), "The picture \"m.pgm\"" + limit);
  // Within the limit, but more than the data can hold however well it is compressed.
  const std::string png = Encoded(small, "png");
  EXPECT_EQ(LoadError(PatchedPng(png, 16000, 16000), image, "p.png"),
            "\"p.png\" is not a valid PNG file (16000 x 16000 pixels cannot come from " +
                std::to_string(png.size()) + " bytes of data)");
  EXPECT_EQ(LoadError("P5 3 2 0\n\1\2\3\4\5\6", image, "z.pgm"),
            "\"z.pgm\" is not a valid PGM/PPM file (largest value 0: it must be 1 to 65535)");
  EXPECT_EQ(LoadError("P5 3 2 255\n\1\2\3", image, "c.pgm"),
            "\"c.pgm\" is not a valid PGM/PPM file (truncated data: 3 of 6 bytes of pixels)");
  // The limit can be raised or lowered.
  SetMaxPicturePixels(100, "--max-pixels N reads larger ones");
  EXPECT_EQ(LoadError(png, image, "p.png"),
            "The picture \"p.png\" is too large: 64 x 64 pixels (at most 100 pixels are read; "
            "--max-pixels N reads larger ones)");
  SetMaxPicturePixels(0, "the environment variable LATTICOR_MAX_PIXELS=N reads larger ones");
  EXPECT_EQ(LoadError(png, image, "p.png"), "(no error)");
}
