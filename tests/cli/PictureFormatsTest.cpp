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

QImage Gray16(const TGrayImage& image) {
  QImage q(image.Width(), image.Height(), QImage::Format_Grayscale16);
  for (int32_t y = 0; y < image.Height(); ++y) {
    auto* row = reinterpret_cast<quint16*>(q.scanLine(y));
    for (int32_t x = 0; x < image.Width(); ++x)
      row[x] = static_cast<quint16>(image.Row(y)[x] * 257);
  }
  return q;
}

void WriteQt(const QImage& picture, const char* format, const std::string& path, int quality) {
  QImageWriter writer(QString::fromStdString(path), format);
  writer.setQuality(quality);
  ASSERT_TRUE(writer.write(picture)) << path << ": " << writer.errorString().toStdString();
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

TEST(CliPictureFormats, EveryFormatGivesTheDotsOfTheBitmap) {
  TTempDir dir;
  const TSynthGrid grid(DemoLike());
  for (bool deformed : {false, true}) {
    TGrayImage picture;
    grid.Render(deformed, picture);
    const std::string base = dir.File(deformed ? "deformed" : "initial");
    picture.SaveBmp(base + ".bmp");
    WriteQt(Gray16(picture), "png", base + "-16.png", -1);
    WriteQt(Gray16(picture), "tiff", base + "-16.tif", -1);
    WriteQt(Gray8(picture), "tiff", base + "-8.tiff", -1);
    WriteQt(Gray8(picture), "jpeg", base + ".jpg", 100);
    WriteFileBytes(base + "-16.pgm", Pgm16(picture));
    WriteFileBytes(base + "-16-named.bmp", Pgm16(picture));  // by content, not by name

    auto dotsOf = [&](const std::string& input) {
      const TCliResult seg = RunCli({"segment", input, base + "-seg.bmp"});
      EXPECT_EQ(seg.Status, 0) << input << ": " << seg.Err;
      const TCliResult enc = RunCli({"encode", base + "-seg.bmp", base + ".cod"});
      EXPECT_EQ(enc.Status, 0) << input << ": " << enc.Err;
      return ReadDots(base + ".cod");
    };
    const TDots truth = dotsOf(base + ".bmp");
    ASSERT_GT(truth.size(), 200u);
    for (const auto& [suffix, tolerance] :
         std::vector<std::pair<std::string, double>>{{"-16.png", 0.01},
                                                     {"-16.tif", 0.01},
                                                     {"-8.tiff", 0.01},
                                                     {"-16.pgm", 0.01},
                                                     {"-16-named.bmp", 0.01},
                                                     {".jpg", 0.05}}) {
      const TDots dots = dotsOf(base + suffix);
      EXPECT_EQ(dots.size(), truth.size()) << suffix;
      double worst = 0;
      for (const auto& [index, xy] : truth) {
        const auto found = dots.find(index);
        if (found == dots.end()) continue;  // counted above
        worst = std::max({worst, std::fabs(found->second.first - xy.first),
                          std::fabs(found->second.second - xy.second)});
      }
      EXPECT_LE(worst, tolerance) << suffix << (deformed ? " deformed" : " initial");
      RecordProperty(std::string(deformed ? "deformed" : "initial") + suffix,
                     std::to_string(worst));
    }
  }
}

// 12-bit data in a 16-bit TIFF: by default the percentiles stretch it to the full gray range,
// --bits16 shift keeps the high byte (so the picture stays dark), and each command says which
// rule it used.
TEST(CliPictureFormats, Bits16RuleIsChosenAndReported) {
  TTempDir dir;
  TSynthOptions options = DemoLike();
  options.Width = 240, options.Height = 180;
  TGrayImage picture;
  TSynthGrid(options).Render(false, picture);
  QImage twelveBits(picture.Width(), picture.Height(), QImage::Format_Grayscale16);
  for (int32_t y = 0; y < picture.Height(); ++y)
    for (int32_t x = 0; x < picture.Width(); ++x)
      reinterpret_cast<quint16*>(twelveBits.scanLine(y))[x] =
          static_cast<quint16>(picture.Row(y)[x] * 16);
  const std::string camera = dir.File("camera.tif");
  WriteQt(twelveBits, "tiff", camera, -1);

  auto brightest = [](const std::string& path) {
    const TGrayImage image(path);
    return *std::max_element(image.Data(), image.Data() + image.Size());
  };
  const TCliResult stretched = RunCli({"segment", camera, dir.File("stretched.bmp")});
  ASSERT_EQ(stretched.Status, 0) << stretched.Err;
  EXPECT_EQ(stretched.Err.rfind(
                "segment: " + camera + " read as 16-bit TIFF, percentiles 0.1 % and 99.9 % (", 0),
            0u)
      << stretched.Err;
  EXPECT_GE(brightest(dir.File("stretched.bmp")), 250);
  const TCliResult shifted =
      RunCli({"segment", camera, dir.File("shifted.bmp"), "--bits16", "shift"});
  ASSERT_EQ(shifted.Status, 0) << shifted.Err;
  EXPECT_EQ(shifted.Err, "segment: " + camera + " read as 16-bit TIFF, shifted right by 8 bits\n");
  EXPECT_LE(brightest(dir.File("shifted.bmp")), 4095 >> 8);

  const TCliResult encoded =
      RunCli({"encode", dir.File("stretched.bmp"), dir.File("a.cod"), "--centroid", "refined",
              "--picture", camera, "--bits16", "shift"});
  ASSERT_EQ(encoded.Status, 0) << encoded.Err;
  EXPECT_TRUE(encoded.Err.ends_with(
      "; read as 8-bit bitmap; --picture read as 16-bit TIFF, shifted right by 8 bits\n"))
      << encoded.Err;
  EXPECT_EQ(RunCli({"segment", camera, dir.File("x.bmp"), "--bits16", "high"}).Status, 2);
}
