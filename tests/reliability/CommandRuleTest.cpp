// The rules every command keeps, case by case: outputs never over inputs or each other, code
// files that cannot be trusted refused with the reason, options the work cannot use refused as
// usage errors, sizes that decide failure checked first. Run in-process through the command
// line's own entry; cases marked Real also go through the built program, which proves the
// wiring and allows resource limits.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "MatrixSupport.h"
#include "base/Convert.h"
#include "cli/Commandline.h"
#include "image/Grayimage.h"
#include "synth/Synth.h"

using namespace matrix;

namespace {

struct TRule {
  std::string Name;
  // {A} (a code file), {B} (the same grid moved), {DUP} (two dots at one position), {SEG} (a
  // segmented grid), {PIC} (a grid picture), {IN} (a gray 64 x 64 picture), {DIR} (a folder) stand
  // for files of the run, {HERE} for its folder; @name for a new file in it.
  std::vector<std::string> Args;
  int Status;
  std::string Fragment;  // part of the message, with the same names
  bool Real = false;
};

// The 3 x 2 grid of the valid code file moved by dx, its last dot at (lastNx, lastNy); dot row k
// is on line 4 + k.
std::string CodeFile(double dx, int lastNx, int lastNy) {
  std::string text = "VRKT-FS\r\n6 64 48\r\n5  5  1.000000  1.000000  0\r\n";
  for (int k = 0; k < 6; ++k)
    text +=
        Format("%3d   %8.3f  %8.3f   %3d  %3d  %3d\r\n", k, 10 + 10 * (k % 3) + dx,
               10.0 + 10 * (k / 3), k == 5 ? lastNx : k % 3 - 1, k == 5 ? lastNy : 1 - k / 3, 30);
  return text + "grid.bmp\r\n";
}

void PrintTo(const TRule& rule, std::ostream* out) {
  *out << rule.Name;
}

std::vector<TRule> Rules() {
  const std::vector<std::string> synth = {"synth", "@x.bmp", "@y.bmp",  "@t.csv", "--size",
                                          "200",   "160",    "--pitch", "10",     "10"};
  const std::vector<std::string> seg = {"segment", "{IN}", "@OUT.bmp"};
  const std::vector<std::string> enc = {"encode", "{SEG}", "@OUT.cod"};
  const std::vector<std::string> mat = {"match", "{A}", "{A}", "@OUT.dat"};
  const std::vector<std::string> syn = {"synth", "@OUT.bmp", "@OUT2.bmp", "@OUT.csv"};
  auto with = [](std::vector<std::string> base, std::vector<std::string> more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
  };
  const std::string duplicate =
      "{DUP}: the dots on lines 4 and 9 have the same grid position (-1 , 1)";
  return {
      {"StrainOutputOverAnInput",
       {"strain", "{A}", "{B}", "{A}"},
       1,
       "OUTPUT \"{A}\" is the input INITIAL: writing it would destroy the input (give --force",
       true},
      {"StrainSummaryOverItsOutput",
       {"strain", "{A}", "{B}", "@s.csv", "--summary", "@s.csv"},
       2,
       "OUTPUT and --summary name the same file"},
      {"StrainPlotsOverAnInput",
       {"strain", "{A}", "{B}", "@s.csv", "--plots", "{DIR}", "--picture", "{DIR}/exx.png"},
       1,
       "--plots \"{DIR}/exx.png\" is the input --picture"},
      {"MatchTwoDotsAtOnePosition", {"match", "{A}", "{DUP}", "@o.dat"}, 1, duplicate, true},
      {"StrainTwoDotsAtOnePosition", {"strain", "{DUP}", "{B}", "@o.csv"}, 1, duplicate},
      {"ReferenceWithTwoDotsAtOnePosition",
       {"encode", "{SEG}", "@o.cod", "--reference", "{DUP}"},
       1,
       duplicate},
      {"CodeFileThatIsAFolder",
       {"strain", "{DIR}", "{B}", "@o.csv"},
       1,
       " Can not open the  code file: \n{DIR} (that is a folder, not a code file)"},
      {"CodeFileWithoutAName",
       {"match", "", "{B}", "@o.dat"},
       1,
       " Can not open the  code file: \n(no file name was given)"},
      {"CodeFileMissing",
       {"match", "@none.cod", "{B}", "@o.dat"},
       1,
       "none.cod (No such file or directory)"},
      {"ReferenceWithoutAName",
       {"encode", "{SEG}", "@o.cod", "--reference", ""},
       2,
       "--reference: a file name is needed"},
      {"SummaryWithoutAName",
       {"strain", "{A}", "{B}", "@s.csv", "--summary", ""},
       2,
       "--summary: a file name is needed"},
      {"SynthBlurNotANumber", with(synth, {"--blur", "nan"}), 2, "--blur: a finite number", true},
      {"SynthRadiusNotANumber", with(synth, {"--radius", "nan"}), 2, "--radius"},
      {"SynthNoiseNotANumber", with(synth, {"--noise", "nan"}), 2, "--noise"},
      {"SynthGradientInfinite", with(synth, {"--gradient", "inf"}), 2, "--gradient"},
      {"SynthRotationNotANumber", with(synth, {"--rotation", "nan"}), 2, "--rotation"},
      {"SynthPitchNotANumber", with(synth, {"--pitch", "nan", "20"}), 2, "--pitch"},
      {"SynthTurnNotANumber", with(synth, {"--turn", "nan"}), 2, "--turn: a finite number"},
      {"SynthPoissonNotANumber", with(synth, {"--poisson", "nan"}), 2, "--poisson"},
      {"SynthHoleRadiusNotANumber", with(synth, {"--hole-radius", "nan"}), 2, "--hole-radius"},
      {"SynthHoleCentreNotANumber", with(synth, {"--hole-centre", "nan", "5"}), 2, "--hole-centre"},
      {"SynthSeedBeyond32Bits", with(synth, {"--seed", "4294967296"}), 2,
       "--seed: Value 4294967296 not in range 0 to 4294967295"},
      {"SequenceBlurNotANumber",
       {"synth-sequence", "@seq", "--blur", "nan"},
       2,
       "--blur: a finite"},
      {"SequenceSeedNegative",
       {"synth-sequence", "@seq", "--seed", "-1"},
       2,
       "--seed: Value -1 not in range 0 to 4294967295"},
      {"EncodeShiftInfinite",
       {"encode", "{SEG}", "@o.cod", "--reference", "{A}", "--shift", "inf", "0"},
       2,
       "--shift: a finite number",
       true},
      {"TrackTableTooSmall",
       {"track", "{PIC}", "--out", "@out", "--max-nx", "2", "--max-ny", "2"},
       1,
       "not in the range\n(the grid reaches beyond the table of --max-nx 2 and --max-ny 2",
       true},
      // Without the check first, 2.7e9 lattice places were visited (16 s) before the answer.
      {"SynthTooNarrowForADot",
       {"synth", "@x.raw", "@y.raw", "@t.csv", "--size", "1048576", "1"},
       1,
       "The picture is too small to hold a single dot",
       true},
      {"TwoOutputsOneFile", {"synth", "@x.bmp", "@x.bmp", "@x.bmp"}, 2, "name the same file"},
      {"OverlayOverTheCodeFile",
       {"encode", "{SEG}", "@o.cod", "--overlay", "@o.cod"},
       2,
       "OUTPUT and --overlay name the same file"},
      {"SegmentOutputOverItsInput",
       {"segment", "{SEG}", "{SEG}"},
       1,
       "OUTPUT \"{SEG}\" is the input INPUT: writing it would destroy the input (give --force"},
      {"MatchOutputOverAnInput", {"match", "{A}", "{A}", "{A}"}, 1, "is the input INITIAL"},
      {"EncodeOutputOverItsReference",
       {"encode", "{SEG}", "{A}", "--reference", "{A}"},
       1,
       "OUTPUT \"{A}\" is the input --reference"},
      {"EncodeOutputOverItsPicture",
       {"encode", "{SEG}", "{IN}", "--centroid", "refined", "--picture", "{IN}"},
       1,
       "OUTPUT \"{IN}\" is the input --picture"},
      {"OverlayOverTheInput",
       {"encode", "{SEG}", "@o.cod", "--overlay", "{SEG}"},
       1,
       "--overlay \"{SEG}\" is the input INPUT"},
      {"ScaleBeyondTheFloatRange",
       {"encode", "{SEG}", "@o.cod", "--scale", "1e39", "1"},
       2,
       "--scale"},
      {"ScaleBelowTheFloatRange",
       {"encode", "{SEG}", "@o.cod", "--scale", "1e-300", "1"},
       2,
       "--scale"},
      {"ScaleInfinite", {"encode", "{SEG}", "@o.cod", "--scale", "-inf", "1"}, 2, "--scale"},
      {"PictureThatIsAFolder",
       {"segment", "{DIR}", "@o.bmp"},
       1,
       "{DIR}: not exists (that is a folder, not a picture file)"},
      {"PictureWithoutAName",
       {"segment", "", "@o.bmp"},
       1,
       ": not exists (no file name was given)"},
      {"CodeFileIntoAMissingFolder",
       {"encode", "{SEG}", "@none/o.cod"},
       1,
       "file open error:Can create file {HERE}/none/o.cod (No such file or directory)"},
      {"DemoThroughAFile", {"demo", "{A}/demo"}, 1, "Cannot create the folder"},
      {"TableBeyondItsCap",
       {"encode", "{SEG}", "@o.cod", "--max-nx", "100000", "--max-ny", "100000"},
       1,
       "No enough memory to allocate Coordinate System\n(MaxNx 100000 and MaxNy 100000 ask for "
       "more than the cap"},
      {"EncodeTableTooSmall",
       {"encode", "{SEG}", "@o.cod", "--max-nx", "2", "--max-ny", "2"},
       1,
       "not in the range\n(the grid reaches beyond the table of --max-nx 2 and --max-ny 2"},
      {"SynthMissingNegative", with(synth, {"--missing", "-1"}), 2,
       "--missing: Value -1 not in range 0 to 2147483647"},
      {"OriginNegative",
       {"encode", "{SEG}", "@o.cod", "--origin", "-1", "--neighbours", "1", "2", "3", "4"},
       2,
       "--origin: Value -1 not in range 0 to 2147483647"},
      {"StrainPlotsIntoAFile",
       {"strain", "@none.cod", "{B}", "@s.csv", "--plots", "{A}"},
       1,
       "Cannot write plots into {A}"},
      {"StrainMeasureUnknown",
       {"strain", "{A}", "{B}", "@s.csv", "--measure", "log"},
       2,
       "--measure"},
      {"StrainNeighbourhoodZero",
       {"strain", "{A}", "{B}", "@s.csv", "--neighbourhood", "0"},
       2,
       "--neighbourhood"},
      {"PictureMissing", {"segment", "@none.bmp", "@o.bmp"}, 1, "{HERE}/none.bmp: not exists"},
      {"SegmentOutputOfAnotherFormat",
       {"segment", "{PIC}", "@o.png"},
       1,
       "only support raw and bmp files"},
      // Usage errors where the command line decides, failures where the picture does.
      {"NoSubcommand", {}, 2, "A subcommand is required"},
      {"UnknownSubcommand", {"nonsense"}, 2, "A subcommand is required"},
      {"MissingOutput", {"match", "{A}", "{A}"}, 2, "a displacement file or --csv is needed"},
      {"DemoSecondFolder", {"demo", "@OUT", "@OUT2"}, 2, "not expected: "},
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
      {"EncodeOverlayScaleZero", with(enc, {"--overlay", "@OUT2.bmp", "--overlay-scale", "0"}), 2,
       "--overlay-scale"},
      {"EncodeOverlayScaleNine", with(enc, {"--overlay", "@OUT2.bmp", "--overlay-scale", "9"}), 2,
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

class CommandRule : public testing::TestWithParam<TRule> {
 protected:
  void SetUp() override {
    WriteFileBytes(Dir.File("a.cod"), CodeFile(0, 1, 0));
    WriteFileBytes(Dir.File("b.cod"), CodeFile(1, 1, 0));
    WriteFileBytes(Dir.File("dup.cod"), CodeFile(0, -1, 1));
    SaveSegmentedGrid(Dir.File("seg.bmp"), 200, 160);
    TGrayImage gray;
    gray.SetSize(64, 64);
    gray.FillRect(128, 0, 0, 63, 63);
    gray.SaveBmp(Dir.File("in.bmp"));
    TSynthOptions o;
    o.Width = 200;
    o.Height = 160;
    TGrayImage picture;
    TSynthGrid(o).Render(false, picture);
    picture.SaveBmp(Dir.File("pic.bmp"));
    std::filesystem::create_directories(Dir.File("dir"));
  }
  std::string Replaced(std::string text) const {
    static const std::vector<std::pair<std::string, std::string>> names = {
        {"{DUP}", "dup.cod"}, {"{SEG}", "seg.bmp"}, {"{DIR}", "dir"},  {"{A}", "a.cod"},
        {"{B}", "b.cod"},     {"{PIC}", "pic.bmp"}, {"{IN}", "in.bmp"}};
    if (text.starts_with("@")) return Dir.File(text.substr(1));
    for (size_t at; (at = text.find("{HERE}")) != std::string::npos;)
      text.replace(at, 6, Dir.Path());
    for (const auto& [name, file] : names)
      for (size_t at; (at = text.find(name)) != std::string::npos;)
        text.replace(at, name.size(), Dir.File(file));
    return text;
  }
  // Every file of the folder with its bytes.
  std::string Contents() const {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir.Path()))
      if (entry.is_regular_file())
        all += entry.path().string() + "\n" + ReadFileBytes(entry.path().string()) + "\n";
    return all;
  }

  TTempDir Dir;
};

}  // namespace

TEST_P(CommandRule, IsKeptAndNothingIsWritten) {
  const TRule& rule = GetParam();
  std::vector<std::string> args;
  for (const std::string& a : rule.Args) args.push_back(a.empty() ? a : Replaced(a));
  const std::string before = Contents();
  std::ostringstream out, err;
  TCliResult run;
  run.Status = RunCommandLine(args, out, err);
  run.Err = err.str();
  EXPECT_EQ(FailureProblem(run, {Replaced(rule.Fragment)}, rule.Status), "");
  EXPECT_EQ(Contents(), before);
  if (!rule.Real) return;
  EXPECT_EQ(FailureProblem(RunCli(args, -1, 1 << 30, 10), {Replaced(rule.Fragment)}, rule.Status),
            "");
  EXPECT_EQ(Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(Matrix, CommandRule, testing::ValuesIn(Rules()),
                         [](const testing::TestParamInfo<TRule>& test) { return test.param.Name; });
