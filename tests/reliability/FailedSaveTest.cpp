// Saves that cannot be made, for every writer of the command-line tool: into a missing folder,
// through a regular file, onto a read-only file system (and into a read-only folder where
// permission bits bind, that is when not running as root), and a save that fails half-way
// because the disk is full. Each is a clear error, leaves no partial file, and keeps the
// previous file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "MatrixSupport.h"

using namespace matrix;

namespace {

// One writer: the command that writes TARGET (the other files of the run go to the folder),
// and the message that begins its failure to create the file.
struct TWriter {
  std::string Name;
  std::vector<std::string> Args;
  std::string CreateMessage;  // followed by the target path
};

std::vector<TWriter> Writers() {
  return {
      {"Bitmap", {"segment", "IN", "TARGET"}, "Cannot create file \""},
      {"Raw", {"segment", "IN", "TARGET"}, "Cannot create file \""},
      {"CodeFile", {"encode", "SEG", "TARGET"}, "file open error:Can create file "},
      {"DisplacementFile", {"match", "COD", "COD", "TARGET"}, "write theta & r result  error \n"},
      {"TruthCsv",
       {"synth", "@a.raw", "@b.raw", "TARGET", "--size", "100", "100", "--pitch", "5", "5",
        "--radius", "1.5"},
       "Cannot create file \""},
      {"Overlay", {"encode", "SEG", "@ok.cod", "--overlay", "TARGET"}, "Cannot create file \""},
  };
}

std::string Extension(const std::string& writer) {
  if (writer == "Raw") return ".raw";
  if (writer == "CodeFile") return ".cod";
  if (writer == "DisplacementFile") return ".dat";
  if (writer == "TruthCsv") return ".csv";
  return ".bmp";
}

class FailedSave : public testing::TestWithParam<TWriter> {
 protected:
  void SetUp() override {
    SaveSegmentedGrid(Dir.File("seg.bmp"), 200, 160);
    SaveSegmentedGrid(Dir.File("in.bmp"), 64, 64);
    ASSERT_EQ(RunCli({"encode", Dir.File("seg.bmp"), Dir.File("in.cod")}).Status, 0);
  }
  // The writer's command with its target at target.
  std::vector<std::string> Command(const std::string& target) const {
    std::vector<std::string> args = GetParam().Args;
    for (std::string& a : args) {
      if (a == "IN") a = Dir.File("in.bmp");
      if (a == "SEG") a = Dir.File("seg.bmp");
      if (a == "COD") a = Dir.File("in.cod");
      if (a == "TARGET") a = target;
      if (a[0] == '@') a = Dir.File(a.substr(1));
    }
    return args;
  }
  std::string Target() const { return Dir.File("target" + Extension(GetParam().Name)); }

  TTempDir Dir;
};

}  // namespace

TEST_P(FailedSave, TargetsThatCannotBeCreatedAreReportedAndNothingIsLeft) {
  WriteFileBytes(Dir.File("file.txt"), "a regular file");
  std::vector<std::string> targets = {Dir.File("missing/target" + Extension(GetParam().Name)),
                                      Dir.File("file.txt/target" + Extension(GetParam().Name)),
                                      "/proc/self/target" + Extension(GetParam().Name)};
  if (!IsRoot()) {  // root writes into read-only folders all the same
    ASSERT_EQ(::mkdir(Dir.File("ro").c_str(), 0555), 0);
    targets.push_back(Dir.File("ro/target" + Extension(GetParam().Name)));
  }
  for (const std::string& target : targets) {
    const std::vector<std::string> before = ListDirectory(Dir.Path());
    EXPECT_EQ(FailureProblem(RunCli(Command(target)), {GetParam().CreateMessage + target}), "")
        << target;
    EXPECT_FALSE(std::filesystem::exists(target)) << target;
    // Files of the run written before the failing one may appear; nothing else may.
    for (const std::string& name : ListDirectory(Dir.Path()))
      EXPECT_TRUE(std::find(before.begin(), before.end(), name) != before.end() ||
                  name == "a.raw" || name == "b.raw" || name == "ok.cod")
          << name << " left behind for " << target;
  }
  EXPECT_EQ(ReadFileBytes(Dir.File("file.txt")), "a regular file");
}

TEST_P(FailedSave, ASaveFailingHalfWayKeepsThePreviousFile) {
  // A full run first: its files show how large each one is.
  const std::string target = Target();
  ASSERT_EQ(RunCli(Command(target)).Status, 0);
  const auto size = [&](const std::string& name) {
    return static_cast<int64_t>(std::filesystem::file_size(Dir.File(name)));
  };
  const int64_t full = static_cast<int64_t>(std::filesystem::file_size(target));
  // The files written before the target must fit under the limit, the target must not.
  int64_t limit = full / 2;
  if (GetParam().Name == "TruthCsv") limit = std::max(size("a.raw"), size("b.raw"));
  if (GetParam().Name == "Overlay") limit = size("ok.cod");
  ASSERT_LT(limit, full);

  WriteFileBytes(target, "the previous file");
  const std::vector<std::string> before = ListDirectory(Dir.Path());
  TCliResult run = RunCli(Command(target), limit);
  EXPECT_EQ(FailureProblem(run, {"Cannot write file \"" + target + "\"", "File too large"}), "");
  EXPECT_EQ(ReadFileBytes(target), "the previous file");
  EXPECT_EQ(ListDirectory(Dir.Path()), before);  // no temporary file left
}

INSTANTIATE_TEST_SUITE_P(Matrix, FailedSave, testing::ValuesIn(Writers()),
                         [](const testing::TestParamInfo<TWriter>& test) {
                           return test.param.Name;
                         });
