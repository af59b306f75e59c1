// Raw files that do not fit the image they are read into. A raw file records no size: a short
// one is not an error (the bytes present are read, the rest of the image is 0) and a long one is
// read up to the image size. Files that cannot be read at all are clear errors.
#include <gtest/gtest.h>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

struct TRawCase {
  std::string Name;
  int32_t Width, Height, Header;
  std::string File;
  std::vector<uint8_t> Expected;
};

std::vector<TRawCase> RawCases() {
  return {
      {"ExactSize", 3, 2, 0, "\x01\x02\x03\x04\x05\x06", {1, 2, 3, 4, 5, 6}},
      {"ShorterThanTheImage", 3, 2, 0, "\x07\x08", {7, 8, 0, 0, 0, 0}},
      {"Empty", 2, 2, 0, "", {0, 0, 0, 0}},
      {"LongerThanTheImage", 2, 2, 0, "\x01\x02\x03\x04\x05\x06\x07\x08\x09", {1, 2, 3, 4}},
      {"HeaderThenShortPixels", 2, 2, 3, "FFF\x09\x0a", {9, 10, 0, 0}},
      {"ShorterThanTheHeader", 2, 2, 8, "FFFF", {0, 0, 0, 0}},
      {"HeaderThenMorePixels", 1, 2, 1, "F\x05\x06\x07", {5, 6}},
      {"NegativeHeaderSizeReadsFromTheStart", 2, 1, -4, "\x03\x04\x05", {3, 4}},
      {"EmptyImage", 0, 5, 0, "\x01\x02", {}},
  };
}

class BadRaw : public testing::TestWithParam<TRawCase> {};

}  // namespace

TEST_P(BadRaw, LoadsTheBytesPresentUpToTheImageSize) {
  const TRawCase& c = GetParam();
  TTempDir dir;
  WriteFileBytes(dir.File("in.raw"), c.File);
  TGrayImage image;
  image.SetWidth(c.Width);
  image.SetHeight(c.Height);
  image.FillRect(0xEE, 0, 0, c.Width - 1, c.Height - 1);  // stale pixels must not show through
  image.SetHeaderSize(c.Header);
  image.LoadFromFile(dir.File("in.raw"));
  EXPECT_EQ(image.Width(), c.Width);
  EXPECT_EQ(image.Height(), c.Height);
  EXPECT_EQ(std::vector<uint8_t>(image.Data(), image.Data() + image.Size()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Matrix, BadRaw, testing::ValuesIn(RawCases()),
                         [](const testing::TestParamInfo<TRawCase>& test) {
                           return test.param.Name;
                         });

TEST(BadRawFile, MissingFileOrDirectoryIsAClearErrorAndKeepsThePicture) {
  TTempDir dir;
  TGrayImage image;
  image.SetWidth(4);
  image.SetHeight(3);
  image.FillRect(7, 0, 0, 3, 2);
  EXPECT_EQ(ErrorOf([&] { image.LoadRaw(dir.File("none.raw")); }),
            "Cannot open file \"" + dir.File("none.raw") + "\". No such file or directory");
  EXPECT_EQ(image.GetPixel(3, 2), 7);
  EXPECT_EQ(ErrorOf([&] { image.LoadRaw(dir.Path()); }),
            "Cannot read file \"" + dir.Path() + "\". Is a directory");
  EXPECT_EQ(image.Width(), 4);
  EXPECT_EQ(image.Height(), 3);
}
