#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "CliRun.h"
#include "support/TempDir.h"

namespace {

// The rows of a CSV file as numbers (empty cells NaN), header dropped.
std::vector<std::vector<double>> ReadNumbers(const std::string& path) {
  std::istringstream lines(ReadFileBytes(path));
  std::string line;
  std::getline(lines, line);
  std::vector<std::vector<double>> rows;
  while (std::getline(lines, line)) {
    std::vector<double> row;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');)
      row.push_back(cell.empty() ? std::nan("") : std::stod(cell));
    if (!line.empty() && line.back() == ',') row.push_back(std::nan(""));
    rows.push_back(row);
  }
  return rows;
}

// synth with the given options, then segment and encode both pictures as a user would.
void MakeCodeFiles(const TTempDir& dir, const std::vector<std::string>& synthOptions) {
  std::vector<std::string> synth = {"synth", dir.File("i.bmp"), dir.File("d.bmp"),
                                    dir.File("t.csv")};
  synth.insert(synth.end(), synthOptions.begin(), synthOptions.end());
  const TCliResult s = RunCli(synth);
  ASSERT_EQ(s.Status, 0) << s.Err;
  for (std::string name : {"i", "d"}) {
    const TCliResult seg = RunCli({"segment", dir.File(name + ".bmp"), dir.File(name + "s.bmp")});
    ASSERT_EQ(seg.Status, 0) << seg.Err;
    const TCliResult enc = RunCli({"encode", dir.File(name + "s.bmp"), dir.File(name + ".cod")});
    ASSERT_EQ(enc.Status, 0) << enc.Err;
  }
}

// Mean of one column over the rows that have strain.
double MeanOf(const std::vector<std::vector<double>>& rows, size_t column) {
  double sum = 0;
  int n = 0;
  for (const auto& row : rows)
    if (!std::isnan(row[column])) sum += row[column], ++n;
  return n > 0 ? sum / n : std::nan("");
}

}  // namespace

TEST(CliStrain, UniformStrainComesBackAsTheMeanWithPlotsAndSummary) {
  TTempDir dir;
  MakeCodeFiles(dir, {"--strain", "0.003", "-0.002", "0.001", "--rotation", "1.5"});
  const TCliResult r = RunCli({"strain", dir.File("i.cod"), dir.File("d.cod"), dir.File("s.csv"),
                               "--plots", dir.File("plots"), "--picture", dir.File("i.bmp"),
                               "--summary", dir.File("summary.csv")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto rows = ReadNumbers(dir.File("s.csv"));
  ASSERT_GT(rows.size(), 1000u);
  // The per-dot mean carries the centroid errors at the ends of the rows (a few 1e-5 with plain
  // centroids); the whole-field fit does not.
  EXPECT_NEAR(MeanOf(rows, 6), 0.003, 4e-5);
  EXPECT_NEAR(MeanOf(rows, 7), -0.002, 4e-5);
  EXPECT_NEAR(MeanOf(rows, 8), 0.001, 4e-5);
  EXPECT_NE(r.Out.find("x to the right, y up"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("px"), std::string::npos) << r.Out;
  EXPECT_EQ(
      ListDirectory(dir.File("plots")),
      (std::vector<std::string>{"displacement.png", "e1.png", "exx.png", "exy.png", "eyy.png"}));
  std::istringstream summary(ReadFileBytes(dir.File("summary.csv")));
  int fits = 0;
  for (std::string line; std::getline(summary, line);) {
    for (auto [name, truth] :
         {std::pair{"fit_exx,", 0.003}, {"fit_eyy,", -0.002}, {"fit_exy,", 0.001}}) {
      if (line.rfind(name, 0) != 0) continue;
      EXPECT_NEAR(std::stod(line.substr(8)), truth, 2e-5) << line;
      ++fits;
    }
  }
  EXPECT_EQ(fits, 3);
}

TEST(CliStrain, RigidTurnLeavesNoGreenStrainAndIsMeasuredAsRotation) {
  TTempDir dir;
  MakeCodeFiles(dir, {"--turn", "2"});
  const TCliResult r = RunCli(
      {"strain", dir.File("i.cod"), dir.File("d.cod"), dir.File("s.csv"), "--measure", "green"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto rows = ReadNumbers(dir.File("s.csv"));
  for (size_t column : {6u, 7u, 8u}) EXPECT_NEAR(MeanOf(rows, column), 0, 1e-4) << column;
  EXPECT_NEAR(MeanOf(rows, 12), 2, 0.01);
}

// (Bad options and plot folders are cases of the rule table in tests/reliability.)
TEST(CliStrain, FilesOfDifferentGridsAreRefused) {
  TTempDir dir;
  MakeCodeFiles(dir, {"--size", "200", "160"});
  WriteFileBytes(dir.File("other.cod"), "VRKT-FS\n1 10 10\n5 5 1.0 1.0 0\n0 5.0 5.0 4 4 9\nx\n");
  const TCliResult r =
      RunCli({"strain", dir.File("i.cod"), dir.File("other.cod"), dir.File("s.csv")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("have no grid position in common"), std::string::npos) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("s.csv")));
}

TEST(CliMatch, CsvHoldsThePairsOfTheDisplacementFile) {
  TTempDir dir;
  MakeCodeFiles(dir, {"--size", "200", "160", "--translate", "0.5", "-0.25"});
  const TCliResult r = RunCli({"match", dir.File("i.cod"), dir.File("d.cod"), dir.File("m.dat"),
                               "--layout", "6", "--csv", dir.File("m.csv")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto rows = ReadNumbers(dir.File("m.csv"));
  std::istringstream dat(ReadFileBytes(dir.File("m.dat")));
  std::string line;
  for (int i = 0; i < 5; ++i) std::getline(dat, line);
  size_t k = 0;
  for (double nx, ny, x, y, dx, dy; dat >> nx >> ny >> x >> y >> dx >> dy; ++k) {
    ASSERT_LT(k, rows.size());
    EXPECT_EQ(rows[k][0], nx);
    EXPECT_EQ(rows[k][1], ny);
    EXPECT_NEAR(rows[k][2], x, 6e-4);
    EXPECT_NEAR(rows[k][3], y, 6e-4);
    EXPECT_NEAR(rows[k][4], 0.5, 0.05);   // dx
    EXPECT_NEAR(rows[k][5], 0.25, 0.05);  // y up: a quarter pixel down is -0.25 up
  }
  EXPECT_EQ(k, rows.size());
  EXPECT_GT(k, 20u);
  // The CSV alone, without a displacement file.
  EXPECT_EQ(
      RunCli({"match", dir.File("i.cod"), dir.File("d.cod"), "--csv", dir.File("n.csv")}).Status,
      0);
  EXPECT_EQ(ReadFileBytes(dir.File("n.csv")), ReadFileBytes(dir.File("m.csv")));
}
