// The command line's guards against an origin picked differently in two pictures: the motion
// found by encode --reference, match's warning and --align, and the refusals where nothing
// decides.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliRun.h"
#include "support/TempDir.h"

namespace {

void Ok(const std::vector<std::string>& args) {
  const TCliResult r = RunCli(args);
  ASSERT_EQ(r.Status, 0) << r.Err;
}

int Rows(const std::string& path) {
  std::ifstream in(path);
  int n = 0;
  for (std::string line; std::getline(in, line);) ++n;
  return n;
}

}  // namespace

// A grid inside both pictures moved by 3.3 pitches: encode --reference finds the motion and
// marks its file; match warns of an independently indexed file whose origin differs, and not
// of the marked one; --align pairs like the reference.
TEST(CliTrust, TheMotionIsFoundAndMatchTellsDifferentOriginsFromOneReference) {
  TTempDir dir;
  auto f = [&](const std::string& name) { return dir.File(name); };
  Ok({"synth", f("i.bmp"), f("d.bmp"), f("t.csv"), "--size", "400", "300", "--translate", "66", "7",
      "--seed", "4", "--noise", "2", "--grid", "16", "11", "--each-picture"});
  Ok({"segment", f("i.bmp"), f("is.bmp")});
  Ok({"segment", f("d.bmp"), f("ds.bmp")});
  Ok({"encode", f("is.bmp"), f("i.cod")});
  EXPECT_EQ(ReadFileBytes(f("i.cod")).rfind("VRKT-FS\r\n", 0), 0u);
  Ok({"encode", f("ds.bmp"), f("d.cod"), "--method", "0"});
  const TCliResult plain = RunCli({"match", f("i.cod"), f("d.cod"), f("plain.dat")});
  EXPECT_EQ(plain.Status, 0);
  EXPECT_NE(plain.Err.find("Warning: the dots' patterns show the two code files index the grid "
                           "from origins"),
            std::string::npos)
      << plain.Err;
  const TCliResult aligned = RunCli({"match", f("i.cod"), f("d.cod"), f("aligned.dat"), "--align"});
  EXPECT_EQ(aligned.Status, 0);
  EXPECT_NE(aligned.Err.find("Aligned: the dots' pattern shows the deformed indices"),
            std::string::npos)
      << aligned.Err;

  const TCliResult encoded = RunCli({"encode", f("ds.bmp"), f("r.cod"), "--reference", f("i.cod"),
                                     "--centroid", "refined", "--picture", f("d.bmp")});
  ASSERT_EQ(encoded.Status, 0) << encoded.Err;
  EXPECT_NE(encoded.Err.find("indexed from the reference, motion (65.9"), std::string::npos)
      << encoded.Err;
  EXPECT_NE(encoded.Err.find("found from the dots' pattern; refined centroids"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(f("r.cod")).rfind("VRKT-FS+ref:", 0), 0u);
  const TCliResult referenced = RunCli({"match", f("i.cod"), f("r.cod"), f("referenced.dat")});
  EXPECT_EQ(referenced.Status, 0);
  EXPECT_EQ(referenced.Err, "");  // 3.3 pitches, and nothing to warn of
  EXPECT_EQ(Rows(f("aligned.dat")), Rows(f("referenced.dat")));
  EXPECT_GT(Rows(f("aligned.dat")), Rows(f("plain.dat")));

  // Another grid: refused, nothing written.
  Ok({"synth", f("o.bmp"), f("o2.bmp"), f("o.csv"), "--size", "400", "300", "--pitch", "45", "45",
      "--radius", "9"});
  Ok({"segment", f("o.bmp"), f("os.bmp")});
  const TCliResult other = RunCli({"encode", f("os.bmp"), f("x.cod"), "--reference", f("i.cod")});
  EXPECT_EQ(other.Status, 1);
  EXPECT_NE(other.Err.find("The reference does not fit this picture"), std::string::npos)
      << other.Err;
  EXPECT_FALSE(std::filesystem::exists(f("x.cod")));
}

// A grid without missing dots filling both pictures: encode --reference and match --align
// refuse, naming the motions; --shift decides.
TEST(CliTrust, NothingDecidesAFilledGridUntilTheShiftIsGiven) {
  TTempDir dir;
  auto f = [&](const std::string& name) { return dir.File(name); };
  Ok({"synth", f("i.bmp"), f("d.bmp"), f("t.csv"), "--size", "300", "240", "--translate", "26", "0",
      "--noise", "2", "--each-picture"});
  Ok({"segment", f("i.bmp"), f("is.bmp")});
  Ok({"segment", f("d.bmp"), f("ds.bmp")});
  Ok({"encode", f("is.bmp"), f("i.cod")});
  Ok({"encode", f("ds.bmp"), f("d.cod")});
  const TCliResult refused = RunCli({"encode", f("ds.bmp"), f("r.cod"), "--reference", f("i.cod")});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("cannot be told from the pictures: it moved by (6.0, 0.0) px, or "
                             "(-14.0, 0.0) px"),
            std::string::npos)
      << refused.Err;
  EXPECT_NE(refused.Err.find("Give the motion with --shift DX DY"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(f("r.cod")));
  const TCliResult align = RunCli({"match", f("i.cod"), f("d.cod"), f("m.dat"), "--align"});
  EXPECT_EQ(align.Status, 1);
  EXPECT_NE(align.Err.find("--align refused"), std::string::npos) << align.Err;
  EXPECT_FALSE(std::filesystem::exists(f("m.dat")));
  Ok({"encode", f("ds.bmp"), f("r.cod"), "--reference", f("i.cod"), "--shift", "25", "0"});
  const TCliResult m = RunCli({"match", f("i.cod"), f("r.cod"), f("m.dat"), "--layout", "1"});
  ASSERT_EQ(m.Status, 0);
  EXPECT_NE(ReadFileBytes(f("m.dat")).find("  26.000  "), std::string::npos);
}

TEST(CliTrust, DefaultsTakeAWideGridWithoutOptions) {
  // 2200 x 200 with 110 columns: width div 4 is beyond the largest window (half the smaller
  // side), and the grid is wider than the fixed table of 50 either side of the origin.
  TTempDir dir;
  auto f = [&](const std::string& name) { return dir.File(name); };
  Ok({"synth", f("i.bmp"), f("d.bmp"), f("t.csv"), "--size", "2200", "200", "--seed", "3",
      "--noise", "2", "--specks", "40"});
  Ok({"segment", f("i.bmp"), f("s.bmp")});
  const TCliResult byDefault = RunCli({"encode", f("s.bmp"), f("a.cod")});
  ASSERT_EQ(byDefault.Status, 0) << byDefault.Err;
  const TCliResult spelled = RunCli({"encode", f("s.bmp"), f("b.cod"), "--least-area", "robust",
                                     "--max-nx", "auto", "--max-ny", "auto"});
  ASSERT_EQ(spelled.Status, 0) << spelled.Err;
  EXPECT_EQ(byDefault.Err, spelled.Err);

  const TCliResult fixed = RunCli({"encode", f("s.bmp"), f("c.cod"), "--max-nx", "50"});
  EXPECT_EQ(fixed.Status, 1);
  EXPECT_NE(fixed.Err.find("not in the range"), std::string::npos) << fixed.Err;
  // auto wins over a number for the other size, in either order.
  Ok({"encode", f("s.bmp"), f("d.cod"), "--max-nx", "50", "--max-ny", "auto"});
  Ok({"encode", f("s.bmp"), f("e.cod"), "--max-ny", "auto", "--max-nx", "50"});
}
