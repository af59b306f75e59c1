// The command line's guards against an origin picked differently in two pictures: the match
// warning and --align, and encode --reference with the one-line summary.
#include <gtest/gtest.h>

#include <fstream>

#include "CliRun.h"
#include "support/TempDir.h"

namespace {

void Ok(const std::vector<std::string>& args) {
  const TCliResult r = RunCli(args);
  ASSERT_EQ(r.Status, 0) << r.Err;
}

}  // namespace

TEST(CliTrust, MatchWarnsOfAWholePitchOffsetAndAlignOrReferenceRemoveIt) {
  TTempDir dir;
  auto f = [&](const std::string& name) { return dir.File(name); };
  Ok({"synth", f("i.bmp"), f("d.bmp"), f("t.csv"), "--size", "400", "300", "--translate", "0.37",
      "-0.23", "--seed", "4", "--noise", "2", "--blur", "0.8", "--specks", "20"});
  Ok({"segment", f("i.bmp"), f("is.bmp")});
  Ok({"segment", f("d.bmp"), f("ds.bmp")});
  Ok({"encode", f("is.bmp"), f("i.cod")});
  // Another origin method picks another dot: every pair is off by whole dots.
  Ok({"encode", f("ds.bmp"), f("d.cod"), "--method", "0"});
  TCliResult plain = RunCli({"match", f("i.cod"), f("d.cod"), f("plain.dat"), "--layout", "1"});
  EXPECT_EQ(plain.Status, 0);
  EXPECT_NE(plain.Err.find("--align"), std::string::npos) << plain.Err;
  EXPECT_NE(plain.Err.find("encode --reference"), std::string::npos) << plain.Err;

  TCliResult aligned =
      RunCli({"match", f("i.cod"), f("d.cod"), f("aligned.dat"), "--layout", "1", "--align"});
  EXPECT_EQ(aligned.Status, 0);
  EXPECT_NE(aligned.Err.find("Aligned: the deformed indices were shifted by"), std::string::npos);

  const TCliResult encoded =
      RunCli({"encode", f("ds.bmp"), f("r.cod"), "--reference", f("i.cod"), "--centroid", "refined",
              "--picture", f("d.bmp"), "--least-area", "robust", "--max-nx", "auto"});
  ASSERT_EQ(encoded.Status, 0) << encoded.Err;
  EXPECT_NE(encoded.Err.find("from the reference; refined centroids"), std::string::npos)
      << encoded.Err;
  TCliResult referenced =
      RunCli({"match", f("i.cod"), f("r.cod"), f("referenced.dat"), "--layout", "1"});
  EXPECT_EQ(referenced.Status, 0);
  EXPECT_EQ(referenced.Err, "");  // nothing to warn of
  // Aligned and referenced pairings join the same dots: the same rows, up to the centroids.
  auto rows = [](const std::string& path) {
    std::ifstream in(path);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) ++n;
    return n;
  };
  EXPECT_GT(rows(f("aligned.dat")), rows(f("plain.dat")));
  EXPECT_EQ(rows(f("aligned.dat")), rows(f("referenced.dat")));

  const TCliResult lost =
      RunCli({"encode", f("ds.bmp"), f("x.cod"), "--reference", f("i.cod"), "--shift", "10", "0"});
  EXPECT_EQ(lost.Status, 1);
  EXPECT_NE(lost.Err.find("--shift"), std::string::npos) << lost.Err;
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
