// The command-line tool where careless or hostile surroundings meet it: outputs that are pipes,
// links or descriptors, commands with several outputs, outputs that overwrite inputs, values a
// file cannot carry, inputs that never end, sizes that decide failure, and names a terminal
// would obey. Each case is a clear message (or the sound result) and no lost data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "MatrixSupport.h"

using namespace matrix;

namespace {

class HostileRun : public testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(Cod, ValidCodeFile());
    SaveSegmentedGrid(Seg, 200, 160);
  }
  // The files of the folder, hidden ones (temporary files) included.
  std::vector<std::string> Files() const { return ListDirectory(Dir.Path()); }

  TTempDir Dir;
  const std::string Cod = Dir.File("in.cod");
  const std::string Seg = Dir.File("seg.bmp");
};

}  // namespace

TEST_F(HostileRun, DescriptorLinkAsOutputPrintsTheResult) {
  // Our own link to the standard output, so that the real /dev is never at stake.
  ASSERT_EQ(::symlink("/proc/self/fd/1", Dir.File("stdout").c_str()), 0);
  const TCliResult run = RunCli({"match", Cod, Cod, Dir.File("stdout")});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find("6 dots have been matched"), std::string::npos) << run.Out;
  EXPECT_TRUE(std::filesystem::is_symlink(Dir.File("stdout")));
}

