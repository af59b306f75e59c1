#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliRun.h"
#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

namespace {

struct TRow {
  double X, Y, Dx, Dy;
};

// Rows of a displacement file of layout 1 (x y dx dy) after its five header lines.
std::vector<TRow> ReadLayout1(const std::string& path) {
  std::istringstream in(ReadFileBytes(path));
  std::string line;
  for (int i = 0; i < 5; ++i) std::getline(in, line);
  std::vector<TRow> rows;
  TRow r;
  while (in >> r.X >> r.Y >> r.Dx >> r.Dy) rows.push_back(r);
  return rows;
}

std::vector<TSynthDot> ReadTruth(const std::string& path) {
  std::istringstream in(ReadFileBytes(path));
  std::string line;
  std::getline(in, line);
  std::vector<TSynthDot> dots;
  while (std::getline(in, line)) {
    TSynthDot d;
    char c;
    std::istringstream row(line);
    row >> d.I >> c >> d.J >> c >> d.X0 >> c >> d.Y0 >> c >> d.X1 >> c >> d.Y1;
    dots.push_back(d);
  }
  return dots;
}

const TSynthDot* Nearest(const std::vector<TSynthDot>& truth, double x, double y) {
  const TSynthDot* best = nullptr;
  double bestDistance = 25;  // within 5 px
  for (const TSynthDot& d : truth) {
    double dd = (d.X0 - x) * (d.X0 - x) + (d.Y0 - y) * (d.Y0 - y);
    if (dd < bestDistance) bestDistance = dd, best = &d;
  }
  return best;
}

}  // namespace

TEST(CliUsage, OutOfRangeNumbersAndConflictingOptionsAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"nonsense"},
      {"segment", "a.bmp"},
      {"segment", "a.bmp", "b.bmp", "--window", "0"},
      {"segment", "a.bmp", "b.bmp", "--window", "abc"},
      {"segment", "a.bmp", "b.bmp", "--median", "11"},
      {"segment", "a.bmp", "b.bmp", "--threshold", "100", "--window", "50"},
      {"segment", "a.bmp", "b.bmp", "--threshold", "100", "--adjust", "5"},
      {"encode", "a.bmp", "b.cod", "--method", "4"},
      {"encode", "a.bmp", "b.cod", "--least-area", "-5"},
      {"encode", "a.bmp", "b.cod", "--least-area", "many"},
      {"encode", "a.bmp", "b.cod", "--pitch", "20"},
      {"encode", "a.bmp", "b.cod", "--pitch", "0", "20"},
      {"encode", "a.bmp", "b.cod", "--origin", "3"},
      {"encode", "a.bmp", "b.cod", "--pitch", "20", "20", "--origin", "3", "--neighbours", "1", "2",
       "3", "4"},
      {"encode", "a.bmp", "b.cod", "--scale", "1"},
      {"encode", "a.bmp", "b.cod", "--overlay", "o.bmp", "--overlay-scale", "0"},
      {"match", "a.cod", "b.cod", "c.dat", "--layout", "9"},
      {"match", "a.cod", "b.cod"},
      {"synth", "a.bmp", "b.bmp", "t.csv", "--size", "0", "10"},
      {"synth", "a.bmp", "b.bmp", "t.csv", "--noise", "-1"},
      {"demo", "a", "b"},
  };
  for (const auto& args : cases) {
    TCliResult r = RunCli(args);
    std::string line;
    for (const auto& a : args) line += a + " ";
    EXPECT_EQ(r.Status, 2) << line << "\n" << r.Err;
    EXPECT_FALSE(r.Err.empty()) << line;
  }
}

TEST(CliUsage, EverySubcommandHasHelp) {
  for (const char* sub : {"segment", "encode", "match", "synth", "demo"}) {
    TCliResult r = RunCli({sub, "--help"});
    EXPECT_EQ(r.Status, 0) << sub;
    EXPECT_NE(r.Out.find(std::string(sub)), std::string::npos) << r.Out;
  }
  EXPECT_NE(RunCli({"encode", "--help"}).Out.find("--least-area"), std::string::npos);
  EXPECT_EQ(RunCli({"--help"}).Status, 0);
}

