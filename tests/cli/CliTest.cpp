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

// Usage errors and out-of-range options: tests/reliability/BadOptionsTest.cpp.
TEST(CliUsage, EverySubcommandHasHelp) {
  for (const char* sub :
       {"segment", "encode", "match", "strain", "track", "synth", "synth-sequence", "demo"}) {
    TCliResult r = RunCli({sub, "--help"});
    EXPECT_EQ(r.Status, 0) << sub;
    EXPECT_NE(r.Out.find(std::string(sub)), std::string::npos) << r.Out;
  }
  EXPECT_NE(RunCli({"encode", "--help"}).Out.find("--least-area"), std::string::npos);
  EXPECT_EQ(RunCli({"--help"}).Status, 0);
}

// Code files that are not ones: tests/reliability/BadCodeFileTest.cpp.
// (Missing pictures and formats are cases of the rule table in tests/reliability.)
TEST(CliFailures, WorkThatFailsReportsTheSystemsMessageAndExitsOne) {
  TTempDir dir;
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

TEST(CliDemo, ReportsAccuracyAndWritesEveryFile) {
  TTempDir dir;
  TCliResult r = RunCli({"demo", dir.File("run")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  for (const char* f :
       {"initial.bmp", "deformed.bmp", "truth.csv", "initial-segmented.bmp", "initial.cod",
        "deformed.cod", "initial-overlay.bmp", "displacement.dat", "strain.csv", "exx.png",
        "eyy.png", "exy.png", "e1.png", "displacement.png"})
    EXPECT_TRUE(std::filesystem::exists(dir.File(std::string("run/") + f))) << f;
  for (const char* text : {"dots found", "pairs", "error dx", "error dy", "time"})
    EXPECT_NE(r.Out.find(text), std::string::npos) << r.Out;
  double rms = 1;
  size_t at = r.Out.find("error dx     RMS ");
  ASSERT_NE(at, std::string::npos);
  rms = std::stod(r.Out.substr(at + 17));
  EXPECT_LT(rms, 0.05) << r.Out;
  // The mean strains against the truth of the demo (exx 0.003, eyy -0.002, exy 0.001).
  for (auto [name, truth] : {std::pair{"exx", 0.003}, {"eyy", -0.002}, {"exy", 0.001}}) {
    const size_t row = r.Out.find(std::string(name) + " ", r.Out.find("whole fit"));
    ASSERT_NE(row, std::string::npos) << r.Out;
    std::istringstream values(r.Out.substr(row + 4));
    double expected = 0, mean = 0, fit = 0;
    values >> expected >> mean >> fit;
    EXPECT_EQ(expected, truth);
    EXPECT_NEAR(mean, truth, 1e-4) << name;
    EXPECT_NEAR(fit, truth, 1e-4) << name;
  }
}

TEST(CliPipeline, OverlayMarksTheDotsTheWalkDidNotReachAndOptionsReachTheFiles) {
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
  TCliResult s = RunCli({"segment", dir.File("grid.bmp"), dir.File("s.raw"), "--median", "3",
                         "--window", "60", "--adjust", "-5"});
  ASSERT_EQ(s.Status, 0) << s.Err;
  EXPECT_EQ(std::filesystem::file_size(dir.File("s.raw")), 260u * 200u);

  TCliResult r =
      RunCli({"encode", dir.File("grid.bmp"), dir.File("grid.cod"), "--least-area", "10",
              "--max-nx", "50", "--overlay", dir.File("o.bmp"), "--scale", "0.5", "0.25"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  // The code file holds the 25 grid dots only, with the scale factors; a number for one table
  // size fixes the table, the other one at 50.
  const std::string head = "VRKT-FS\r\n25 260 200\r\n50  50  0.500000  0.250000  0\r\n";
  EXPECT_EQ(ReadFileBytes(dir.File("grid.cod")).substr(0, head.size()), head);
  const std::array<uint8_t, 3> red = {0, 0, 255};
  auto pixel = [&](const std::string& bmp, int32_t w, int32_t h, int x, int y) {
    const size_t at = 54 + static_cast<size_t>(h - 1 - y) * (3 * w) + 3 * static_cast<size_t>(x);
    return std::array<uint8_t, 3>{static_cast<uint8_t>(bmp[at]), static_cast<uint8_t>(bmp[at + 1]),
                                  static_cast<uint8_t>(bmp[at + 2])};
  };
  const std::string overlay = ReadFileBytes(dir.File("o.bmp"));
  ASSERT_EQ(overlay.size(), 54u + 260u * 200u * 3u);
  EXPECT_EQ(pixel(overlay, 260, 200, 218, 158), red);  // the lone dot, outside its label
  EXPECT_NE(pixel(overlay, 260, 200, 38, 38), red);    // a dot of the grid

  ASSERT_EQ(RunCli({"encode", dir.File("grid.bmp"), dir.File("g2.cod"), "--least-area", "10",
                    "--overlay", dir.File("big.bmp"), "--overlay-scale", "3"})
                .Status,
            0);
  const std::string big = ReadFileBytes(dir.File("big.bmp"));
  ASSERT_EQ(big.size(), 54u + 780u * 600u * 3u);
  EXPECT_EQ(pixel(big, 780, 600, 3 * 218, 3 * 158), red);
  EXPECT_EQ(pixel(big, 780, 600, 3 * 218 + 2, 3 * 158 + 2), red);  // a 3 x 3 block per pixel
}
