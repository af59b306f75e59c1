#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "CodeFiles.h"
#include "base/Convert.h"
#include "match/Match.h"
#include "match/Polar.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

using TWriter = void (TMatch::*)(const std::string&) const;
const TWriter Writers[8] = {&TMatch::WriteXYThetaR,    &TMatch::WriteXYDxDy,
                            &TMatch::WriteXYDx,        &TMatch::WriteXYDy,
                            &TMatch::WriteIndexXYDxDy, &TMatch::WriteIndexXYThetaR,
                            &TMatch::WriteNxNyXYDxDy,  &TMatch::WriteNxNyXYThetaR};

class ResultFile : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const TTestCodeFile& file) {
    std::string path = FDir.File(name);
    WriteFileBytes(path, CodeFileText(file));
    return path;
  }
  std::unique_ptr<TMatch> Matched(const TTestCodeFile& initial, const TTestCodeFile& deformed) {
    auto match = std::make_unique<TMatch>(Put("a.cod", initial), Put("b.cod", deformed));
    match->Match();
    return match;
  }
  std::vector<std::string> Lines(const std::string& path) {
    std::string text = ReadFileBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the file must end with CR LF";
    return lines;
  }
  TTempDir FDir;
};

// Pairs whose (dx, dy) in the y-up frame cover every theta rule, with zeros that must not print
// as "-0.000": (1.5, 2), (1, -0.5), (-2, 0), (0, -3), (0, 0), (0, 4), (3, 0) and a general one.
TTestCodeFile Initial() {
  return {.Dots = {{17, 100, 200, 0, 0},
                   {5, 130, 200, 1, 0},
                   {6, 40, 60, -2, 3},
                   {8, 50.5, 61.25, -1, 3},
                   {9, 7, 9, 4, -4},
                   {10, 8, 10, 5, -4},
                   {11, 9, 11, 6, -4},
                   {12, 1234.567, 33.333, 9, 9}},
          .Height = 999,  // the y axis rule takes the deformed file's height
          .MaxNx = 10,
          .MaxNy = 10,
          .ScaleY = "0.5",
          .ImageName = "init.bmp"};
}
TTestCodeFile Deformed() {
  return {.Dots = {{0, 101.5, 98, 0, 0},
                   {1, 131, 100.5, 1, 0},
                   {2, 38, 30, -2, 3},
                   {3, 50.5, 33.625, -1, 3},
                   {4, 7, 4.5, 4, -4},
                   {5, 8, 1, 5, -4},
                   {6, 12, 5.5, 6, -4},
                   {7, 1230.123, 70.001, 9, 9}},
          .Height = 480,
          .MaxNx = 10,
          .MaxNy = 10,
          .ImageName = "def.bmp"};
}

}  // namespace

TEST_F(ResultFile, ExampleFileByteForByte) {
  auto match =
      Matched({.Dots = {{0, 100, 200, 0, 0}, {1, 130, 200, 1, 0}}, .ImageName = "init.bmp"},
              {.Dots = {{0, 101.5, 198, 0, 0}, {1, 131, 200.5, 1, 0}}, .ImageName = "def.bmp"});
  std::string path = FDir.File("Match0.dat");
  match->WriteXYDxDy(path);
  EXPECT_EQ(ReadFileBytes(path),
            "init.bmp\r\n"
            "def.bmp\r\n"
            "In this " +
                path +
                ", 2 dots have been matched\r\n"
                " Y axis is set to  Y2= Height-Y\r\n"
                "     x           y           dx          dy\r\n"
                "    100.000     280.000       1.500       2.000\r\n"
                "    130.000     280.000       1.000      -0.500\r\n");
}

