#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "base/Folderlock.h"
#include "cli/Trackprogress.h"
#include "support/TempDir.h"

// The track and synth-sequence commands through the real binary. What the tracking measures is
// checked on the core in tests/track; here: the files, the output and the exit status.

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Numbered(const std::string& dir, const char* kind, int k, const char* ext) {
  char name[40];
  std::snprintf(name, sizeof name, "%s-%04d.%s", kind, k, ext);
  return (std::filesystem::path(dir) / name).string();
}

// A sequence of steps + 1 pictures of a grid inside them moving by a quarter of a pitch per step.
void WriteSequence(const std::string& dir, int steps, const char* width, const char* height) {
  const TCliResult r = RunCli({"synth-sequence",
                               dir,
                               "--steps",
                               std::to_string(steps),
                               "--size",
                               width,
                               height,
                               "--noise",
                               "2",
                               "--translate",
                               std::to_string(5 * steps),
                               std::to_string(-2 * steps),
                               "--strain",
                               "0.01",
                               "-0.003",
                               "0",
                               "--grid",
                               std::to_string(std::stoi(width) / 25),
                               std::to_string(std::stoi(height) / 25),
                               "--each-picture"});
  ASSERT_EQ(r.Status, 0) << r.Err;
}

bool HoldsTemporaryFiles(const std::string& dir) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
    if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(TrackCli, TracksAFolderAndWritesEveryStepWithOneLogLinePerStep) {
  TTempDir dir;
  WriteSequence(dir.File("seq"), 4, "400", "300");
  for (int k = 0; k <= 4; ++k) {
    EXPECT_TRUE(std::filesystem::exists(Numbered(dir.File("seq"), "frame", k, "bmp"))) << k;
    EXPECT_TRUE(std::filesystem::exists(Numbered(dir.File("seq"), "truth", k, "csv"))) << k;
  }
  const std::string out = dir.File("out");
  const TCliResult r = RunCli({"track", dir.File("seq"), "--out", out, "--jobs", "2"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "5 of 5 pictures tracked, 0 failed; summary in " + out + "/summary.csv\n");

  // stderr is a file here: one line per step, in order, no bar.
  const auto log = Lines(r.Err);
  ASSERT_EQ(log.size(), 5u) << r.Err;
  const auto summary = Lines(ReadFileBytes(out + "/summary.csv"));
  ASSERT_EQ(summary.size(), 6u);
  EXPECT_EQ(
      summary[0],
      "step,picture,dots,pairs,lost,mean_dx,mean_dy,exx,eyy,exy,rotation,reason,registration");
  for (int k = 0; k <= 4; ++k) {
    SCOPED_TRACE(k);
    const std::string picture = Numbered("", "frame", k, "bmp");
    EXPECT_EQ(log[k].rfind("step " + std::to_string(k) + " " + picture + ": ", 0), 0u);
    EXPECT_EQ(log[k].find('\r'), std::string::npos);
    EXPECT_EQ(summary[k + 1].rfind(std::to_string(k) + "," + picture + ",", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(Numbered(out, "step", k, "csv")));
    EXPECT_TRUE(std::filesystem::exists(out + "/codes/" + Numbered("", "frame", k, "cod")));
  }
  // The final picture's strain: the options reached both commands.
  std::istringstream last(summary[5]);
  std::vector<std::string> cells;
  for (std::string cell; std::getline(last, cell, ',');) cells.push_back(cell);
  ASSERT_GE(cells.size(), 10u);
  EXPECT_NEAR(std::stod(cells[7]), 0.01, 2e-4);
  EXPECT_NEAR(std::stod(cells[8]), -0.003, 2e-4);
  EXPECT_NEAR(std::stod(cells[5]), 20, 1);
}

TEST(TrackCli, RefusesBadInputAndKeepsAnEarlierRun) {
  TTempDir dir;
  std::filesystem::create_directories(dir.File("empty"));
  TCliResult r = RunCli({"track", dir.File("empty"), "--out", dir.File("out")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "No picture in the folder " + dir.File("empty") + "\n");

  r = RunCli({"track", dir.File("missing.bmp"), "--out", dir.File("out")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find(dir.File("missing.bmp")), std::string::npos) << r.Err;

  EXPECT_EQ(RunCli({"track", dir.File("missing.bmp"), "--out", ""}).Status, 2);
  WriteFileBytes(dir.File("file"), "x");
  r = RunCli({"track", dir.File("missing.bmp"), "--out", dir.File("file")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(ReadFileBytes(dir.File("file")), "x");

  // Two pictures whose code files would have one name.
  WriteSequence(dir.File("seq"), 1, "300", "240");
  std::filesystem::create_directories(dir.File("other"));
  std::filesystem::copy_file(Numbered(dir.File("seq"), "frame", 1, "bmp"),
                             Numbered(dir.File("other"), "frame", 0, "bmp"));
  r = RunCli({"track", Numbered(dir.File("seq"), "frame", 0, "bmp"),
              Numbered(dir.File("other"), "frame", 0, "bmp"), "--out", dir.File("out")});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("name the same file"), std::string::npos) << r.Err;

  // A folder that holds an earlier run's results is written over only with --force.
  ASSERT_EQ(RunCli({"track", dir.File("seq"), "--out", dir.File("out")}).Status, 0);
  const std::string before = ReadFileBytes(dir.File("out/summary.csv"));
  WriteFileBytes(dir.File("out/step-0001.csv"), "kept");
  r = RunCli({"track", dir.File("seq"), "--out", dir.File("out")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("--force"), std::string::npos) << r.Err;
  EXPECT_EQ(ReadFileBytes(dir.File("out/step-0001.csv")), "kept");
  ASSERT_EQ(RunCli({"track", dir.File("seq"), "--out", dir.File("out"), "--force"}).Status, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("out/summary.csv")), before);
  EXPECT_NE(ReadFileBytes(dir.File("out/step-0001.csv")), "kept");
}

// Ctrl-C once the first steps are written: the run stops after the step in hand with a non-zero
// status and a message, and every step it lists is complete.
TEST(TrackCli, CtrlCStopsAfterTheStepInHandLeavingCompleteSteps) {
  TTempDir dir;
  const int steps = 40;
  WriteSequence(dir.File("seq"), steps, "800", "600");
  const std::string out = dir.File("out");
  const TCliResult r =
      RunCliInterrupted({"track", dir.File("seq"), "--out", out, "--jobs", "1"}, "step 1 ");
  ASSERT_NE(r.Status, 0) << "the run ended before Ctrl-C";
  EXPECT_NE(r.Err.find("Stopped by Ctrl-C after "), std::string::npos) << r.Err;
  const auto summary = Lines(ReadFileBytes(out + "/summary.csv"));
  const size_t done = summary.size() - 1;
  EXPECT_GE(done, 2u);
  EXPECT_LT(done, static_cast<size_t>(steps + 1));
  EXPECT_EQ(Lines(r.Err).size(), done + 1);  // a line per step and the message
  for (size_t k = 0; k < done; ++k) {
    // Each listed step's strain file has a row per pair the summary counts.
    std::istringstream row(summary[k + 1]);
    std::vector<std::string> cells;
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    ASSERT_GE(cells.size(), 4u);
    const auto rows = Lines(ReadFileBytes(Numbered(out, "step", static_cast<int>(k), "csv")));
    EXPECT_EQ(rows.size() - 1, std::stoul(cells[3])) << k;
  }
  EXPECT_FALSE(std::filesystem::exists(Numbered(out, "step", static_cast<int>(done), "csv")));
  EXPECT_FALSE(HoldsTemporaryFiles(out));
}

// On a terminal: one bar redrawn in place, a failed step's line above it, and the line ended
// when the run ends or stops early, so the next message starts a line of its own.
TEST(TrackCli, ProgressBarRedrawsInPlaceAndEndsItsLine) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TTrackProgress progress(out, true);
  TTrackStep good;
  good.Picture = "a.bmp";
  TTrackStep failed;
  failed.Step = 1;
  failed.Picture = "b.bmp";
  failed.Reason = "no grid";
  progress.Step(good, 1, 4);
  progress.Step(failed, 2, 4);
  progress.End();
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  const auto lines = Lines(text);
  ASSERT_EQ(lines.size(), 2u) << text;
  EXPECT_EQ(lines[0].rfind("\r\033[K[#######.......................] 1/4 pictures  ", 0), 0u);
  EXPECT_NE(lines[0].find(" s left\r\033[Kstep 1 b.bmp: failed: no grid"), std::string::npos);
  EXPECT_EQ(lines[1].rfind("\r\033[K[###############...............] 2/4 pictures  ", 0), 0u);
  EXPECT_NE(lines[1].find(" pictures/s  "), std::string::npos);
}

// One run at a time writes into a folder: a held lock is refused naming its holder, a lock file
// that a crash left behind is taken over, and the run removes its own when it ends.
TEST(TrackCli, OneRunAtATimeWritesIntoAFolder) {
  TTempDir dir;
  WriteSequence(dir.File("seq"), 1, "200", "160");
  const std::string out = dir.File("out");
  std::filesystem::create_directories(out);
  {
    const TFolderLock held(out);
    const TCliResult r = RunCli({"track", dir.File("seq"), "--out", out});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "The folder " + out + " is being written by another run (process " +
                         std::to_string(::getpid()) +
                         "): wait until it has ended, or give another folder\n");
    EXPECT_EQ(ListDirectory(out), (std::vector<std::string>{".latticor.lock", "codes"}));
    EXPECT_TRUE(ListDirectory(out + "/codes").empty());
  }
  WriteFileBytes(out + "/.latticor.lock", "4242\n");  // unlocked: its run has crashed
  EXPECT_EQ(RunCli({"track", dir.File("seq"), "--out", out}).Status, 0);
  EXPECT_FALSE(std::filesystem::exists(out + "/.latticor.lock"));
}

// A disk that fills while a sequence runs (here a limit on file sizes that the growing summary
// reaches): a step is written whole or not at all, and the run says that it failed.
TEST(TrackCli, StepsThatCannotBeWrittenAreMissingWholeAndFailTheRun) {
  TTempDir dir;
  ASSERT_EQ(RunCli({"synth-sequence", dir.File("seq"), "--steps", "40", "--size", "90", "90",
                    "--translate", "2", "-1"})
                .Status,
            0);
  const std::string out = dir.File("out");
  const TCliResult r = RunCli({"track", dir.File("seq"), "--out", out}, 2048);
  EXPECT_EQ(r.Status, 1);
  // (The log on stderr, a file under the same limit, is cut short before the last message.)
  // The summary grows until the limit: the steps it lists are there whole, the others not at all.
  const auto summary = Lines(ReadFileBytes(out + "/summary.csv"));
  const int written = static_cast<int>(summary.size()) - 1;
  ASSERT_GT(written, 1);
  ASSERT_LT(written, 41);
  const std::string failed = std::to_string(41 - written);
  EXPECT_NE(
      r.Out.find("41 of 41 pictures tracked, " + failed + " failed, " + failed + " not written;"),
      std::string::npos)
      << r.Out;
  for (int k = 0; k <= 40; ++k) {
    EXPECT_EQ(std::filesystem::exists(Numbered(out, "step", k, "csv")), k < written) << k;
    EXPECT_EQ(std::filesystem::exists(out + "/codes/" + Numbered("", "frame", k, "cod")),
              k < written)
        << k;
  }
  EXPECT_FALSE(HoldsTemporaryFiles(out));
}

// Results written beside the pictures: a run again over that folder takes none of its own
// pictures for one of the sequence.
TEST(TrackCli, OwnPlotsBesideThePicturesAreNotTakenForPictures) {
  TTempDir dir;
  WriteSequence(dir.File("seq"), 2, "200", "160");
  ASSERT_EQ(RunCli({"track", dir.File("seq"), "--out", dir.File("seq"), "--plots"}).Status, 0);
  ASSERT_TRUE(std::filesystem::exists(dir.File("seq/summary.png")));
  const TCliResult r =
      RunCli({"track", dir.File("seq"), "--out", dir.File("seq"), "--plots", "--force"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Lines(ReadFileBytes(dir.File("seq/summary.csv"))).size(), 4u);
}

// A sequence never joins frames of another in one folder: refused, or with --force the older
// frames and truths (and nothing else) go first. One larger than the disk's room is refused
// before the first frame (here 1.2 TB; a file size limit keeps a run that ignored it short).
TEST(TrackCli, SequenceWriterLeavesNoOlderFramesAndChecksTheRoomFirst) {
  TTempDir dir;
  const std::string seq = dir.File("seq");
  WriteSequence(seq, 3, "200", "160");
  WriteFileBytes(seq + "/notes.txt", "mine");
  const std::vector<std::string> before = ListDirectory(seq);
  const std::vector<std::string> again = {"synth-sequence", seq,   "--steps", "1",
                                          "--size",         "200", "160"};
  TCliResult r = RunCli(again);
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("holds a sequence already (frame-0000.bmp and 7 more frame and truth "
                       "files): give another folder, or --force"),
            std::string::npos)
      << r.Err;
  EXPECT_EQ(ListDirectory(seq), before);
  std::vector<std::string> forced = again;
  forced.push_back("--force");
  ASSERT_EQ(RunCli(forced).Status, 0);
  EXPECT_EQ(ListDirectory(seq),
            (std::vector<std::string>{"frame-0000.bmp", "frame-0001.bmp", "notes.txt",
                                      "truth-0000.csv", "truth-0001.csv"}));

  r = RunCli({"synth-sequence", dir.File("big"), "--steps", "100000", "--size", "2000", "2000"},
             1 << 20);
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("The sequence would take about 1262.7 GB in " + dir.File("big")),
            std::string::npos)
      << r.Err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("big")));
}

// A step that fails makes the exit status 1, the last line says how many; the run goes on.
TEST(TrackCli, AFailedStepSetsTheExitStatusAndTheLastLineCountsIt) {
  TTempDir dir;
  WriteSequence(dir.File("seq"), 2, "300", "240");
  WriteFileBytes(Numbered(dir.File("seq"), "frame", 1, "bmp"), "not a picture");
  const std::string out = dir.File("out");
  const TCliResult r = RunCli({"track", dir.File("seq"), "--out", out, "--measure", "green"});
  EXPECT_EQ(r.Status, 1);
  const auto log = Lines(r.Err);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(),
            "1 of 3 steps failed and 0 had an ambiguous motion: see the reason and "
            "registration columns of " +
                out + "/summary.csv");
  EXPECT_TRUE(std::filesystem::exists(Numbered(out, "step", 2, "csv")));
}
