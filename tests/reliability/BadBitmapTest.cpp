// Damaged and hostile bitmaps, handed to both commands that read pictures: each is refused with
// a message naming the file and the reason, and nothing is written. The run-length refusals
// are checked one by one in tests/image/BmpReadTest.cpp; one of them stands for all here.
#include <gtest/gtest.h>

#include "MatrixSupport.h"

using namespace matrix;

namespace {

struct TBadBitmap {
  std::string Name;
  std::string Bytes;
  std::string Reason;
};

std::string Patched(std::string bytes, size_t at, uint32_t value, int size) {
  PutLE(bytes, at, value, size);
  return bytes;
}

std::vector<TBadBitmap> BadBitmaps() {
  const std::string good = Bitmap24(16, 12);            // 54 + 12 rows of 48 bytes
  const std::string rle8 = "\x08\x01\x00\x00\x08\x02";  // two rows of 8, cut off after them
  std::string binary(300, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 97 + 13);
  return {
      {"TruncatedInTheFileHeader", good.substr(0, 10), "truncated header"},
      {"TruncatedInTheInfoHeader", good.substr(0, 30), "truncated header"},
      {"TruncatedBeforeThePixels", good.substr(0, 54), "truncated pixel data"},
      {"TruncatedHalfWayThroughThePixels", good.substr(0, 54 + 6 * 48), "truncated pixel data"},
      {"OneByteShort", good.substr(0, good.size() - 1), "truncated pixel data"},
      {"HugeHeaderInAHundredBytes",
       Patched(Patched(good.substr(0, 100), 18, 100000, 4), 22, 100000, 4),
       "too large: 100000 x 100000 pixels"},
      {"LargeHeaderInAHundredBytes",
       Patched(Patched(good.substr(0, 100), 18, 40000, 4), 22, 40000, 4), "truncated pixel data"},
      {"ZeroWidth", Patched(good, 18, 0, 4), "width or height 0"},
      {"ZeroHeight", Patched(good, 22, 0, 4), "width or height 0"},
      {"NegativeWidth", Patched(good, 18, static_cast<uint32_t>(-16), 4), "width or height 0"},
      {"BitDepth0", Patched(good, 28, 0, 2), "unsupported bit depth 0"},
      {"BitDepth2", Patched(good, 28, 2, 2), "unsupported bit depth 2"},
      {"BitDepth7", Patched(good, 28, 7, 2), "unsupported bit depth 7"},
      {"BitDepth64", Patched(good, 28, 64, 2), "unsupported bit depth 64"},
      {"UnknownCompression", Patched(good, 30, 9, 4), "unsupported compression 9"},
      {"RunLengthEndingBeforeTheLastRow",
       BitmapBytes(8, 3, 8, 1, 4, rle8 + std::string("\0\0\0\1", 4)), "leaves pixels undefined"},
      {"EmptyFile", "", "is not a picture this system reads; supported are Windows bitmap"},
      {"BinaryFile", binary, "is not a picture this system reads"},
      {"TextFile", "VRKT-FS\r\n0 10 10\r\n", "is not a picture this system reads"},
  };
}

class BadBitmap : public testing::TestWithParam<TBadBitmap> {};

}  // namespace

TEST_P(BadBitmap, IsRefusedByEveryCommandAndNothingIsWritten) {
  TTempDir dir;
  const std::string input = dir.File("in.bmp");
  WriteFileBytes(input, GetParam().Bytes);
  WriteFileBytes(dir.File("out.cod"), "previous codes");

  EXPECT_EQ(
      FailureProblem(RunCli({"segment", input, dir.File("out.bmp")}), {input, GetParam().Reason}),
      "");
  EXPECT_EQ(FailureProblem(RunCli({"segment", input, dir.File("out.raw"), "--threshold", "9"}),
                           {input, GetParam().Reason}),
            "");
  EXPECT_EQ(FailureProblem(RunCli({"encode", input, dir.File("out.cod"), "--least-area", "3"}),
                           {input, GetParam().Reason}),
            "");
  EXPECT_EQ(
      FailureProblem(RunCli({"encode", input, dir.File("out.cod")}), {input, GetParam().Reason}),
      "");
  EXPECT_EQ(ReadFileBytes(dir.File("out.cod")), "previous codes");
  EXPECT_EQ(ListDirectory(dir.Path()), (std::vector<std::string>{"in.bmp", "out.cod"}));
}

INSTANTIATE_TEST_SUITE_P(Matrix, BadBitmap, testing::ValuesIn(BadBitmaps()),
                         [](const testing::TestParamInfo<TBadBitmap>& test) {
                           return test.param.Name;
                         });
