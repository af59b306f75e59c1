// The dot polarity guess on synthetic grids of both kinds, segmented or not, and on pictures
// without a grid, where it must stay unsure instead of guessing.
#include <gtest/gtest.h>

#include <random>

#include "image/Grayimage.h"
#include "segment/Dotpolarity.h"
#include "segment/Segment.h"
#include "synth/Synth.h"

namespace {

std::unique_ptr<TGrayImage> Render(const TSynthOptions& o) {
  auto picture = std::make_unique<TGrayImage>();
  TSynthGrid(o).Render(false, *picture);
  return picture;
}

const char* Name(TDotPolarity p) {
  return p == TDotPolarity::White ? "white" : p == TDotPolarity::Black ? "black" : "unsure";
}

}  // namespace

TEST(Dotpolarity, OtsuSplitsTwoLevelsBetweenThem) {
  int64_t counts[256] = {};
  counts[40] = 700;
  counts[215] = 300;
  const int32_t t = OtsuThreshold(counts);
  EXPECT_GE(t, 40);
  EXPECT_LT(t, 215);
  int64_t flat[256] = {};
  flat[90] = 1000;
  EXPECT_EQ(OtsuThreshold(flat), 0);
}

TEST(Dotpolarity, GridsOfBothKindsAreRecognised) {
  struct TCase {
    const char* Name;
    TSynthOptions Options;
  };
  std::vector<TCase> cases;
  TSynthOptions demo;  // the demo's initial picture
  demo.NoiseSigma = 2;
  demo.Gradient = 30;
  demo.RotationDeg = 1.5;
  cases.push_back({"demo", demo});
  TSynthOptions noisy;
  noisy.Width = 300;
  noisy.Height = 200;
  noisy.NoiseSigma = 8;
  noisy.Gradient = 60;
  noisy.Specks = 40;
  noisy.Blur = 1;
  cases.push_back({"noisy", noisy});
  // Dots covering most of the picture: the area fraction alone would name the wrong class.
  TSynthOptions large;
  large.Width = 300;
  large.Height = 200;
  large.Radius = 8.5;
  cases.push_back({"large dots", large});
  // Wider than the part looked at.
  TSynthOptions wide;
  wide.Width = 1600;
  wide.Height = 500;
  wide.PitchX = wide.PitchY = 30;
  wide.Radius = 8;
  wide.Gradient = 80;
  wide.NoiseSigma = 5;
  cases.push_back({"wide", wide});
  TSynthOptions lowContrast = noisy;
  lowContrast.DotLevel = 120;
  lowContrast.BackgroundLevel = 90;
  lowContrast.Gradient = 10;
  lowContrast.NoiseSigma = 3;
  cases.push_back({"low contrast", lowContrast});
  for (TCase& c : cases) {
    for (bool white : {true, false}) {
      c.Options.WhiteDots = white;
      if (c.Options.DotLevel >= 0 && !white)
        std::swap(c.Options.DotLevel, c.Options.BackgroundLevel);
      SCOPED_TRACE(std::string(c.Name) + (white ? ", white dots" : ", black dots"));
      auto picture = Render(c.Options);
      const TDotPolarity expected = white ? TDotPolarity::White : TDotPolarity::Black;
      const TPolarityGuess guess = GuessDotPolarity(*picture);
      EXPECT_STREQ(Name(guess.Polarity), Name(expected))
          << "threshold " << guess.Threshold << " bright share " << guess.BrightShare << " blobs "
          << guess.BrightBlobs << "/" << guess.DarkBlobs << " largest " << guess.BrightLargest
          << "/" << guess.DarkLargest;
      // Segmented as the right kind, the picture still says the same.
      TSegment job(std::move(picture), false);
      job.FWhiteDots = white;
      job.FWinSizeX = job.FWinSizeY = std::min(job.Width(), job.Height()) / 4;
      job.MultiAreaSegment(false, nullptr);
      EXPECT_STREQ(Name(GuessDotPolarity(job.Image()).Polarity), Name(expected)) << "segmented";
    }
  }
}

TEST(Dotpolarity, PicturesWithoutGridAreUnsure) {
  TGrayImage picture;
  picture.SetSize(200, 150);
  std::fill(picture.Data(), picture.Data() + picture.Size(), uint8_t{128});
  EXPECT_STREQ(Name(GuessDotPolarity(picture).Polarity), "unsure") << "flat";
  std::mt19937 random(7);
  std::normal_distribution<double> noise(128, 30);
  for (int32_t i = 0; i < picture.Size(); ++i)
    picture.Data()[i] = static_cast<uint8_t>(std::clamp(noise(random), 0.0, 255.0));
  EXPECT_STREQ(Name(GuessDotPolarity(picture).Polarity), "unsure") << "noise";
  // A ramp and a picture split in two halves: contrast, but no dots.
  for (int32_t y = 0; y < 150; ++y)
    for (int32_t x = 0; x < 200; ++x) picture.SetPixel(x, y, static_cast<uint8_t>(x));
  EXPECT_STREQ(Name(GuessDotPolarity(picture).Polarity), "unsure") << "ramp";
  for (int32_t y = 0; y < 150; ++y)
    for (int32_t x = 0; x < 200; ++x) picture.SetPixel(x, y, x < 70 ? 30 : 220);
  EXPECT_STREQ(Name(GuessDotPolarity(picture).Polarity), "unsure") << "halves";
  TGrayImage empty;
  EXPECT_STREQ(Name(GuessDotPolarity(empty).Polarity), "unsure") << "empty";
}
