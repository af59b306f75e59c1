// The lattice rules on independently rendered pictures with a known truth: specks dropped or cut
// away, touching and merged dots split, every dot of a grid seen in perspective kept. The
// figures of the accuracy sweep (tools/accuracy) with room for other seeds.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "encode/Encode.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"
#include "reference/Truthgrid.h"
#include "reference/Truthview.h"

namespace {

TEncodeRunOptions LatticeRun() {
  TEncodeRunOptions run;
  run.LeastArea = {TLeastArea::TMode::Robust, 0};
  run.Refined = true;
  run.Lattice = true;
  return run;
}

struct TRuleCase {
  std::string Name;
  void (*Change)(TTruthOptions&);
  double Share;  // of the true dots indexed and paired, at least
  double Rms;    // displacement error, pixels, at most
};

class LatticeRules : public testing::TestWithParam<TRuleCase> {};

}  // namespace

TEST_P(LatticeRules, PairEveryDotItKeepsAndMeasuresItNearTheTruth) {
  const TRuleCase& c = GetParam();
  TTruthOptions o;
  o.Width = 600, o.Height = 480;
  c.Change(o);
  const TEncodingAccuracy acc = MeasureEncoding(o, LatticeRun());
  ASSERT_EQ(acc.Failure, "");
  EXPECT_EQ(acc.Mispaired, 0);
  EXPECT_GE(acc.Share(), c.Share);
  EXPECT_LE(acc.Rms, c.Rms);
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, LatticeRules,
    testing::Values(
        TRuleCase{"Specks", [](TTruthOptions& o) { o.Specks = 1100; }, 0.97, 0.12},
        TRuleCase{"Touching", [](TTruthOptions& o) { o.Radius = 10; }, 0.97, 0.2},
        TRuleCase{"Merged", [](TTruthOptions& o) { o.Radius = 12; }, 0.95, 0.7},
        TRuleCase{"MixedSizes", [](TTruthOptions& o) { o.Radius = 6, o.SmallRadius = 3; }, 0.97,
                  0.03},
        // A sign error in the background plane's y slope shows only with light from above.
        TRuleCase{"LitFromAbove",
                  [](TTruthOptions& o) { o.GradientY = 150, o.Blur = 1, o.Noise = 0.5; }, 0.99,
                  0.012}),
    [](const testing::TestParamInfo<TRuleCase>& param) { return param.param.Name; });

// Large dots seen tilted by 30 degrees: ellipses of changing size that no one lattice fits.
// Every one is a dot (a dot dropped would look like a missing one to the registration).
TEST(LatticeRulesView, KeepEveryDotOfAGridSeenInPerspective) {
  TTruthSpecimen s;
  s.Columns = s.Rows = 6, s.Pitch = 60, s.Radius = 18;
  TTruthViewOptions view;
  view.Seed = 6;
  ViewHomography(0, 30, 0, 900, 1.1, 380, 310, view.H);
  TGrayImage picture;
  const auto truth = RenderTruthView(s, nullptr, view, picture);
  auto segmented = std::make_unique<TGrayImage>();
  SegmentLikeTheCli(picture, *segmented);
  TEncode job(std::move(segmented), true, false, 1, 1);
  TEncodeRunOptions run = LatticeRun();
  run.RefinePicture = &picture;
  ExtractDots(job, run, {});
  EXPECT_EQ(job.DotSum(), static_cast<int32_t>(truth.size()));
}
