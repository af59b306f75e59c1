// Run-length compressed bitmaps: pictures whose runs describe every pixel load exactly; streams
// that break off, stop early, jump ahead or overrun a row are refused before decoding, since
// the decoder would return them half-read with the undescribed pixels at 0.
#include <gtest/gtest.h>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "support/BmpBytes.h"
#include "support/TempDir.h"

namespace {

// 6 x 3, 16 gray levels (index i is gray 17 i); rows are stored bottom-up.
const std::string Rle8Data = std::string(
    "\x03\x03\x00\x03\x03\x05\x06\x00\x00\x00"  // bottom row: 3 3 3, literal 3 5 6 (padded), end of
                                                // line
    "\x00\x03\x01\x02\x03\x00\x03\x0f\x00\x00"  // middle row: literal 1 2 3 (padded), 15 15 15
    "\x06\x07\x00\x01",                         // top row: six 7s, end of bitmap
    24);
constexpr size_t LastRowStart = 20;

std::string LoadError(const std::string& bytes, TGrayImage& image) {
  try {
    image.LoadBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "r.bmp");
  } catch (const TError& e) {
    return e.Message();
  }
  return "(no error)";
}

std::string LoadError(const std::string& bytes) {
  TGrayImage image;
  return LoadError(bytes, image);
}

std::vector<uint8_t> Pixels(const TGrayImage& image) {
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

}  // namespace

TEST(BitmapRunLength, PicturesWhoseRunsDescribeEveryPixelLoadExactly) {
  TTempDir dir;
  const std::string rle8 = BitmapBytes(6, 3, 8, 1, 16, Rle8Data);
  WriteFileBytes(dir.File("rle8.bmp"), rle8);
  TGrayImage image;
  image.LoadBmp(dir.File("rle8.bmp"));  // the file path seeks back after the check
  EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{119, 119, 119, 119, 119, 119,  //
                                                 17, 34, 51, 255, 255, 255,     //
                                                 51, 51, 51, 51, 85, 102}));

  // 5 x 2 at four bits: an alternating run of 1 and 2, then a literal run 3..7 (three bytes,
  // padded to four).
  const std::string rle4 = BitmapBytes(
      5, 2, 4, 2, 16, std::string("\x05\x12\x00\x00\x00\x05\x34\x56\x70\x00\x00\x01", 12));
  ASSERT_EQ(LoadError(rle4, image), "(no error)");
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
    const std::string message =
        LoadError(BitmapBytes(6, 3, 8, 1, 16, Rle8Data.substr(0, cut)), image);
    EXPECT_EQ(message, "\"r.bmp\" is not a valid bitmap file (truncated pixel data)") << cut;
    EXPECT_EQ(image.Width(), 1);
    EXPECT_EQ(image.GetPixel(0, 0), 42);
  }
  // The last row complete, only the end code missing: every pixel is there.
  EXPECT_EQ(LoadError(BitmapBytes(6, 3, 8, 1, 16, Rle8Data.substr(0, 22))), "(no error)");
}

// Caught the same way: a 64-byte file whose header claims 4000 x 4000
// pixels and whose data is just the end code decoded, for ten seconds, into 16 million pixels
// of 0; at 40000 x 40000 it would take gigabytes.
TEST(BitmapRunLength, TinyFileClaimingAHugePictureIsRefusedBeforeDecoding) {
  for (int32_t side : {4000, 40000})
    EXPECT_EQ(LoadError(BitmapBytes(side, side, 8, 1, 2, std::string("\0\1", 2))),
              "\"r.bmp\" is not a valid bitmap file (run-length data leaves pixels undefined)");
}

TEST(BitmapRunLength, JumpsEarlyEndsAndOverrunsAreRefused) {
  const std::string undefined = "run-length data leaves pixels undefined";
  const std::string cases[] = {
      std::string("\x06\x07\x00\x02\x00\x01", 6) + Rle8Data.substr(LastRowStart),  // jump
      std::string("\x05\x07\x00\x00", 4) + Rle8Data.substr(10),  // end of line after 5 of 6
      Rle8Data.substr(0, 10) + std::string("\x00\x01", 2),       // end of bitmap after one row
  };
  for (const std::string& data : cases)
    EXPECT_NE(LoadError(BitmapBytes(6, 3, 8, 1, 16, data)).find(undefined), std::string::npos);
  EXPECT_EQ(LoadError(BitmapBytes(6, 3, 8, 1, 16, "\x07\x01" + Rle8Data.substr(2))),
            "\"r.bmp\" is not a valid bitmap file (run-length data beyond the end of a row)");
  EXPECT_NE(
      LoadError(BitmapBytes(6, 3, 8, 1, 16,
                            std::string("\x00\x09\x01\x02\x03\x04\x05\x06\x07\x08\x09\x00", 12)))
          .find("beyond the end of a row"),
      std::string::npos);  // a literal run of 9
}
