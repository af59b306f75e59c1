// The split run under GNU parallel, and multi-page TIFF stacks as sequences, through the real
// binary.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "CliRun.h"
#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"

namespace {

// Every file under dir (but dots/) by its path below dir.
std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    const std::string below = std::filesystem::relative(entry.path(), dir).string();
    if (entry.is_regular_file() && !below.starts_with("dots/"))
      files[below] = ReadFileBytes(entry.path().string());
  }
  return files;
}

std::string Sequence(TTempDir& dir, int steps) {
  const TCliResult r =
      RunCli({"synth-sequence", dir.File("seq"), "--steps", std::to_string(steps), "--size", "320",
              "240", "--noise", "2", "--translate", "12", "-5", "--strain", "0.01", "0", "0"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  for (int k = 0; k <= steps; ++k)  // the truth files are no pictures of the sequence
    std::filesystem::remove(dir.File("seq/truth-000" + std::to_string(k) + ".csv"));
  return dir.File("seq");
}

}  // namespace

TEST(TrackSplit, ExtractionUnderGnuParallelThenIndexingGivesTheFilesOfOneRun) {
  if (std::system("parallel --version >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "GNU parallel is not installed (./run.sh test installs it)";
  TTempDir dir;
  const std::string seq = Sequence(dir, 5);
  WriteFileBytes(seq + "/frame-0003.bmp", "BM damaged");  // a step that fails in both runs
  const std::string split = dir.File("split");
  // Stage 2 before stage 1: refused before any work.
  TCliResult r = RunCli({"track", seq, "--out", split, "--extracted"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("are missing"), std::string::npos) << r.Err;
  const std::string command = "parallel --will-cite '" + CliPath() + "' track '" + seq +
                              "' --out '" + split + "' --extract {}/3 ::: 1 2 3 >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  // Other choices in stage 2 than in stage 1: refused, naming both.
  r = RunCli({"track", seq, "--out", split, "--extracted", "--centroid", "plain"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("was extracted with other choices"), std::string::npos) << r.Err;
  // The damaged step fails both runs alike, and so does their exit status.
  r = RunCli({"track", seq, "--out", split, "--extracted", "--force"});
  ASSERT_EQ(r.Status, 1) << r.Err;
  EXPECT_NE(r.Err.find("1 of 6 steps failed"), std::string::npos) << r.Err;
  ASSERT_EQ(RunCli({"track", seq, "--out", dir.File("one")}).Status, 1);
  const auto one = Files(dir.File("one"));
  EXPECT_EQ(Files(split), one);
  EXPECT_EQ(one.size(), 1u + 5u + 5u);  // summary, code and strain files of 5 good steps
  EXPECT_NE(one.at("summary.csv").find("3,frame-0003.bmp,,"), std::string::npos);
}

TEST(TrackSplit, AStackTracksAsItsPagesAndADamagedPageFailsAlone) {
  TTempDir dir;
  const std::string seq = Sequence(dir, 3);
  std::vector<TTiffPage> pages;
  for (int k = 0; k <= 3; ++k) {
    const TGrayImage frame(seq + "/frame-000" + std::to_string(k) + ".bmp");
    TTiffPage page = GrayPage(frame.Width(), frame.Height(), 16, {});
    for (int32_t i = 0; i < frame.Size(); ++i)
      page.Values.push_back(static_cast<uint16_t>(frame.Data()[i] * 16 + k));
    page.Compression = 8;
    pages.push_back(page);
  }
  std::string stack = TiffBytes(pages);
  WriteFileBytes(dir.File("stack.tif"), stack);
  ASSERT_EQ(RunCli({"track", dir.File("stack.tif"), "--out", dir.File("whole")}).Status, 0);
  const auto whole = Files(dir.File("whole"));
  for (int k = 1; k <= 4; ++k)
    EXPECT_EQ(whole.count("codes/stack#" + std::to_string(k) + ".cod"), 1u) << k;
  EXPECT_NE(whole.at("summary.csv").find("\n3,stack.tif#4,"), std::string::npos);
  EXPECT_NE(whole.at("codes/stack#3.cod").find("\r\nstack.tif\r\n"), std::string::npos);
  const TCliResult page =
      RunCli({"segment", dir.File("stack.tif"), dir.File("p.bmp"), "--page", "3"});
  EXPECT_NE(page.Err.find("(page 3 of 4)"), std::string::npos) << page.Err;

  // Page 3's compressed data spoilt (the pages are written in order, each after the one
  // before): that step fails with the page named, the others are tracked.
  const size_t third = TiffBytes({pages[0], pages[1]}).size();
  for (size_t i = third + 64; i < third + 96; ++i) stack[i] = '\x5A';
  WriteFileBytes(dir.File("cut.tif"), stack);
  RunCli({"track", dir.File("cut.tif"), "--out", dir.File("cut")});
  const std::string summary = ReadFileBytes(dir.File("cut/summary.csv"));
  EXPECT_NE(summary.find("\n2,cut.tif#3,,,,,,,,,,\"'" + dir.File("cut.tif") +
                         "' is not a valid TIFF file (page 3 of 4: "),
            std::string::npos)
      << summary;
  EXPECT_EQ(summary.find("\n3,cut.tif#4,,"), std::string::npos) << summary;
}
