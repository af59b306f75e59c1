#include <gtest/gtest.h>

#include "CodeFiles.h"
#include "match/Match.h"
#include "support/TempDir.h"

namespace {

class CodeFileLoad : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const std::string& text) {
    std::string path = FDir.File(name);
    WriteFileBytes(path, text);
    return path;
  }
  // Loads text as the initial file against a plain valid deformed file.
  std::string LoadError(const std::string& text) {
    std::string path = Put("bad.cod", text);
    std::string good = Put("good.cod", CodeFileText({}));
    return ErrorOf([&] { TMatch match(path, good); });
  }
  std::string ReadError() const {
    return " Read data error from code file: \n" + FDir.File("bad.cod");
  }

  TTempDir FDir;
};

const std::string Example = CrLfLines({
    "VRKT-FS",
    "3 640 480",
    "50  50  1.000000  1.000000  255",
    "  0    101.500    33.250    -1    1   52",
    "  2    121.750    33.500     0    1   49",
    "  7    101.625    53.125    -1    0   50",
    "grid0.bmp",
});

}  // namespace

// Scaling on the way in is checked in EncoderRoundTripTest.cpp.
TEST_F(CodeFileLoad, ExampleFileFillsEveryField) {
  std::string b = Put("b.cod", CodeFileText({.Dots = {},
                                             .Width = 800,
                                             .Height = 600,
                                             .MaxNx = 3,
                                             .MaxNy = 4,
                                             .Background = 0,
                                             .ImageName = "d.bmp"}));
  TMatch match(Put("a.cod", Example), b);
  EXPECT_EQ(match.FCodeFileName[1], b);
  EXPECT_EQ(match.FDotSum[0], 3);
  EXPECT_EQ(match.FDotSum[1], 0);
  EXPECT_EQ(match.FImageWidth, 800);  // the deformed file, read last, leaves its size
  EXPECT_EQ(match.FImageHeight, 600);
  EXPECT_EQ(match.FBackground[0], 255);
  EXPECT_EQ(match.FImageName[0], "grid0.bmp");
  EXPECT_EQ(match.FImageName[1], "d.bmp");
  EXPECT_EQ(match.FCoordinate[1]->MaxNy(), 4);
  const TDotInfo& d = match.FDotInfo[0][2];
  EXPECT_EQ(d.x, 101.625f);
  EXPECT_EQ(d.y, 53.125f);
  EXPECT_EQ(d.Nx, -1);
  EXPECT_EQ(d.Ny, 0);
  EXPECT_EQ(d.Area, 50);
  EXPECT_TRUE(d.Coded);
  EXPECT_FALSE(d.Matched);
  // The row position, not the row's own number (7), is what the table holds.
  EXPECT_EQ(match.FCoordinate[0]->GetIndex(-1, 0), 2);
  EXPECT_EQ(match.FCoordinate[0]->GetIndex(1, 1), -1);
}

// Other refusals of the magic word: the bad-input matrix (BadCodeFileTest.cpp).
TEST_F(CodeFileLoad, MagicWordIsTheFirstSevenCharactersOfTheFirstWord) {
  std::string rest = "\r\n0 640 480\r\n5  5  1.0  1.0  0\r\nname\r\n";
  for (const std::string& head :
       {std::string("VRKT-FSx"), "VRKT-FS" + std::string(300, 'z'), std::string("  \r\n\tVRKT-FS")})
    EXPECT_EQ(LoadError(head + rest), "(no error)") << head;
  std::string refused = FDir.File("bad.cod") + " is not a code file!";
  for (const std::string& head : {std::string("VRKT-F S"), std::string("vrkt-fs"),
                                  std::string(300, 'V'), std::string("VRKT-F\0S", 8)})
    EXPECT_EQ(LoadError(head + rest), refused) << head;
}

TEST_F(CodeFileLoad, LineEndsAndBlankRunsDoNotMatter) {
  std::string lf = Example;
  for (size_t at; (at = lf.find('\r')) != std::string::npos;) lf.erase(at, 1);
  std::string loose =
      "VRKT-FS 3\t640\n\n480 50 50 1 1.0 255 0 101.5 33.25 -1 1 52\f2 121.75 33.5 0 1 49 "
      "7\v101.625 +53.125 -1 0 +50 grid0.bmp";
  TMatch crlf(Put("a.cod", Example), Put("b.cod", lf));
  TMatch other(Put("c.cod", loose), Put("d.cod", loose));
  for (const TMatch* m : {&crlf, &other}) {
    for (int i = 0; i < 2; ++i) {
      const auto& dots = m->FDotInfo[i];
      ASSERT_EQ(dots.size(), 3u);
      for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(dots[k].x, crlf.FDotInfo[0][k].x);
        EXPECT_EQ(dots[k].y, crlf.FDotInfo[0][k].y);
        EXPECT_EQ(dots[k].Nx, crlf.FDotInfo[0][k].Nx);
        EXPECT_EQ(dots[k].Ny, crlf.FDotInfo[0][k].Ny);
        EXPECT_EQ(dots[k].Area, crlf.FDotInfo[0][k].Area);
      }
      EXPECT_EQ(m->FImageName[i], "grid0.bmp");
    }
  }
}

