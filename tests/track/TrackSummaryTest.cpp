#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Error.h"
#include "support/TempDir.h"
#include "track/Tracksequence.h"
#include "track/Tracksummary.h"

TEST(TrackSummary, ReadsBackWhatTheWriterWroteAndRefusesAnythingElse) {
  std::vector<TTrackStep> steps(3);
  steps[0].Picture = "ref,1.tif";
  steps[0].Dots = steps[0].Pairs = 120;
  steps[1].Step = 1;
  steps[1].Picture = "b.tif";
  steps[1].Reason = "Can not \"read\"\nit, at all";
  steps[2].Step = 2;
  steps[2].Picture = "c.tif";
  steps[2].Dots = 118;
  steps[2].Pairs = 117;
  steps[2].Lost = 3;
  steps[2].MeanDx = 1.25;
  steps[2].MeanDy = -0.5;
  steps[2].Exx = 0.00125;
  steps[2].Eyy = -3.5e-05;
  steps[2].Exy = 2e-06;
  steps[2].Rotation = -0.75;
  steps[2].Registration = "registered again";
  TTempDir dir;
  WriteTrackSummary(dir.File("summary.csv"), steps);
  const std::vector<TTrackStep> read = ReadTrackSummary(dir.File("summary.csv"));
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].Picture, "ref,1.tif");
  EXPECT_EQ(read[0].Pairs, 120);
  EXPECT_EQ(read[1].Reason, "Can not 'read' it, at all");
  EXPECT_FALSE(read[1].Good());
  EXPECT_EQ(read[2].Lost, 3);
  EXPECT_DOUBLE_EQ(read[2].MeanDy, -0.5);
  EXPECT_DOUBLE_EQ(read[2].Exx, 0.00125);
  EXPECT_DOUBLE_EQ(read[2].Eyy, -3.5e-05);
  EXPECT_DOUBLE_EQ(read[2].Rotation, -0.75);
  EXPECT_EQ(read[2].Registration, "registered again");
  EXPECT_TRUE(read[2].Good());

  // A summary written before the rotation and registration columns.
  const std::string old = "step,picture,dots,pairs,lost,mean_dx,mean_dy,exx,eyy,exy,reason\n";
  const auto before =
      ParseTrackSummary(old + "0,a.tif,1,1,0,0,0,0,0,0,\n1,b.tif,,,,,,,,,\"x\"\n", "s");
  ASSERT_EQ(before.size(), 2u);
  EXPECT_EQ(before[1].Reason, "x");

  const std::string header =
      "step,picture,dots,pairs,lost,mean_dx,mean_dy,exx,eyy,exy,rotation,reason,registration\n";
  for (const std::string& bad :
       {std::string(""), std::string("step,picture\n"), header,
        header + "1,a.tif,1,1,0,0,0,0,0,0,0,,p\n", header + "0,a.tif,1,1,0,0,0,0,0,0,x,,p\n",
        header + "0,a.tif,1,1,0,0,0,0,0,0,0,p\n", header + "0,a.tif,1,1,0,0,0,0,0,0,00,p\n",
        header + "0,a.tif,,,,,,,,,\"\",p\n", header + "0,a.tif,1,,,,,,,,\"why\",p\n",
        header + "0,a.tif,1,1,0,0,0,nan,0,0,0,,p\n", header + "0,a.tif,1,1,0,0,0,0,0,0,0,,\"p\"\n"})
    EXPECT_THROW(ParseTrackSummary(bad, "s.csv"), TError) << bad;
}
