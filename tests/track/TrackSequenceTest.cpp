#include <gtest/gtest.h>

#include <QImage>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "synth/Synth.h"
#include "synth/Synthsequence.h"
#include "track/Tracksequence.h"

namespace {

// The rows of a CSV file below its header, split at commas (empty cells kept).
std::vector<std::vector<std::string>> CsvRows(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream split(line);
    while (std::getline(split, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

std::string Frame(const std::string& dir, const char* kind, int k, const char* ext) {
  char name[40];
  std::snprintf(name, sizeof name, "%s-%04d.%s", kind, k, ext);
  return (std::filesystem::path(dir) / name).string();
}

// A grid of 24 x 17 dots moving by 1.5 pitches and stretching in five steps of a third of a
// pitch each: its outline tells the first step's motion, the steps before the later ones'.
TSynthOptions MovingGrid() {
  TSynthOptions options;
  options.Columns = 24;
  options.Rows = 17;
  options.ClipEach = true;
  options.Width = 600;
  options.Height = 450;
  options.NoiseSigma = 2;
  options.TranslateX = 30;
  options.TranslateY = -12.5;
  options.Exx = 0.02;
  options.Eyy = -0.006;
  options.Seed = 3;
  return options;
}

struct TTruthCheck {
  int32_t Mispaired = 0;
  double MeanDx = 0, MeanDy = 0;  // the truth's mean over the paired dots, x right, y up
};

// Each measured dot is found in the truth by its initial position; its measured displacement
// must be the true one of that dot (a dot paired with its neighbour is off by a pitch).
TTruthCheck CheckAgainstTruth(const std::string& stepCsv, const std::string& truthCsv,
                              int32_t height) {
  const auto truth = CsvRows(truthCsv);
  TTruthCheck check;
  const auto rows = CsvRows(stepCsv);
  for (const auto& row : rows) {
    const double x = std::stod(row[2]), y = height - std::stod(row[3]);
    const double dx = std::stod(row[4]), dy = std::stod(row[5]);
    const std::vector<std::string>* best = nullptr;
    double bestDistance = 1e9;
    for (const auto& t : truth) {
      const double d = std::hypot(std::stod(t[2]) - x, std::stod(t[3]) - y);
      if (d < bestDistance) bestDistance = d, best = &t;
    }
    const double tdx = std::stod((*best)[4]) - std::stod((*best)[2]);
    const double tdy = -(std::stod((*best)[5]) - std::stod((*best)[3]));
    if (bestDistance > 1 || std::hypot(dx - tdx, dy - tdy) > 0.5) ++check.Mispaired;
    check.MeanDx += tdx / static_cast<double>(rows.size());
    check.MeanDy += tdy / static_cast<double>(rows.size());
  }
  return check;
}

bool Near(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
             std::abs(qBlue(a) - qBlue(b)) <
         40;
}

}  // namespace

TEST(TrackSequence, FollowsAGridMovingBeyondHalfAPitchWithoutMispairing) {
  TTempDir dir;
  const int32_t steps = 5;
  const TSynthOptions final = MovingGrid();
  const auto pictures = WriteSynthSequence(final, steps, dir.Path());
  TTrackOptions options;
  options.Jobs = 2;
  options.RefinedCentroids = true;
  const std::string out = dir.File("out");
  const auto result = TrackSequence(pictures, out, options);
  ASSERT_EQ(result.size(), pictures.size());
  const auto summary = CsvRows(out + "/summary.csv");
  ASSERT_EQ(summary.size(), pictures.size());
  for (int32_t k = 0; k <= steps; ++k) {
    SCOPED_TRACE(k);
    ASSERT_TRUE(result[k].Good()) << result[k].Reason;
    EXPECT_TRUE(std::filesystem::exists(out + "/codes/" + Frame("", "frame", k, "cod")));
    EXPECT_EQ(result[k].Lost, result[0].Pairs - result[k].Pairs);
    const TTruthCheck check = CheckAgainstTruth(Frame(out, "step", k, "csv"),
                                                Frame(dir.Path(), "truth", k, "csv"), final.Height);
    EXPECT_EQ(check.Mispaired, 0);
    EXPECT_GT(result[k].Pairs, 150);
    EXPECT_NEAR(result[k].MeanDx, check.MeanDx, 0.05);
    EXPECT_NEAR(result[k].MeanDy, check.MeanDy, 0.05);
    const double t = static_cast<double>(k) / steps;
    EXPECT_NEAR(result[k].Exx, final.Exx * t, 1e-4);
    EXPECT_NEAR(result[k].Eyy, final.Eyy * t, 1e-4);
    EXPECT_NEAR(result[k].Exy, 0, 1e-4);
    EXPECT_NEAR(std::stod(summary[k][7]), result[k].Exx, 1e-9);
  }
  // The last step has moved by 1.5 pitches, not by one or two.
  EXPECT_NEAR(result[steps].MeanDx, 30, 2);
}

TEST(TrackSequence, ResultsDoNotDependOnTheNumberOfJobs) {
  TTempDir dir;
  TSynthOptions final = MovingGrid();
  final.RotationDeg = 10;
  const auto pictures = WriteSynthSequence(final, 5, dir.Path());
  TTrackOptions options;
  options.RefinedCentroids = true;
  options.Jobs = 1;
  for (const TTrackStep& step : TrackSequence(pictures, dir.File("one"), options))
    EXPECT_TRUE(step.Good()) << step.Step << ": " << step.Reason;
  options.Jobs = 2;
  TrackSequence(pictures, dir.File("two"), options);
  int32_t compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.File("one"))) {
    if (!entry.is_regular_file()) continue;
    const auto relative = std::filesystem::relative(entry.path(), dir.File("one"));
    EXPECT_EQ(ReadFileBytes(entry.path().string()),
              ReadFileBytes((std::filesystem::path(dir.File("two")) / relative).string()))
        << relative;
    ++compared;
  }
  EXPECT_EQ(compared, 1 + 6 + 6);  // summary, step files, code files
}

TEST(TrackSequence, AFailedStepIsReportedAndTheNextFollowsTheLastGoodOne) {
  TTempDir dir;
  // Two steps together move by two thirds of a pitch: the lost step's motion is foreseen.
  const TSynthOptions final = MovingGrid();
  auto pictures = WriteSynthSequence(final, 5, dir.Path());
  WriteFileBytes(pictures[2], "not a picture");
  TTrackOptions options;
  const auto result = TrackSequence(pictures, dir.File("out"), options);
  ASSERT_EQ(result.size(), 6u);
  EXPECT_FALSE(result[2].Good());
  EXPECT_FALSE(std::filesystem::exists(Frame(dir.File("out"), "step", 2, "csv")));
  for (int k : {1, 3, 4, 5}) {
    EXPECT_TRUE(result[k].Good()) << k << ": " << result[k].Reason;
    const TTruthCheck check = CheckAgainstTruth(Frame(dir.File("out"), "step", k, "csv"),
                                                Frame(dir.Path(), "truth", k, "csv"), final.Height);
    EXPECT_EQ(check.Mispaired, 0) << k;
  }
  const auto summary = CsvRows(dir.File("out") + "/summary.csv");
  ASSERT_EQ(summary.size(), 6u);
  EXPECT_EQ(summary[2][2], "");
  EXPECT_FALSE(summary[2][11].empty());
}

TEST(TrackSequence, StopsBetweenStepsLeavingCompleteFiles) {
  TTempDir dir;
  const auto pictures = WriteSynthSequence(MovingGrid(), 4, dir.Path());
  std::atomic<bool> stop{false};
  TTrackHooks hooks;
  hooks.Stop = &stop;
  hooks.StepDone = [&stop](const TTrackStep&, int32_t done, int32_t) {
    if (done == 2) stop = true;
  };
  const auto result = TrackSequence(pictures, dir.File("out"), TTrackOptions{}, hooks);
  EXPECT_EQ(result.size(), 2u);
  EXPECT_EQ(CsvRows(dir.File("out") + "/summary.csv").size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(Frame(dir.File("out"), "step", 2, "csv")));
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.File("out")))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