TEST_F(CodeFileLoad, HeaderCountIsTheOnlyCount) {
  // Two counted rows, a third one: its first value becomes the image name.
  std::string text = CrLfLines({"VRKT-FS", "2 640 480", "50  50  1.0  1.0  255",
                                "  0    101.500    33.250    -1    1   52",
                                "  2    121.750    33.500     0    1   49",
                                "  7    101.625    53.125    -1    0   50", "grid0.bmp"});
  std::string path = Put("a.cod", text);
  TMatch match(path, path);
  EXPECT_EQ(match.FDotSum[0], 2);
  EXPECT_EQ(match.FDotInfo[0].size(), 2u);
  EXPECT_EQ(match.FImageName[0], "7");
  EXPECT_EQ(match.FCoordinate[0]->GetIndex(-1, 0), -1);
}

TEST_F(CodeFileLoad, ImageNameIsTheNextWordOrEmpty) {
  auto nameOf = [&](const std::string& tail) {
    std::string path = Put("a.cod", "VRKT-FS\r\n1 640 480\r\n5 5 1 1 0\r\n0 1 2 3 4 5" + tail);
    TMatch match(path, path);
    return match.FImageName[1];
  };
  EXPECT_EQ(nameOf("\r\nmy picture.bmp\r\n"), "my");
  EXPECT_EQ(nameOf(""), "");
  EXPECT_EQ(nameOf("\r\n"), "");
  EXPECT_EQ(nameOf(" \r\n\r\n  "), "");
  EXPECT_EQ(nameOf("\r\n" + std::string(500, 'n')), std::string(500, 'n'));  // kept whole
  EXPECT_EQ(nameOf("\r\nbild\xE4.bmp"), "bild\xE4.bmp");
}

// What the loader refuses beyond the cases of the bad-input matrix (BadCodeFileTest.cpp, which
// also covers open failures, range errors and letters in rows).
TEST_F(CodeFileLoad, UnreadableValuesAreReadErrors) {
  const std::string scales = "VRKT-FS\r\n1 640 480\r\n50 50 ";
  const std::string texts[] = {
      "VRKT-FS\r\n3 640",
      "VRKT-FS\r\nabc 640 480\r\n50 50 1.0 1.0 255\r\nx",
      "VRKT-FS\r\n0 640 480\r\n50 50 1.0 1.0",
      "VRKT-FS\r\n0 640 480\r\n50.5 50 1.0 1.0 255\r\nx",
      "VRKT-FS\r\n0 640 480\r\n50 50 1.0 1.0 2147483648\r\nx",
      "VRKT-FS\r\n0 640 -2147483649\r\n50 50 1.0 1.0 0\r\nx",
      "VRKT-FS\r\n0 640 480\r\n50 50 0x10 1.0 0\r\nx",
      "VRKT-FS\r\n0 640 480\r\n+-50 50 1.0 1.0 0\r\nx",
      "VRKT-FS\r\n0 640 480\r\n50 50 1e 1.0 0\r\nx",
      "VRKT-FS\r\n0 640 480\r\n50 50 - 1.0 0\r\nx",
      scales + "1.0 1e39 0\r\n0 1 1 0 0 5\r\nx",   // beyond the float range
      scales + "1.0 1e-50 0\r\n0 1 1 0 0 5\r\nx",  // below it
      // A row of six values and a trailing "12abc" is not a row of 12.
      scales + "1 1 0\r\n0 1 2 3 4 12abc\r\n",
  };
  for (const std::string& text : texts) EXPECT_EQ(LoadError(text), ReadError()) << text;
  EXPECT_EQ(LoadError(scales + "1e2 +2.5E-1 0\r\n0 1. .5 0 0 5\r\nx"), "(no error)");
}

TEST_F(CodeFileLoad, CountsAndTableSizesBeyondTheirCapsAreRefusedBeforeAllocating) {
  // The shortest possible rows, each a separator and one character per value: 12 bytes.
  std::string rows;
  for (int k = 0; k < 100; ++k)
    rows += "\n0 0 0 " + std::to_string(k % 10) + " " + std::to_string(k / 10) + " 1";
  EXPECT_EQ(LoadError("VRKT-FS\n100 1 1\n9 9 1 1 0" + rows), "(no error)");
  EXPECT_EQ(LoadError("VRKT-FS\n101 1 1\n9 9 1 1 0" + rows), ReadError());

  const std::string noMemory = "No enough memory to allocate Coordinate System";
  auto withSize = [&](const std::string& maxima) {
    return LoadError("VRKT-FS\r\n0 640 480\r\n" + maxima + "  1.0  1.0  0\r\nname\r\n");
  };
  // Beyond the cap the message says that it is one and what lowers it.
  const std::string cap = noMemory + "\n(MaxNx ";
  EXPECT_EQ(withSize("-2147483648  -2147483648"), noMemory);
  EXPECT_EQ(withSize("67108864  0").substr(0, cap.size()), cap);  // 2^27 + 1 entries
  EXPECT_EQ(withSize("0  0"), "(no error)");
  EXPECT_EQ(withSize("2000  2000"), "(no error)");  // 16 million entries, a few dots
  // The entry count of the largest ranges once overflowed 64 bits before it was compared.
  EXPECT_EQ(withSize("2147483647  2147483647").substr(0, cap.size()), cap);
  EXPECT_EQ(withSize("2147483647  1").substr(0, cap.size()), cap);
}
