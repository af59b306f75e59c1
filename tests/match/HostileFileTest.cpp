// Code files and result files against what careless or hostile surroundings bring: a locale
// with a decimal comma, scale factors at the edges of the float range, names with terminal
// control characters, inputs that never end, and headers that announce far more than they hold.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "CodeFiles.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "support/CommaLocale.h"
#include "support/TempDir.h"

namespace {

// An encoding job of three Coded dots on a 640 x 480 picture.
std::unique_ptr<TEncode> ThreeDots(const std::string& pictureName = "") {
  std::unique_ptr<TEncode> job;
  if (pictureName.empty()) {
    auto image = std::make_unique<TGrayImage>();
    image->SetWidth(640);
    image->SetHeight(480);
    job = std::make_unique<TEncode>(std::move(image), false, false, 5, 5);
  } else {
    job = std::make_unique<TEncode>(pictureName, false, false, 5, 5);
  }
  std::vector<TDotInfo> dots(3);
  const float xs[] = {101.5f, 121.75f, 668.265f};
  for (int32_t i = 0; i < 3; ++i) {
    TDotInfo& dot = dots[i];
    dot.x = xs[i];
    dot.y = 33.25f;
    dot.Nx = i - 1;
    dot.Ny = 0;
    dot.Area = 50;
    dot.Coded = true;
  }
  job->ReplaceDots(std::move(dots));
  return job;
}

std::string Line(const std::string& text, int number) {
  size_t start = 0;
  for (int k = 1; k < number; ++k) start = text.find("\r\n", start) + 2;
  return text.substr(start, text.find("\r\n", start) - start);
}

}  // namespace

TEST(HostileFile, DecimalCommaLocaleWritesAndReadsPoints) {
  TCommaLocale comma;
  if (!comma.Problem().empty()) GTEST_SKIP() << comma.Problem();
  TTempDir dir;
  auto job = ThreeDots();
  job->SetScale(0.5f, 1.0f);
  job->SaveCodes(dir.File("a.cod"));
  const std::string text = ReadFileBytes(dir.File("a.cod"));
  EXPECT_EQ(Line(text, 3), "5  5  0.500000  1.000000  255");
  EXPECT_EQ(Line(text, 6), "  2    668.265    33.250     1    0   50");
  TMatch match(dir.File("a.cod"), dir.File("a.cod"));
  match.Match();
  EXPECT_EQ(match.FDotInfo[0][2].x, 668.265f * 0.5f);
  match.WriteResult(1, dir.File("r.dat"));
  const std::string result = ReadFileBytes(dir.File("r.dat"));
  EXPECT_NE(result.find("446.750"), std::string::npos) << result;
  for (size_t at = result.find(','); at != std::string::npos; at = result.find(',', at + 1))
    EXPECT_EQ(result[at + 1], ' ');  // only the comma of the third line's text
}

TEST(HostileFile, ScaleFactorsSurviveTheFileOrAreRefused) {
  TTempDir dir;
  const std::string path = dir.File("s.cod");
  auto job = ThreeDots();
  struct TCase {
    float Scale;
    std::string Text;
  };
  for (const TCase& c : std::vector<TCase>{{1.0f, "1.000000"},
                                           {0.02f, "0.020000"},
                                           {4.4e-6f, "4.4e-06"},
                                           {1e-30f, "1e-30"},
                                           {1e30f, Format("%f", static_cast<double>(1e30f))},
                                           {1.5e-7f, "1.5e-07"}}) {
    job->SetScale(c.Scale, c.Scale);
    job->SaveCodes(path);
    EXPECT_EQ(Line(ReadFileBytes(path), 3), "5  5  " + c.Text + "  " + c.Text + "  255");
    TMatch match(path, path);
    EXPECT_NEAR(match.FScaleX[0], c.Scale, 1e-6 * c.Scale) << c.Text;
    EXPECT_NEAR(match.FDotInfo[0][0].x, 101.5 * c.Scale, 1e-6 * 101.5 * c.Scale) << c.Text;
  }
  const std::string previous = ReadFileBytes(path);
  for (float bad : {0.0f, -1.0f, INFINITY, NAN}) {
    job->SetScale(1.0f, bad);
    EXPECT_NE(ErrorOf([&] { job->SaveCodes(path); }).find("finite and positive"), std::string::npos)
        << bad;
  }
  EXPECT_EQ(ReadFileBytes(path), previous);
}

TEST(HostileFile, DisplacementBeyondTheNumbersIsAnErrorNotInf) {
  TTempDir dir;
  WriteFileBytes(dir.File("a.cod"), CodeFileText({.Dots = {{0, -3e38, 10, 0, 0}}}));
  WriteFileBytes(dir.File("b.cod"), CodeFileText({.Dots = {{0, 3e38, 10, 0, 0}}}));
  WriteFileBytes(dir.File("r.dat"), "previous");
  TMatch match(dir.File("a.cod"), dir.File("b.cod"));
  match.Match();
  for (int layout = 0; layout < TMatch::LayoutCount; ++layout) {
    const std::string error = ErrorOf([&] { match.WriteResult(layout, dir.File("r.dat")); });
    // Layouts with dy alone never meet the infinite dx.
    if (layout == 3) continue;
    EXPECT_NE(error.find("grid position (0, 0) is beyond the range of numbers"), std::string::npos)
        << layout << ": " << error;
  }
  EXPECT_EQ(ReadFileBytes(dir.File("r.dat")), "previous");
  EXPECT_EQ(ListDirectory(dir.Path()), (std::vector<std::string>{"a.cod", "b.cod", "r.dat"}));
}