// The summary plot shows each curve in its own colour, rising to the right for exx and falling
// for eyy; the maps of the last step go beside it.
TEST(TrackSequence, PlotsTheMeanStrainsAgainstTheStep) {
  TTempDir dir;
  const auto pictures = WriteSynthSequence(MovingGrid(), 5, dir.Path());
  TTrackOptions options;
  options.Plots = true;
  TrackSequence(pictures, dir.File("out"), options);
  const QImage plot(QString::fromStdString(dir.File("out") + "/summary.png"));
  ASSERT_FALSE(plot.isNull());
  // Mean height of the pixels of one colour in the left and the right half of the plot.
  auto heights = [&plot](QRgb colour, double& left, double& right) {
    double sum[2] = {0, 0}, count[2] = {0, 0};
    for (int y = 0; y < plot.height(); ++y)
      for (int x = 0; x < 740; ++x)
        if (Near(plot.pixel(x, y), colour)) sum[x >= 430] += y, ++count[x >= 430];
    ASSERT_GT(count[0], 20);
    ASSERT_GT(count[1], 20);
    left = sum[0] / count[0], right = sum[1] / count[1];
  };
  double left = 0, right = 0;
  heights(qRgb(0, 114, 178), left, right);
  EXPECT_LT(right, left - 50);  // exx grows: higher on the right
  heights(qRgb(213, 94, 0), left, right);
  EXPECT_GT(right, left);  // eyy falls
  EXPECT_TRUE(std::filesystem::exists(dir.File("out") + "/plots/exx.png"));
}

