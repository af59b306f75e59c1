// Camera pictures through the real command-line tool: the synthetic pair written as PNG, TIFF
// and PGM with 16 bits, as 8-bit TIFF and as JPEG gives the dots the 8-bit bitmap gives.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "CliRun.h"
#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "synth/Synth.h"

namespace {

using TDots = std::map<std::pair<int, int>, std::pair<double, double>>;

// (Nx, Ny) -> (x, y) of a code file: "index x y Nx Ny area" after three header lines.
TDots ReadDots(const std::string& path) {
  std::istringstream in(ReadFileBytes(path));
  std::string line;
  for (int i = 0; i < 3; ++i) std::getline(in, line);
  TDots dots;
  int index, nx, ny, area;
  double x, y;
  while (in >> index >> x >> y >> nx >> ny >> area) dots[{nx, ny}] = {x, y};
  return dots;
}

QImage Gray8(const TGrayImage& image) {
  QImage q(image.Width(), image.Height(), QImage::Format_Grayscale8);
  for (int32_t y = 0; y < image.Height(); ++y)
    std::copy(image.Row(y), image.Row(y) + image.Width(), q.scanLine(y));
  return q;
}

void WriteQt(const QImage& picture, const char* format, const std::string& path, int quality) {
  QImageWriter writer(QString::fromStdString(path), format);
  writer.setQuality(quality);
  ASSERT_TRUE(writer.write(picture)) << path << ": " << writer.errorString().toStdString();
}

// The picture's gray values times by (as a camera stores 8-bit data in more bits), channels
// times each.
TTiffPage Page(const TGrayImage& image, int bits, uint16_t by, int channels = 1) {
  TTiffPage page;
  page.Width = image.Width(), page.Height = image.Height(), page.Bits = bits;
  page.Samples = channels, page.Photometric = channels == 3 ? 2 : 1;
  for (int32_t i = 0; i < image.Size(); ++i)
    for (int c = 0; c < channels; ++c)
      page.Values.push_back(static_cast<uint16_t>(image.Data()[i] * by));
  return page;
}

std::string Pgm16(const TGrayImage& image) {
  std::string s = "P5\n# 16-bit\n" + std::to_string(image.Width()) + " " +
                  std::to_string(image.Height()) + "\n65535\n";
  for (int32_t i = 0; i < image.Size(); ++i) {
    const int v = image.Data()[i] * 257;
    s += static_cast<char>(v >> 8), s += static_cast<char>(v & 255);
  }
  return s;
}

TSynthOptions DemoLike() {
  TSynthOptions o;
  o.Width = 400, o.Height = 300, o.PitchX = 20, o.PitchY = 20, o.Radius = 5;
  o.NoiseSigma = 2, o.Gradient = 30, o.RotationDeg = 1.5;
  o.TranslateX = 0.37, o.TranslateY = -0.23, o.Exx = 0.003, o.Eyy = -0.002, o.Exy = 0.001;
  return o;
}

}  // namespace

