// Bad command lines and options out of range: usage errors (status 2) where the command line
// or the option's own range rules them out, work failures (status 1) where only the picture or
// the job can; a message either way, and no file written.
#include <gtest/gtest.h>

#include "MatrixSupport.h"
#include "image/Grayimage.h"

using namespace matrix;

namespace {

struct TBadOption {
  std::string Name;
  std::vector<std::string> Args;  // IN, SEG, COD and OUT stand for files of the run
  int Status;
  std::string Fragment;  // part of the message
};

std::vector<TBadOption> BadOptions() {
  const std::vector<std::string> seg = {"segment", "IN", "OUT.bmp"};
  const std::vector<std::string> enc = {"encode", "SEG", "OUT.cod"};
  const std::vector<std::string> mat = {"match", "COD", "COD", "OUT.dat"};
  const std::vector<std::string> syn = {"synth", "OUT.bmp", "OUT2.bmp", "OUT.csv"};
  auto with = [](std::vector<std::string> base, std::vector<std::string> more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
  };
  return {
      {"NoSubcommand", {}, 2, "A subcommand is required"},
      {"UnknownSubcommand", {"nonsense"}, 2, "A subcommand is required"},
      {"MissingOutput", {"match", "COD", "COD"}, 2, "a displacement file or --csv is needed"},
      {"DemoSecondFolder", {"demo", "OUT", "OUT2"}, 2, "not expected: "},
      {"SegmentWindowZero", with(seg, {"--window", "0"}), 2, "--window"},
      {"SegmentWindowNotANumber", with(seg, {"--window", "abc"}), 2, "--window"},
      {"SegmentWindowBeyondHalfThePicture", with(seg, {"--window", "33"}), 1, "between 1 and 32"},
      {"SegmentMedianNegative", with(seg, {"--median", "-1"}), 2, "--median"},
      {"SegmentMedianEleven", with(seg, {"--median", "11"}), 2, "--median"},
      {"SegmentAdjustBeyondTheInteger", with(seg, {"--adjust", "99999999999"}), 2, "--adjust"},
      {"SegmentThresholdNotANumber", with(seg, {"--threshold", "1e3x"}), 2, "--threshold"},
      {"SegmentThresholdWithWindow", with(seg, {"--threshold", "100", "--window", "50"}), 2,
       "--window excludes --threshold"},
      {"SegmentThresholdWithAdjust", with(seg, {"--threshold", "100", "--adjust", "5"}), 2,
       "--adjust excludes --threshold"},
      {"EncodeMethodFour", with(enc, {"--method", "4"}), 2, "--method"},
      {"EncodeMaxNxNegative", with(enc, {"--max-nx", "-1"}), 2, "--max-nx"},
      {"EncodeMaxNyBeyondItsRange", with(enc, {"--max-ny", "100001"}), 2, "--max-ny"},
      {"EncodeLeastAreaBelowMinusOne", with(enc, {"--least-area", "-2"}), 2, "--least-area"},
      {"EncodeLeastAreaDecimal", with(enc, {"--least-area", "1.5"}), 2, "--least-area"},
      {"EncodeScaleOneValue", with(enc, {"--scale", "1"}), 2, "--scale"},
      {"EncodeScaleZero", with(enc, {"--scale", "0", "1"}), 2, "--scale"},
      {"EncodeScaleNotANumber", with(enc, {"--scale", "nan", "1"}), 2, "--scale"},
      {"EncodeScaleInfinite", with(enc, {"--scale", "1", "inf"}), 2, "--scale"},
      {"EncodePitchOneValue", with(enc, {"--pitch", "20"}), 2, "--pitch"},
      {"EncodePitchZero", with(enc, {"--pitch", "0", "20"}), 2, "--pitch"},
      {"EncodePitchNotANumber", with(enc, {"--pitch", "nan", "10"}), 2, "--pitch"},
      {"EncodeOriginWithoutNeighbours", with(enc, {"--origin", "3"}), 2,
       "--origin requires --neighbours"},
      {"EncodeOriginWithPitch",
       with(enc, {"--pitch", "20", "20", "--origin", "3", "--neighbours", "1", "2", "3", "4"}), 2,
       "--pitch excludes --origin"},
      {"EncodeOriginNegative", with(enc, {"--origin", "-1", "--neighbours", "1", "2", "3", "4"}), 2,
       "--origin"},
      {"EncodeNeighbourBelowMinusOne",
       with(enc, {"--origin", "1", "--neighbours", "-2", "2", "3", "4"}), 2, "--neighbours"},
      {"EncodeOriginBeyondTheDots",
       with(enc, {"--origin", "99999", "--neighbours", "1", "2", "3", "4"}), 1, "wrong ORIGIN"},
      {"EncodeOverlayScaleZero", with(enc, {"--overlay", "OUT2.bmp", "--overlay-scale", "0"}), 2,
       "--overlay-scale"},
      {"EncodeOverlayScaleNine", with(enc, {"--overlay", "OUT2.bmp", "--overlay-scale", "9"}), 2,
       "--overlay-scale"},
      {"MatchLayoutEight", with(mat, {"--layout", "8"}), 2, "--layout"},
      {"MatchLayoutNine", with(mat, {"--layout", "9"}), 2, "--layout"},
      {"SynthSizeZero", with(syn, {"--size", "0", "10"}), 2, "--size"},
      {"SynthSizeBeyondItsRange", with(syn, {"--size", "2000000", "10"}), 2, "--size"},
      {"SynthPictureTooLarge", with(syn, {"--size", "60000", "60000"}), 1, "too large"},
      {"SynthRadiusZero", with(syn, {"--radius", "0"}), 2, "--radius"},
      {"SynthDotsTouching", with(syn, {"--pitch", "10", "10", "--radius", "5"}), 1, "would touch"},
      {"SynthNoiseNegative", with(syn, {"--noise", "-1"}), 2, "--noise"},
      {"SynthNoiseBeyondItsRange", with(syn, {"--noise", "256"}), 2, "--noise"},
      {"SynthRotationBeyondItsRange", with(syn, {"--rotation", "46"}), 2, "--rotation"},
      {"SynthStrainBeyondItsRange", with(syn, {"--strain", "0.6", "0", "0"}), 2, "--strain"},
      {"SynthTranslationBeyondItsRange", with(syn, {"--translate", "20000", "0"}), 2,
       "--translate"},
  };
}

class BadOption : public testing::TestWithParam<TBadOption> {};

}  // namespace

TEST_P(BadOption, IsRefusedWithAMessageAndNothingIsWritten) {
  TTempDir dir;
  TGrayImage picture;
  picture.SetWidth(64);
  picture.SetHeight(64);
  picture.FillRect(128, 0, 0, 63, 63);
  picture.SaveBmp(dir.File("in.bmp"));
  SaveSegmentedGrid(dir.File("seg.bmp"), 120, 100);
  WriteFileBytes(dir.File("in.cod"), ValidCodeFile());
  const std::vector<std::string> before = ListDirectory(dir.Path());

  std::vector<std::string> args = GetParam().Args;
  for (std::string& a : args) {
    if (a == "IN") a = dir.File("in.bmp");
    if (a == "SEG") a = dir.File("seg.bmp");
    if (a == "COD") a = dir.File("in.cod");
    if (a.rfind("OUT", 0) == 0) a = dir.File(a);
  }
  EXPECT_EQ(FailureProblem(RunCli(args), {GetParam().Fragment}, GetParam().Status), "");
  EXPECT_EQ(ListDirectory(dir.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(Matrix, BadOption, testing::ValuesIn(BadOptions()),
                         [](const testing::TestParamInfo<TBadOption>& test) {
                           return test.param.Name;
                         });