TEST(HostileFile, ControlCharactersOfNamesAreNotWritten) {
  TTempDir dir;
  const std::string picture = dir.File("red\x1b[31m\x07\xc2\x9b.bmp");
  TGrayImage image;
  image.SetWidth(8);
  image.SetHeight(8);
  image.FillRect(0, 0, 0, 7, 7);
  image.SaveBmp(picture);
  auto job = ThreeDots(picture);
  job->SaveCodes(dir.File("a.cod"));
  EXPECT_EQ(Line(ReadFileBytes(dir.File("a.cod")), 7), "red?[31m??.bmp");

  WriteFileBytes(dir.File("b.cod"),
                 CodeFileText({.Dots = {{0, 1, 1, 0, 0}}, .ImageName = "x\x1b]0;title\x7f"}));
  TMatch match(dir.File("a.cod"), dir.File("b.cod"));
  match.Match();
  match.WriteResult(0, dir.File("r.dat"));
  const std::string result = ReadFileBytes(dir.File("r.dat"));
  EXPECT_EQ(Line(result, 1), "red?[31m??.bmp");
  EXPECT_EQ(Line(result, 2), "x?]0;title?");
}

TEST(HostileFile, InputIsReadOnlyAsFarAsItsHeaderReaches) {
  TTempDir dir;
  // A device that never ends is refused at its first bytes.
  EXPECT_EQ(ErrorOf([] { TMatch m("/dev/zero", "/dev/zero"); }), "/dev/zero is not a code file!");
  // A code file followed by 8 GiB (a sparse file, no disk used): only its head is read.
  const std::string big = dir.File("big.cod");
  WriteFileBytes(big, CodeFileText({.Dots = {{0, 5, 6, 0, 0}}}));
  ASSERT_EQ(::truncate(big.c_str(), int64_t{8} << 30), 0);
  TMatch match(big, big);
  EXPECT_EQ(match.FDotSum[0], 1);
  EXPECT_EQ(match.FImageName[0], "grid0.bmp");
}

TEST(HostileFile, ByteOrderMarkIsAccepted) {
  TTempDir dir;
  const std::string text = CodeFileText({.Dots = {{0, 5, 6, 1, 2}}});
  WriteFileBytes(dir.File("bom.cod"), "\xEF\xBB\xBF" + text);
  TMatch match(dir.File("bom.cod"), dir.File("bom.cod"));
  EXPECT_EQ(match.FDotSum[0], 1);
  EXPECT_EQ(match.FDotInfo[0][0].Nx, 1);
  // Only at the very start: a mark elsewhere is no magic word.
  WriteFileBytes(dir.File("late.cod"), " \xEF\xBB\xBF" + text);
  EXPECT_EQ(ErrorOf([&] { TMatch m(dir.File("late.cod"), dir.File("late.cod")); }),
            dir.File("late.cod") + " is not a code file!");
}

TEST(HostileFile, HugeAnnouncedTableFollowsTheDotsAndPairsAsAFullOne) {
  TTempDir dir;
  const std::vector<TTestDot> dots = {
      {0, 10, 10, 4, -3}, {1, 20, 10, 5, -3}, {2, 10, 20, 4, 2}, {3, 20, 20, -5, 2}};
  const std::vector<TTestDot> moved = {
      {0, 11, 10, 5, -3}, {1, 20, 12, -5, 2}, {2, 12, 20, 4, 2}, {3, 20, 22, 4, -3}};
  WriteFileBytes(dir.File("small0.cod"), CodeFileText({.Dots = dots, .MaxNx = 5, .MaxNy = 5}));
  WriteFileBytes(dir.File("small1.cod"), CodeFileText({.Dots = moved, .MaxNx = 5, .MaxNy = 5}));
  // About a hundred bytes announcing 10001 x 10001 grid positions.
  WriteFileBytes(dir.File("huge0.cod"), CodeFileText({.Dots = dots, .MaxNx = 5000, .MaxNy = 5000}));
  WriteFileBytes(dir.File("huge1.cod"),
                 CodeFileText({.Dots = moved, .MaxNx = 5000, .MaxNy = 5000}));
  TMatch small(dir.File("small0.cod"), dir.File("small1.cod"));
  small.Match();
  for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
           {"huge0.cod", "huge1.cod"}, {"huge0.cod", "small1.cod"}, {"small0.cod", "huge1.cod"}}) {
    TMatch huge(dir.File(a), dir.File(b));
    EXPECT_TRUE(huge.FCoordinate[0]->Sparse() || huge.FCoordinate[1]->Sparse());
    huge.Match();
    ASSERT_EQ(huge.FMatchSum, small.FMatchSum) << a << " " << b;
    EXPECT_EQ(huge.FMatchIndex, small.FMatchIndex) << a << " " << b;
    for (int32_t k = 0; k < small.FMatchSum; ++k) {
      EXPECT_EQ(huge.FDisplacement[k].x, small.FDisplacement[k].x);
      EXPECT_EQ(huge.FDisplacement[k].y, small.FDisplacement[k].y);
    }
  }
  EXPECT_EQ(small.FMatchSum, 4);
}