TEST_F(HostileRun, NamedPipeAsOutputIsWrittenThrough) {
  const std::string fifo = Dir.File("result.pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFileBytes(fifo); });
  const TCliResult run = RunCli({"match", Cod, Cod, fifo, "--layout", "1"});
  reader.join();
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(received.find("6 dots have been matched"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(HostileRun, LinkedOutputIsFollowedAndKeepsItsPermissions) {
  const std::string real = Dir.File("real.dat"), link = Dir.File("link.dat");
  WriteFileBytes(real, "old");
  ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
  ASSERT_EQ(::symlink("real.dat", link.c_str()), 0);
  EXPECT_EQ(RunCli({"match", Cod, Cod, link}).Status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_NE(ReadFileBytes(real).find("dots have been matched"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  // The longest legal name is written too.
  const std::string longest = Dir.File(std::string(251, 'm') + ".dat");
  EXPECT_EQ(RunCli({"match", Cod, Cod, longest}).Status, 0);
  EXPECT_TRUE(std::filesystem::exists(longest));
}

TEST_F(HostileRun, EncodeWithAnOverlayThatFailsKeepsTheCodeFile) {
  const std::string code = Dir.File("out.cod");
  WriteFileBytes(code, "previous");
  // A folder that is missing: found before the work.
  TCliResult run = RunCli({"encode", Seg, code, "--overlay", Dir.File("missing/o.bmp")});
  EXPECT_EQ(FailureProblem(run, {"Cannot create file", "No such file or directory"}), "");
  EXPECT_EQ(ReadFileBytes(code), "previous");
  // A disk that fills up while the overlay is written, after the code file was.
  run = RunCli({"encode", Seg, code, "--overlay", Dir.File("o.bmp")}, 20000);
  EXPECT_EQ(FailureProblem(run, {"Cannot write file", "File too large"}), "");
  EXPECT_EQ(ReadFileBytes(code), "previous");
  EXPECT_FALSE(std::filesystem::exists(Dir.File("o.bmp")));
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.cod", "out.cod", "seg.bmp"}));
}

TEST_F(HostileRun, SynthWritesItsThreeFilesOrNone) {
  const std::vector<std::string> small = {"--size", "100", "80",       "--pitch",
                                          "10",     "10",  "--radius", "2"};
  auto synth = [&](const std::string& a, const std::string& b, const std::string& t) {
    std::vector<std::string> args = {"synth", a, b, t};
    args.insert(args.end(), small.begin(), small.end());
    return args;
  };
  EXPECT_EQ(RunCli(synth(Dir.File("a.raw"), Dir.File("b.raw"), Dir.File("no/t.csv"))).Status, 1);
  // The second picture (a bitmap of 24054 bytes) cannot be written whole, the first (8000
  // bytes, raw) could: it does not stay either.
  EXPECT_EQ(RunCli(synth(Dir.File("a.raw"), Dir.File("b.bmp"), Dir.File("t.csv")), 10000).Status,
            1);
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.cod", "seg.bmp"}));
}

// (The refusals are cases of the rule table.)
TEST_F(HostileRun, ForceLetsAnOutputOverwriteItsInput) {
  EXPECT_EQ(RunCli({"segment", Seg, Seg, "--force"}).Status, 0);
}

// (Factors the file cannot carry are cases of the rule table.)
TEST_F(HostileRun, SmallScaleFactorsAreKept) {
  ASSERT_EQ(RunCli({"encode", Seg, Dir.File("o.cod"), "--scale", "4.4e-6", "2e-7"}).Status, 0);
  EXPECT_NE(ReadFileBytes(Dir.File("o.cod")).find("  4.4e-06  2e-07  "), std::string::npos);
  ASSERT_EQ(RunCli({"match", Dir.File("o.cod"), Dir.File("o.cod"), Dir.File("r.dat"), "--layout",
                    "1", "--keep-y"})
                .Status,
            0);
  // Positions of tens of pixels times 4.4e-6 show as 0.000 with three decimals; what counts is
  // that the rows are there and the header read the factors.
  EXPECT_NE(ReadFileBytes(Dir.File("r.dat")).find("dots have been matched"), std::string::npos);
}

TEST_F(HostileRun, InfiniteDisplacementIsAnErrorAndNoFile) {
  WriteFileBytes(Dir.File("a.cod"), "VRKT-FS\n1 64 48\n5 5 1.0 1.0 0\n0 -3e38 10 0 0 30\na.bmp\n");
  WriteFileBytes(Dir.File("b.cod"), "VRKT-FS\n1 64 48\n5 5 1.0 1.0 0\n0 3e38 10 0 0 30\nb.bmp\n");
  EXPECT_EQ(
      FailureProblem(RunCli({"match", Dir.File("a.cod"), Dir.File("b.cod"), Dir.File("r.dat")}),
                     {"beyond the range of numbers"}),
      "");
  EXPECT_FALSE(std::filesystem::exists(Dir.File("r.dat")));
}

TEST_F(HostileRun, EndlessOrHugeInputIsReadOnlyAsFarAsNeeded) {
  // Within 256 MiB of address space: a reader that took the whole input would run out.
  EXPECT_EQ(FailureProblem(RunCli({"match", "/dev/zero", Cod, Dir.File("r.dat")}, -1, 256 << 20),
                           {"/dev/zero is not a code file!"}),
            "");
  const std::string big = Dir.File("big.cod");
  WriteFileBytes(big, ValidCodeFile());
  ASSERT_EQ(::truncate(big.c_str(), int64_t{1} << 30), 0);  // sparse: no disk used
  EXPECT_EQ(RunCli({"match", big, Cod, Dir.File("r.dat")}, -1, 256 << 20).Status, 0);
  // A hundred bytes announcing a table of 10001 x 10001 grid positions (400 MB in full).
  WriteFileBytes(Dir.File("wide.cod"),
                 "VRKT-FS\n2 64 48\n5000 5000 1.0 1.0 0\n0 10 10 0 0 30\n1 20 10 1 0 30\nw.bmp\n");
  EXPECT_EQ(RunCli({"match", Dir.File("wide.cod"), Cod, Dir.File("r.dat")}, -1, 256 << 20).Status,
            0);
}

TEST_F(HostileRun, SizesThatDecideFailureAreCheckedBeforeTheWork) {
  // 40000 x 40000 pixels would take gigabytes before the bitmap proved too large.
  EXPECT_EQ(FailureProblem(RunCli({"synth", Dir.File("a.bmp"), Dir.File("b.bmp"), Dir.File("t.csv"),
                                   "--size", "40000", "40000"},
                                  -1, 1 << 30),
                           {"too large for a bitmap file"}),
            "");
  // A pitch far too small keeps every dot in memory: refused with the estimate.
  EXPECT_EQ(FailureProblem(
                RunCli({"synth", Dir.File("a.raw"), Dir.File("b.raw"), Dir.File("t.csv"), "--size",
                        "40000", "40000", "--pitch", "2.5", "2.5", "--radius", "0.2"},
                       -1, 1 << 30),
                {"The grid would hold about", "larger pitch"}),
            "");
  // An overlay too large to save is refused before the encoding: a 6000 x 6000 picture (a
  // 1-bit bitmap of 4.5 MB) enlarged 8 times.
  const std::string wide = Dir.File("wide.bmp");
  WriteFileBytes(wide, BitmapBytes(6000, 6000, 1, 0, 2, std::string(size_t{752} * 6000, '\0')));
  EXPECT_EQ(FailureProblem(RunCli({"encode", wide, Dir.File("o.cod"), "--overlay",
                                   Dir.File("o.bmp"), "--overlay-scale", "8"}),
                           {"too large"}),
            "");
  ::unlink(wide.c_str());
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.cod", "seg.bmp"}));
}

TEST_F(HostileRun, MessagesSayWhatIsWrong) {
  const std::string fifo = Dir.File("picture.pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(FailureProblem(RunCli({"segment", fifo, Dir.File("o.bmp")}),
                           {"pipes and devices are not supported for pictures"}),
            "");
  // Ranges with readable bounds in the help (the refusals are cases of the rule table).
  const TCliResult help = RunCli({"synth", "--help"});
  EXPECT_EQ(help.Out.find("000000000000000"), std::string::npos) << help.Out;
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.cod", "picture.pipe", "seg.bmp"}));
}

TEST_F(HostileRun, ByteOrderMarkAndControlCharactersInNames) {
  WriteFileBytes(Dir.File("bom.cod"), "\xEF\xBB\xBF" + ValidCodeFile());
  WriteFileBytes(Dir.File("esc.cod"), ValidCodeFile().substr(0, ValidCodeFile().size() - 10) +
                                          "\x1b[2J\x1b]0;x\x07.bmp\r\n");
  ASSERT_EQ(RunCli({"match", Dir.File("bom.cod"), Dir.File("esc.cod"), Dir.File("r.dat")}).Status,
            0);
  const std::string result = ReadFileBytes(Dir.File("r.dat"));
  EXPECT_EQ(result.substr(0, 22), "grid.bmp\r\n?[2J?]0;x?.b");
  EXPECT_EQ(result.find('\x1b'), std::string::npos);
}