TEST(TrackSequence, RefusesAnUnusableReference) {
  TTempDir dir;
  WriteFileBytes(dir.File("a.bmp"), "not a picture");
  EXPECT_THROW(TrackSequence({dir.File("a.bmp")}, dir.File("out"), TTrackOptions{}), TError);
  EXPECT_THROW(TrackSequence({}, dir.File("out"), TTrackOptions{}), TError);
}

// Black dots turning by 4 degrees a step, their colour found from the first picture: the
// Green-Lagrange strains stay 0 and the rotation is the turn.
TEST(TrackSequence, FindsTheDotsColourAndMeasuresATurnByGreenLagrange) {
  TTempDir dir;
  TSynthOptions final;
  final.Width = 400, final.Height = 300, final.NoiseSigma = 2, final.WhiteDots = false;
  final.Columns = 16, final.Rows = 11, final.ClipEach = true, final.TurnDeg = 12;
  const auto pictures = WriteSynthSequence(final, 3, dir.Path());
  TTrackOptions options;
  options.FindPolarity = true;
  options.RefinedCentroids = true;
  options.Measure = TStrainMeasure::Green;
  const auto result = TrackSequence(pictures, dir.File("out"), options);
  for (int32_t k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    ASSERT_TRUE(result[k].Good()) << result[k].Reason;
    EXPECT_GT(result[k].Pairs, 150);
    EXPECT_NEAR(result[k].Exx, 0, 1e-4);
    EXPECT_NEAR(result[k].Eyy, 0, 1e-4);
    EXPECT_NEAR(result[k].Rotation, 4 * k, 0.01);
  }
}

// A grid filling the pictures jumps by 0.7 pitch at step 2: nothing tells that from a motion
// 0.3 pitch the other way, so the steps from there fail instead of pairing every dot with its
// neighbour, also step 4, which lies a whole pitch from the prediction and so looks predicted.
TEST(TrackSequence, AJumpNothingDecidesFailsItsStepsInsteadOfMispairing) {
  TTempDir dir;
  std::vector<std::string> pictures;
  for (int32_t k = 0; k <= 4; ++k) {
    TSynthOptions o;
    o.Width = 300, o.Height = 240, o.NoiseSigma = 2, o.ClipEach = true;
    o.TranslateX = std::vector<double>{0, 2, 18, 20, 28}[static_cast<size_t>(k)];
    TGrayImage image;
    TSynthGrid(o).Render(k > 0, image);
    pictures.push_back(Frame(dir.Path(), "frame", k, "bmp"));
    image.SaveToFile(pictures.back());
  }
  const auto result = TrackSequence(pictures, dir.File("out"), TTrackOptions{});
  ASSERT_EQ(result.size(), 5u);
  EXPECT_TRUE(result[1].Good()) << result[1].Reason;
  EXPECT_EQ(result[1].Registration, "predicted");
  for (int32_t k : {2, 3, 4}) {
    EXPECT_FALSE(result[k].Good()) << k;
    EXPECT_NE(result[k].Reason.find(k < 4 ? "departs 0.3" : "departs 0.0"), std::string::npos)
        << result[k].Reason;
  }
}
