// Damaged camera pictures, handed to both commands that read pictures: each is refused with a
// message naming the file and the format, and nothing is written. Pictures are written by Qt
// here and then cut or spoilt.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "MatrixSupport.h"
#include "support/TiffBytes.h"

using namespace matrix;

namespace {

struct TBadPicture {
  std::string Name;
  std::string Bytes;
  std::string Reason;
};

std::string Written(const char* format, bool deep) {
  QImage picture(48, 32, deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      picture.setPixelColor(x, y, QColor::fromRgba64(0, 0, 0).fromRgb(x * 5, y * 7, 90));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.write(picture);
  return bytes.toStdString();
}

std::string Tiff(bool deep, int compression = 1) {
  std::vector<uint16_t> values;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 48; ++x)
      values.push_back(static_cast<uint16_t>((x * 5 + y * 7) * (deep ? 200 : 1)));
  TTiffPage page = GrayPage(48, 32, deep ? 16 : 8, values);
  page.Compression = compression;
  return TiffBytes({page});
}

std::string Pgm16() {
  std::string s = "P5\n48 32\n4095\n";
  for (int i = 0; i < 48 * 32; ++i) s += static_cast<char>(i % 16), s += static_cast<char>(i);
  return s;
}

std::string Spoilt(std::string bytes, size_t from, size_t count) {
  for (size_t i = from; i < from + count && i < bytes.size(); ++i) bytes[i] = '\xEE';
  return bytes;
}

std::vector<TBadPicture> BadPictures() {
  std::vector<TBadPicture> all;
  const std::vector<std::tuple<std::string, std::string, std::string, size_t>> formats = {
      {"Png8", Written("png", false), "is not a valid PNG file", 8},
      {"Png16", Written("png", true), "is not a valid PNG file", 8},
      {"Tiff8", Tiff(false), "is not a valid TIFF file", 4},
      {"Tiff16", Tiff(true), "is not a valid TIFF file", 4},
      {"Jpeg", Written("jpeg", false), "is not a valid JPEG file", 4},
      {"Pgm8", Written("pgm", false), "is not a valid PGM/PPM file", 3},
      {"Pgm16", Pgm16(), "is not a valid PGM/PPM file", 3}};
  for (const auto& [name, bytes, reason, header] : formats) {
    all.push_back({name + "CutInHalf", bytes.substr(0, bytes.size() / 2), reason});
    all.push_back({name + "CutBeforeTheLastByte", bytes.substr(0, bytes.size() - 1), reason});
    all.push_back({name + "HeaderSpoilt", Spoilt(bytes, header, 8), reason});
  }
  // Damage inside the compressed data, where libpng and libtiff find it and would print their
  // own lines.
  const std::string png = Written("png", true);
  all.push_back({"Png16DataSpoilt", Spoilt(png, png.size() / 2, 8), "is not a valid PNG file"});
  all.push_back({"TiffLzwDataSpoilt", Spoilt(Tiff(true, 5), 8, 64), "is not a valid TIFF file"});
  // Headers that say more than the file can be: refused from the header, before any allocation.
  std::string bomb = Tiff(false, 8);  // deflate, its size patched to 40000 x 40000
  SetTiffTag(bomb, 256, 40000), SetTiffTag(bomb, 257, 40000);
  all.push_back({"DeflateTiffOf40000By40000", bomb, "40000 x 40000 pixels (at most 268435456"});
  all.push_back({"PgmLargestValue0", "P5 2 2 0\n\1\2\3\4",
                 "is not a valid PGM/PPM file (largest value 0: it must be 1 to 65535)"});
  all.push_back({"Pgm8CutShort", "P5 4 4 255\n\1\2\3\4\5",
                 "is not a valid PGM/PPM file (truncated data: 5 of 16 bytes of pixels)"});
  all.push_back({"PgmOf100000By100000", "P5 100000 100000 255\n\1\2\3",
                 "is too large: 100000 x 100000 pixels"});
  all.push_back({"UnknownFormatListsTheSupportedOnes", "GIF89a\x30\x00\x20\x00",
                 "is not a picture this system reads; supported are Windows bitmap (.bmp), PNG "
                 "(.png), TIFF (.tif, .tiff), PGM/PPM (.pgm, .ppm) and JPEG (.jpg, .jpeg)"});
  return all;
}

class BadPicture : public testing::TestWithParam<TBadPicture> {};

}  // namespace

TEST_P(BadPicture, IsRefusedByEveryCommandAndNothingIsWritten) {
  TTempDir dir;
  const std::string input = dir.File("in.pic");
  WriteFileBytes(input, GetParam().Bytes);
  WriteFileBytes(dir.File("out.cod"), "previous codes");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"segment", input, dir.File("out.bmp")},
        {"segment", input, dir.File("out.raw"), "--threshold", "9"},
        {"encode", input, dir.File("out.cod"), "--least-area", "3"},
        {"encode", input, dir.File("out.cod")}}) {
    const TCliResult run = RunCli(args);
    EXPECT_EQ(FailureProblem(run, {"\"" + input + "\"", GetParam().Reason}), "") << args[0];
    // One message of ours, not the codec libraries' lines before it.
    EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << run.Err;
    EXPECT_TRUE(run.Err.starts_with("\"" + input + "\"") ||
                run.Err.starts_with("The picture \"" + input + "\" is too large"))
        << run.Err;
  }
  EXPECT_EQ(ReadFileBytes(dir.File("out.cod")), "previous codes");
  EXPECT_EQ(ListDirectory(dir.Path()), (std::vector<std::string>{"in.pic", "out.cod"}));
}

INSTANTIATE_TEST_SUITE_P(Matrix, BadPicture, testing::ValuesIn(BadPictures()),
                         [](const testing::TestParamInfo<TBadPicture>& test) {
                           return test.param.Name;
                         });