// Segmented as given and measured with refined centroids on the picture as read (its full depth
// where it has more than 8 bits).
TEST(CliPictureFormats, EveryFormatAndDepthGivesTheDotsOfTheBitmap) {
  TTempDir dir;
  TGrayImage picture;
  TSynthGrid(DemoLike()).Render(true, picture);
  const std::string base = dir.File("p");
  picture.SaveBmp(base + ".bmp");
  QImage gray16(picture.Width(), picture.Height(), QImage::Format_Grayscale16);
  for (int32_t i = 0; i < picture.Size(); ++i)
    reinterpret_cast<quint16*>(gray16.bits())[i] = static_cast<quint16>(picture.Data()[i] * 257);
  WriteQt(gray16, "png", base + "-16.png", -1);
  WriteQt(Gray8(picture), "png", base + "-8.png", -1);
  WriteQt(Gray8(picture), "jpeg", base + ".jpg", 100);
  WriteFileBytes(base + "-16.pgm", Pgm16(picture));
  WriteFileBytes(base + "-16-named.bmp", Pgm16(picture));  // by content, not by name
  TTiffPage tiles = Page(picture, 16, 257);
  tiles.Tile = 64, tiles.Compression = 8;
  TTiffPage lzw = Page(picture, 8, 1, 3);
  lzw.Compression = 5;
  const std::vector<std::pair<std::string, TTiffPage>> tiffs = {
      {"-8.tif", Page(picture, 8, 1)},
      {"-16.tif", Page(picture, 16, 257)},
      {"-12in16.tif", Page(picture, 16, 16)},
      {"-12.tif", Page(picture, 12, 16)},
      {"-16-tiles.tif", tiles},
      {"-rgb-lzw.tif", lzw}};
  for (const auto& [suffix, page] : tiffs) WriteFileBytes(base + suffix, TiffBytes({page}));

  auto dotsOf = [&](const std::string& input) {
    const TCliResult seg = RunCli({"segment", input, base + "-seg.bmp"});
    EXPECT_EQ(seg.Status, 0) << input << ": " << seg.Err;
    const TCliResult enc = RunCli(
        {"encode", base + "-seg.bmp", base + ".cod", "--centroid", "refined", "--picture", input});
    EXPECT_EQ(enc.Status, 0) << input << ": " << enc.Err;
    return ReadDots(base + ".cod");
  };
  const TDots truth = dotsOf(base + ".bmp");
  ASSERT_GT(truth.size(), 200u);
  std::vector<std::string> suffixes = {"-16.png", "-8.png", "-16.pgm", "-16-named.bmp", ".jpg"};
  for (const auto& tiff : tiffs) suffixes.push_back(tiff.first);
  for (const std::string& suffix : suffixes) {
    const TDots dots = dotsOf(base + suffix);
    EXPECT_EQ(dots.size(), truth.size()) << suffix;
    double worst = 0;
    for (const auto& [index, xy] : truth) {
      const auto found = dots.find(index);
      if (found == dots.end()) continue;  // counted above
      worst = std::max({worst, std::fabs(found->second.first - xy.first),
                        std::fabs(found->second.second - xy.second)});
    }
    EXPECT_LE(worst, suffix == ".jpg" ? 0.05 : 0.01) << suffix;
    RecordProperty(suffix, std::to_string(worst));
  }
}

// 12-bit data in a 16-bit TIFF: by default the percentiles stretch it to the full gray range,
// --bits16 shift keeps the top 8 of its 12 bits, and each command says which rule it used.
TEST(CliPictureFormats, Bits16RuleIsChosenAndReported) {
  TTempDir dir;
  TSynthOptions options = DemoLike();
  options.Width = 240, options.Height = 180;
  TGrayImage picture;
  TSynthGrid(options).Render(false, picture);
  const std::string camera = dir.File("camera.tif");
  WriteFileBytes(camera, TiffBytes({Page(picture, 16, 16)}));

  auto brightest = [](const std::string& path) {
    const TGrayImage image(path);
    return *std::max_element(image.Data(), image.Data() + image.Size());
  };
  const TCliResult stretched = RunCli({"segment", camera, dir.File("stretched.bmp")});
  ASSERT_EQ(stretched.Status, 0) << stretched.Err;
  EXPECT_EQ(stretched.Err.rfind("segment: " + camera +
                                    " read as 16-bit TIFF, 12-bit data, percentiles 0.1 % and "
                                    "99.9 % (",
                                0),
            0u)
      << stretched.Err;
  EXPECT_GE(brightest(dir.File("stretched.bmp")), 250);
  const TCliResult shifted =
      RunCli({"segment", camera, dir.File("shifted.bmp"), "--bits16", "shift"});
  ASSERT_EQ(shifted.Status, 0) << shifted.Err;
  EXPECT_EQ(shifted.Err,
            "segment: " + camera + " read as 16-bit TIFF, 12-bit data, shifted right by 4 bits\n");
  EXPECT_EQ(brightest(dir.File("shifted.bmp")),
            *std::max_element(picture.Data(), picture.Data() + picture.Size()));

  const TCliResult encoded =
      RunCli({"encode", dir.File("stretched.bmp"), dir.File("a.cod"), "--centroid", "refined",
              "--picture", camera, "--bits16", "shift"});
  ASSERT_EQ(encoded.Status, 0) << encoded.Err;
  EXPECT_TRUE(
      encoded.Err.ends_with("; read as 8-bit bitmap; --picture read as 16-bit TIFF, "
                            "12-bit data, shifted right by 4 bits\n"))
      << encoded.Err;
  EXPECT_EQ(RunCli({"segment", camera, dir.File("x.bmp"), "--bits16", "high"}).Status, 2);
}