TEST(CliFailures, WorkThatFailsReportsTheSystemsMessageAndExitsOne) {
  TTempDir dir;
  TCliResult missing = RunCli({"segment", dir.File("none.bmp"), dir.File("out.bmp")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, dir.File("none.bmp") + ": not exists\n");

  ASSERT_EQ(RunCli({"synth", dir.File("a.bmp"), dir.File("b.bmp"), dir.File("t.csv"), "--size",
                    "200", "160"})
                .Status,
            0);
  TCliResult badExtension = RunCli({"segment", dir.File("a.bmp"), dir.File("out.png")});
  EXPECT_EQ(badExtension.Status, 1);
  EXPECT_EQ(badExtension.Err, "only support raw and bmp files\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.png")));

  TCliResult bigWindow =
      RunCli({"segment", dir.File("a.bmp"), dir.File("out.bmp"), "--window", "150"});
  EXPECT_EQ(bigWindow.Status, 1);
  EXPECT_NE(bigWindow.Err.find("80"), std::string::npos) << bigWindow.Err;  // half of 160

  WriteFileBytes(dir.File("text.cod"), "hello world\r\n");
  TCliResult notCode =
      RunCli({"match", dir.File("text.cod"), dir.File("text.cod"), dir.File("m.dat")});
  EXPECT_EQ(notCode.Status, 1);
  EXPECT_EQ(notCode.Err, dir.File("text.cod") + " is not a code file!\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("m.dat")));

  // One row of dots: the origin's perpendicular neighbour cannot be found.
  TGrayImage row;
  row.SetWidth(200);
  row.SetHeight(60);
  row.FillRect(0, 0, 0, 199, 59);
  for (int x = 20; x < 190; x += 20) row.FillRect(255, x - 2, 28, x + 2, 32);
  row.SaveBmp(dir.File("row.bmp"));
  TCliResult noOrigin = RunCli({"encode", dir.File("row.bmp"), dir.File("row.cod")});
  EXPECT_EQ(noOrigin.Status, 1);
  EXPECT_EQ(noOrigin.Err,
            "Can not automaticly find origin\nYou can give dx & dy or direct set the origin\n"
            "then push \"Start Encode Again\" Button \n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("row.cod")));
}

// The pipeline a user runs on a pure sub-pixel translation gives every dot's displacement
// within 0.05 px of the truth, for white and for black dots.
TEST(CliPipeline, SubPixelTranslationsAreMeasuredWithinFiveHundredthsOfAPixel) {
  struct TCase {
    bool Black;
    double Tx, Ty;
  };
  for (TCase c : {TCase{false, 0.3, 0.0}, TCase{true, 0.3, 0.0}, TCase{false, -0.45, 0.15},
                  TCase{true, 0.12, -0.37}}) {
    TTempDir dir;
    std::vector<std::string> synth = {"synth",
                                      dir.File("i.bmp"),
                                      dir.File("d.bmp"),
                                      dir.File("t.csv"),
                                      "--noise",
                                      "1.5",
                                      "--gradient",
                                      "30",
                                      "--translate",
                                      std::to_string(c.Tx),
                                      std::to_string(c.Ty)};
    if (c.Black) synth.push_back("--black");
    ASSERT_EQ(RunCli(synth).Status, 0);
    for (const char* name : {"i", "d"}) {
      std::vector<std::string> seg = {"segment", dir.File(std::string(name) + ".bmp"),
                                      dir.File(std::string(name) + "s.bmp")};
      std::vector<std::string> enc = {"encode", dir.File(std::string(name) + "s.bmp"),
                                      dir.File(std::string(name) + ".cod")};
      if (c.Black) seg.push_back("--black"), enc.push_back("--black");
      TCliResult s = RunCli(seg);
      ASSERT_EQ(s.Status, 0) << s.Err;
      TCliResult e = RunCli(enc);
      ASSERT_EQ(e.Status, 0) << e.Err;
    }
    TCliResult m = RunCli({"match", dir.File("i.cod"), dir.File("d.cod"), dir.File("m.dat"),
                           "--layout", "1", "--keep-y"});
    ASSERT_EQ(m.Status, 0) << m.Err;

    std::vector<TSynthDot> truth = ReadTruth(dir.File("t.csv"));
    std::vector<TRow> rows = ReadLayout1(dir.File("m.dat"));
    EXPECT_GT(rows.size(), truth.size() * 95 / 100);
    double worst = 0;
    for (const TRow& r : rows) {
      const TSynthDot* d = Nearest(truth, r.X, r.Y);
      ASSERT_NE(d, nullptr);
      worst = std::max({worst, std::fabs(r.Dx - c.Tx), std::fabs(r.Dy - c.Ty)});
    }
    EXPECT_LT(worst, 0.05) << "black " << c.Black << " translation " << c.Tx << ", " << c.Ty;
  }
}

TEST(CliPipeline, OverlayShowsTheResultAndRawOutputWorks) {
  TTempDir dir;
  ASSERT_EQ(RunCli({"synth", dir.File("i.bmp"), dir.File("d.bmp"), dir.File("t.csv"), "--size",
                    "240", "200", "--missing", "3"})
                .Status,
            0);
  ASSERT_EQ(RunCli({"segment", dir.File("i.bmp"), dir.File("s.raw")}).Status, 0);
  EXPECT_EQ(std::filesystem::file_size(dir.File("s.raw")), 240u * 200u);
  ASSERT_EQ(RunCli({"segment", dir.File("i.bmp"), dir.File("s.bmp"), "--median", "3", "--window",
                    "60", "--adjust", "-5"})
                .Status,
            0);
  TCliResult e = RunCli({"encode", dir.File("s.bmp"), dir.File("s.cod"), "--overlay",
                         dir.File("overlay.bmp"), "--scale", "0.5", "0.25"});
  ASSERT_EQ(e.Status, 0) << e.Err;
  std::string code = ReadFileBytes(dir.File("s.cod"));
  EXPECT_EQ(code.substr(0, 9), "VRKT-FS\r\n");
  EXPECT_NE(code.find("0.500000  0.250000  0\r\n"), std::string::npos) << code.substr(0, 60);
  TGrayImage overlay(dir.File("overlay.bmp"));
  EXPECT_EQ(overlay.Width(), 240);
  EXPECT_EQ(overlay.Height(), 200);
  ASSERT_EQ(RunCli({"encode", dir.File("s.bmp"), dir.File("s2.cod"), "--overlay",
                    dir.File("big.bmp"), "--overlay-scale", "3"})
                .Status,
            0);
  TGrayImage big(dir.File("big.bmp"));
  EXPECT_EQ(big.Width(), 720);
  EXPECT_EQ(big.Height(), 600);
  // Every picture pixel became a 3 x 3 block: the top-left corner is background everywhere.
  EXPECT_EQ(big.GetPixel(0, 0), overlay.GetPixel(0, 0));
  EXPECT_EQ(big.GetPixel(2, 2), overlay.GetPixel(0, 0));
}

TEST(CliDemo, ReportsAccuracyAndWritesEveryFile) {
  TTempDir dir;
  TCliResult r = RunCli({"demo", dir.File("run")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  for (const char* f : {"initial.bmp", "deformed.bmp", "truth.csv", "initial-segmented.bmp",
                        "initial.cod", "deformed.cod", "initial-overlay.bmp", "displacement.dat"})
    EXPECT_TRUE(std::filesystem::exists(dir.File(std::string("run/") + f))) << f;
  for (const char* text : {"dots found", "pairs", "error dx", "error dy", "time"})
    EXPECT_NE(r.Out.find(text), std::string::npos) << r.Out;
  double rms = 1;
  size_t at = r.Out.find("error dx     RMS ");
  ASSERT_NE(at, std::string::npos);
  rms = std::stod(r.Out.substr(at + 17));
  EXPECT_LT(rms, 0.05) << r.Out;
}

TEST(CliPipeline, OverlayMarksTheDotsTheWalkDidNotReachInRed) {
  TTempDir dir;
  TGrayImage picture;
  picture.SetWidth(260);
  picture.SetHeight(200);
  picture.FillRect(0, 0, 0, 259, 199);
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i)
      picture.FillRect(255, 20 + 20 * i - 2, 20 + 20 * j - 2, 20 + 20 * i + 2, 20 + 20 * j + 2);
  picture.FillRect(255, 218, 158, 222, 162);  // far from the grid: no step reaches it
  picture.SaveBmp(dir.File("grid.bmp"));
  TCliResult r = RunCli({"encode", dir.File("grid.bmp"), dir.File("grid.cod"), "--least-area", "10",
                         "--overlay", dir.File("o.bmp")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::string bmp = ReadFileBytes(dir.File("o.bmp"));
  auto pixel = [&](int x, int y) {  // blue, green, red of a bottom-up 24-bit row
    size_t at = 54 + static_cast<size_t>(199 - y) * 780 + 3 * static_cast<size_t>(x);
    return std::array<uint8_t, 3>{static_cast<uint8_t>(bmp[at]), static_cast<uint8_t>(bmp[at + 1]),
                                  static_cast<uint8_t>(bmp[at + 2])};
  };
  const std::array<uint8_t, 3> red = {0, 0, 255};
  EXPECT_EQ(pixel(218, 158), red);  // the lone dot, outside its label
  EXPECT_NE(pixel(38, 38), red);    // a dot of the grid
  // The code file holds the 25 grid dots only.
  EXPECT_EQ(ReadFileBytes(dir.File("grid.cod")).substr(9, 3), "25 ");
}
