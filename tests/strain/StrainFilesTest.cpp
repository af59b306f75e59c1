#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <random>
#include <sstream>

#include "CodeFiles.h"
#include "StrainTestSupport.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainsummary.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(ReadFileBytes(path));
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells(1);
    for (char c : line) {
      if (c == ',')
        cells.emplace_back();
      else
        cells.back().push_back(c);
    }
    rows.push_back(cells);
  }
  return rows;
}

// Code files of a 5 x 4 grid; the deformed one stretched by exx about dot (0, 0) and moved up
// in the picture by 2 rows.
void WriteGridFiles(const TTempDir& dir, double exx, const std::string& scale,
                    bool rowOnly = false) {
  TTestCodeFile initial, deformed;
  int32_t number = 0;
  for (int ny = 0; ny < (rowOnly ? 1 : 4); ++ny)
    for (int nx = 0; nx < 5; ++nx, ++number) {
      const double x = 100 + 20 * nx, y = 400 - 20 * ny;
      initial.Dots.push_back({number, x, y, nx, ny});
      deformed.Dots.push_back({number, x + exx * (x - 100), y - 2, nx, ny});
    }
  initial.ScaleX = initial.ScaleY = deformed.ScaleX = deformed.ScaleY = scale;
  WriteFileBytes(dir.File("a.cod"), CodeFileText(initial));
  WriteFileBytes(dir.File("b.cod"), CodeFileText(deformed));
}

}  // namespace

TEST(StrainFiles, CodeFilesGiveStrainInTheYUpFrameAndScaledUnits) {
  TTempDir dir;
  WriteGridFiles(dir, 0.01, "0.500000");
  const TStrainField field = StrainFromCodeFiles(dir.File("a.cod"), dir.File("b.cod"), {});
  ASSERT_EQ(field.Points().size(), 20u);
  EXPECT_EQ(field.FUnit, "units");
  EXPECT_EQ(field.StrainCount(), 20);
  for (const TStrainPoint& p : field.Points()) {
    EXPECT_NEAR(p.Exx, 0.01, 1e-4);  // positions carry three decimals in the files
    EXPECT_NEAR(p.Eyy, 0, 1e-4);
    EXPECT_NEAR(p.Pair.Dy, 1.0, 1e-6);  // 2 rows up at half a unit per pixel
    // y up from the bottom of the 480-row picture, in units.
    EXPECT_NEAR(p.Pair.Y, (480 - (400 - 20 * p.Pair.Ny)) * 0.5, 1e-4);
    EXPECT_NEAR(p.Pair.X, (100 + 20 * p.Pair.Nx) * 0.5, 1e-4);
  }
}

TEST(StrainFiles, FilesThatDoNotPairOrCannotGiveStrainAreRefused) {
  TTempDir dir;
  TTestCodeFile initial, other;
  initial.Dots = {{0, 10, 10, 0, 0}, {1, 30, 10, 1, 0}};
  other.Dots = {{0, 10, 10, 7, 7}};
  WriteFileBytes(dir.File("a.cod"), CodeFileText(initial));
  WriteFileBytes(dir.File("c.cod"), CodeFileText(other));
  EXPECT_EQ(ErrorOf([&] { StrainFromCodeFiles(dir.File("a.cod"), dir.File("c.cod"), {}); }),
            "The code files " + dir.File("a.cod") + " and " + dir.File("c.cod") +
                " have no grid position in common: they are not of the same grid");
  WriteGridFiles(dir, 0.01, "1.000000", true);
  EXPECT_EQ(ErrorOf([&] { StrainFromCodeFiles(dir.File("a.cod"), dir.File("b.cod"), {}); }),
            "No dot has the neighbours a strain needs (a dot of another column and of another "
            "row within the neighbourhood 1)");
  // The loader's own message for a file that is not a code file.
  WriteFileBytes(dir.File("bad.cod"), "hello");
  EXPECT_EQ(ErrorOf([&] { StrainFromCodeFiles(dir.File("bad.cod"), dir.File("b.cod"), {}); }),
            dir.File("bad.cod") + " is not a code file!");
}

TEST(StrainFiles, CsvHasItsHeaderEmptyCellsWithoutStrainAndPointsWhateverTheLocale) {
  TTempDir dir;
  std::vector<TStrainPair> pairs =
      LatticePairs({2, 2, 20, 0, 0, 0}, [](double x, double y, double& u, double& v) {
        u = 0.25 + 0.003 * x;
        v = -0.002 * y;
      });
  pairs.push_back({40, 40, 1234.5, 99, 0.125, -0.5});  // far away: no neighbours
  const TStrainField field = TStrainField::Compute(pairs, {});
  // A decimal-comma locale, where one is installed, must not leak into the file.
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  WriteStrainCsv(dir.File("s.csv"), field);
  WritePairsCsv(dir.File("p.csv"), pairs);
  std::setlocale(LC_ALL, "C");
  const auto rows = ReadCsv(dir.File("s.csv"));
  ASSERT_EQ(rows.size(), pairs.size() + 1);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"nx", "ny", "x", "y", "dx", "dy", "exx", "eyy",
                                               "exy", "e1", "e2", "angle", "rotation"}));
  for (size_t i = 1; i + 1 < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 13u);
    EXPECT_NEAR(std::stod(rows[i][6]), 0.003, 1e-9);
    EXPECT_NEAR(std::stod(rows[i][7]), -0.002, 1e-9);
    EXPECT_NEAR(std::stod(rows[i][4]), 0.25 + 0.003 * std::stod(rows[i][2]), 1e-4);
    EXPECT_EQ(rows[i][11], "0.0000");  // e1 along x
  }
  EXPECT_EQ(rows.back(), (std::vector<std::string>{"40", "40", "1234.5000", "99.0000", "0.1250",
                                                   "-0.5000", "", "", "", "", "", "", ""}));
  const auto plain = ReadCsv(dir.File("p.csv"));
  ASSERT_EQ(plain.size(), pairs.size() + 1);
  EXPECT_EQ(plain[0], (std::vector<std::string>{"nx", "ny", "x", "y", "dx", "dy"}));
  EXPECT_EQ(plain.back(),
            (std::vector<std::string>{"40", "40", "1234.5000", "99.0000", "0.1250", "-0.5000"}));
}