TEST_F(ResultFile, EveryLayoutHasItsHeaderAndRowFormat) {
  const char* headers[8] = {
      "       x           y           theta        r",
      "     x           y           dx          dy",
      "     x           y           dx ",
      "     x           y          dy",
      " index      x           y           dx          dy",
      " index       x           y           theta        r",
      " Nx    Ny       x           y           dx          dy",
      " Nx    Ny      x           y           theta        r",
  };
  auto match = Matched(Initial(), Deformed());
  ASSERT_EQ(match->FMatchSum, 8);
  for (bool changeY : {true, false}) {
    match->FChangeYAxis = changeY;
    for (int layout = 0; layout < 8; ++layout) {
      // The writer by name, then through the dispatcher by its index.
      std::string path = FDir.File(Format("r%d.dat", layout));
      if (changeY)
        std::invoke(Writers[layout], *match, path);
      else
        match->WriteResult(layout, path);
      std::vector<std::string> lines = Lines(path);
      ASSERT_EQ(lines.size(), 5u + 8u);
      EXPECT_EQ(lines[0], "init.bmp");
      EXPECT_EQ(lines[1], "def.bmp");
      EXPECT_EQ(lines[2], "In this " + path + ", 8 dots have been matched");
      EXPECT_EQ(lines[3], changeY ? " Y axis is set to  Y2= Height-Y" : " Y axis is not changed");
      EXPECT_EQ(lines[4], headers[layout]);
      // Every row against printf with the layout's own format, fed by the plain rules.
      for (int32_t k = 0; k < 8; ++k) {
        const TDotInfo& d = match->FDotInfo[0][match->FMatchIndex[k]];
        const float dx = match->FDisplacement[k].x;
        const float dyUp = match->FDisplacement[k].y;
        double y = changeY ? 480.0 - d.y : d.y;
        // The image frame negates dy and theta; a zero stays a plain zero.
        double dy = changeY || dyUp == 0 ? dyUp : -dyUp;
        double theta = DisplacementTheta(dx, dyUp);
        if (!changeY && theta != 0) theta = -theta;
        double r = DisplacementR(dx, dyUp);
        int index = match->FMatchIndex[k];
        std::string expected[8] = {
            Format("%10.3f  %10.3f  %10.3f  %10.3f", d.x, y, theta, r),
            Format(" %10.3f  %10.3f  %10.3f  %10.3f", d.x, y, dx, dy),
            Format(" %10.3f  %10.3f  %10.3f", d.x, y, dx),
            Format(" %10.3f  %10.3f  %10.3f", d.x, y, dy),
            Format("%5d  %10.3f  %10.3f  %10.3f  %10.3f", index, d.x, y, dx, dy),
            Format("%5d  %10.3f  %10.3f  %10.3f  %10.3f", index, d.x, y, theta, r),
            Format("%5d  %5d   %10.3f  %10.3f  %10.3f  %10.3f", d.Nx, d.Ny, d.x, y, dx, dy),
            Format("%5d  %5d   %10.3f  %10.3f  %10.3f  %10.3f", d.Nx, d.Ny, d.x, y, theta, r),
        };
        EXPECT_EQ(lines[5 + k], expected[layout]) << "layout " << layout << " row " << k;
      }
    }
  }
}

// How they reach the files, in both y frames: the layout test above.
TEST_F(ResultFile, ThetaAndRFollowTheSpecialCases) {
  EXPECT_EQ(DisplacementTheta(-2, 0), 3.1415925f);
  EXPECT_EQ(DisplacementR(-2, 0), 2.0f);
  EXPECT_EQ(DisplacementTheta(0, -3), -1.5707963f);
  EXPECT_EQ(DisplacementTheta(0, 4), 1.5707963f);
  EXPECT_EQ(DisplacementTheta(0, 0), 0.0f);
  EXPECT_FALSE(std::signbit(DisplacementTheta(0, 0)));
  EXPECT_EQ(DisplacementTheta(3, 0), 0.0f);
  EXPECT_EQ(DisplacementTheta(-1, -1), static_cast<float>(std::atan2(-1.0, -1.0)));
  EXPECT_EQ(DisplacementR(3, 4), 5.0f);
}

TEST_F(ResultFile, NoPairsGivesTheHeaderOnlyAndNamesMayBeEmpty) {
  auto match = Matched({.Dots = {}, .ImageName = ""}, {.Dots = {{0, 1, 1, 0, 0}}});
  std::string path = FDir.File("100% empty.dat");  // a "%" in the path is text, not a format
  match->WriteXYDx(path);
  EXPECT_EQ(ReadFileBytes(path), "\r\ngrid0.bmp\r\nIn this " + path +
                                     ", 0 dots have been matched\r\n Y axis is set to  "
                                     "Y2= Height-Y\r\n     x           y           dx \r\n");
}

// A write failing half-way: tests/reliability/FailedSaveTest.cpp and the atomic file's test.
TEST_F(ResultFile, FileThatCannotBeCreatedOrUnknownLayoutKeepsEverything) {
  auto match = Matched(Initial(), Deformed());
  std::string missing = FDir.File("no/such/dir/r.dat");
  for (int layout = 0; layout < 8; ++layout) {
    bool thetaR = layout == 0 || layout == 5 || layout == 7;
    EXPECT_EQ(ErrorOf([&] { match->WriteResult(layout, missing); }),
              (thetaR ? "write theta & r result  error \n" : "write result file error \n") +
                  missing + " (No such file or directory)");
  }
  EXPECT_EQ(ErrorOf([&] { match->WriteXYDx(FDir.Path()); }),
            "write result file error \n" + FDir.Path() + " (Is a directory)");
  for (int layout : {8, -1})
    EXPECT_EQ(ErrorOf([&] { match->WriteResult(layout, FDir.File("x.dat")); }),
              "There is no result type " + std::to_string(layout));
  EXPECT_EQ(ListDirectory(FDir.Path()), (std::vector<std::string>{"a.cod", "b.cod"}));
  EXPECT_EQ(match->FMatchSum, 8);  // the matcher is unchanged and can save again
  match->WriteXYDx(FDir.File("ok.dat"));
  EXPECT_EQ(Lines(FDir.File("ok.dat")).size(), 13u);
}