TEST(StrainFiles, FailedSaveKeepsThePreviousFile) {
  TTempDir dir;
  const std::vector<TStrainPair> pairs =
      LatticePairs({1, 1, 20, 0, 0, 0}, [](double, double, double& u, double& v) { u = v = 0; });
  WriteFileBytes(dir.File("keep.csv"), "old");
  EXPECT_NE(ErrorOf([&] { WritePairsCsv(dir.File("missing/keep.csv"), pairs); }), "(no error)");
  EXPECT_EQ(ReadFileBytes(dir.File("keep.csv")), "old");
}

TEST(StrainSummary, StatisticsCoverTheDotsWithStrainAndStateFrameAndUnits) {
  // Two halves of a grid strained differently: mean and spread are known without the code.
  std::vector<TStrainPair> left =
      LatticePairs({3, 3, 20, 0, 0, 0}, [](double x, double, double& u, double& v) {
        u = 0.002 * x + 1;
        v = 0;
      });
  std::vector<TStrainPair> right = left;
  for (TStrainPair& p : right) p.Nx += 20, p.Dx = 0.004 * p.X + 3, p.X += 1000;
  left.insert(left.end(), right.begin(), right.end());
  left.push_back({100, 100, 0, 0, 50, 50});  // no strain: left out of every statistic
  TStrainField field = TStrainField::Compute(left, {});
  field.FUnit = "mm";
  const TStrainSummary summary(field);
  EXPECT_EQ(summary.FPairs, 99);
  EXPECT_EQ(summary.FWithStrain, 98);
  EXPECT_NEAR(summary.Of("exx").Mean, 0.003, 1e-12);
  EXPECT_NEAR(summary.Of("exx").Std, 0.001, 1e-12);
  EXPECT_NEAR(summary.Of("eyy").Std, 0, 1e-12);
  EXPECT_NEAR(summary.Of("dy").Mean, 0, 1e-12);
  EXPECT_EQ(summary.Of("dx").Unit, "mm");
  const std::string text = summary.Text();
  EXPECT_NE(text.find("Pairs 99, with strain 98 (small strain, neighbourhood 3 x 3)"),
            std::string::npos);
  EXPECT_NE(text.find("x to the right, y up; positions and displacements in mm"),
            std::string::npos);
  EXPECT_NE(text.find("3.0000e-03"), std::string::npos) << text;

  TTempDir dir;
  summary.WriteCsv(dir.File("summary.csv"));
  const auto rows = ReadCsv(dir.File("summary.csv"));
  ASSERT_EQ(rows.size(), 15u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"quantity", "mean", "std", "unit"}));
  EXPECT_EQ(rows[3][0], "exx");
  EXPECT_NEAR(std::stod(rows[3][1]), 0.003, 1e-12);
  EXPECT_EQ(rows[9][0], "fit_exx");
  EXPECT_EQ(rows[9][2], "");  // one fit has no spread
  EXPECT_EQ(rows[14], (std::vector<std::string>{"with_strain", "98", "", "count"}));
}

TEST(StrainSummary, WholeFieldFitEstimatesAUniformStrainBeyondThePerDotSpread) {
  // Noise 0.05 on a 41 x 41 grid of pitch 20: the fit's error is sigma / sqrt(sum of x^2), about
  // 5e-6, while single dots scatter by 0.05 / (20 sqrt 6) = 1e-3.
  std::vector<TStrainPair> pairs =
      LatticePairs({20, 20, 20, 0, 0, 0}, [](double x, double y, double& u, double& v) {
        u = 0.003 * x + 0.001 * y;
        v = 0.001 * x - 0.002 * y;
      });
  AddNoise(pairs, 0.05, 4);
  const TStrainSummary summary(TStrainField::Compute(pairs, {}));
  ASSERT_TRUE(summary.FWholeField.HasStrain);
  EXPECT_NEAR(summary.FWholeField.Exx, 0.003, 2e-5);
  EXPECT_NEAR(summary.FWholeField.Eyy, -0.002, 2e-5);
  EXPECT_NEAR(summary.FWholeField.Exy, 0.001, 2e-5);
  EXPECT_GT(summary.Of("exx").Std, 5e-4);
  EXPECT_NE(summary.Text().find("fit_exx"), std::string::npos);
}
