#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <tuple>
#include <vector>

#include "base/Error.h"
#include "image/Grayimage.h"
#include "support/Checks.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

namespace {

// Intensity-weighted centroid of the pixels around (x, y) above the background level.
std::pair<double, double> Centroid(const TGrayImage& image, double x, double y, double r,
                                   int background, bool white) {
  double sx = 0, sy = 0, sw = 0;
  for (int yy = static_cast<int>(y - r - 2); yy <= static_cast<int>(y + r + 2); ++yy)
    for (int xx = static_cast<int>(x - r - 2); xx <= static_cast<int>(x + r + 2); ++xx) {
      double w = white ? image.GetPixel(xx, yy) - background : background - image.GetPixel(xx, yy);
      sx += w * xx;
      sy += w * yy;
      sw += w;
    }
  return {sx / sw, sy / sw};
}

}  // namespace

TEST(Synth, DotsLieOnTheLatticeAndMoveByTranslationAndStrainAboutTheCentre) {
  TSynthOptions o;
  o.Width = 400;
  o.Height = 300;
  o.PitchX = 20;
  o.PitchY = 30;
  o.TranslateX = 7.25;
  o.Exx = 0.004;
  o.Eyy = -0.002;
  o.Exy = 0.001;
  TSynthGrid grid(o);
  const TSynthDot& centre = grid.CentreDot();
  EXPECT_EQ(centre.I, 0);
  EXPECT_EQ(centre.J, 0);
  EXPECT_NEAR(centre.X0, 200, 0.5);
  EXPECT_NEAR(centre.Y0, 150, 0.5);
  for (const TSynthDot& d : grid.Dots()) {
    EXPECT_NEAR(d.X0 - centre.X0, d.I * 20.0, 1e-9);
    EXPECT_NEAR(d.Y0 - centre.Y0, d.J * 30.0, 1e-9);
    const double dx = d.X0 - 200, dy = d.Y0 - 150;
    // The strain is given with y up: exy shears the image rows the other way.
    EXPECT_NEAR(d.X1 - d.X0, 7.25 + 0.004 * dx - 0.001 * dy, 1e-9);
    EXPECT_NEAR(d.Y1 - d.Y0, -0.001 * dx - 0.002 * dy, 1e-9);
    for (double v : {d.X0, d.X1}) EXPECT_TRUE(v >= 7 && v <= 392) << v;
    for (double v : {d.Y0, d.Y1}) EXPECT_TRUE(v >= 7 && v <= 292) << v;
  }
  // 400 px across at pitch 20 less the margins: 19 columns, some lost to the shift.
  EXPECT_GE(grid.Dots().size(), 16u * 8u);
}

TEST(Synth, RenderedDotsAreCentredOnTheTruthForBothColours) {
  for (bool white : {true, false}) {
    TSynthOptions o;
    o.Width = 200;
    o.Height = 160;
    o.WhiteDots = white;
    o.RotationDeg = 3;
    o.TranslateX = 0.3;
    o.TranslateY = -0.45;
    TSynthGrid grid(o);
    for (bool deformed : {false, true}) {
      TGrayImage image;
      grid.Render(deformed, image);
      EXPECT_EQ(image.Width(), 200);
      int background = white ? 40 : 215;
      EXPECT_EQ(image.GetPixel(0, 0), background);
      for (const TSynthDot& d : grid.Dots()) {
        double x = deformed ? d.X1 : d.X0, y = deformed ? d.Y1 : d.Y0;
        auto [cx, cy] = Centroid(image, x, y, o.Radius, background, white);
        EXPECT_NEAR(cx, x, 0.02);
        EXPECT_NEAR(cy, y, 0.02);
      }
    }
  }
}

TEST(Synth, MissingDotsAreLeftOutButNeverTheCentre) {
  TSynthOptions o;
  o.Missing = 25;
  o.Seed = 9;
  TSynthGrid grid(o);
  int missing = 0;
  for (const TSynthDot& d : grid.Dots()) {
    if (d.Present) continue;
    ++missing;
    EXPECT_GT(std::abs(d.I) + std::abs(d.J), 1);
  }
  EXPECT_EQ(missing, 25);
  TGrayImage image;
  grid.Render(false, image);
  for (const TSynthDot& d : grid.Dots())
    EXPECT_EQ(
        image.GetPixel(static_cast<int>(std::lround(d.X0)), static_cast<int>(std::lround(d.Y0))),
        d.Present ? 215 : 40);
}

TEST(Synth, NoiseAndGradientAreSeededAndDeterministic) {
  TSynthOptions o;
  o.Width = 120;
  o.Height = 90;
  o.NoiseSigma = 4;
  o.Gradient = 60;
  TGrayImage a, b, c;
  TSynthGrid(o).Render(false, a);
  TSynthGrid(o).Render(false, b);
  o.Seed = 2;
  TSynthGrid(o).Render(false, c);
  EXPECT_TRUE(std::equal(a.Data(), a.Data() + a.Size(), b.Data()));
  EXPECT_FALSE(std::equal(a.Data(), a.Data() + a.Size(), c.Data()));
  // The gradient makes the bottom-right background brighter than the top-left one.
  EXPECT_GT(a.SumRect(110, 80, 119, 89), a.SumRect(0, 0, 9, 9) + 100 * 40);
}

TEST(Synth, ImpossibleOptionsAreRefused) {
  const std::function<void(TSynthOptions&)> changes[] = {
      [](TSynthOptions& o) { o.Radius = 10; },  // touches at pitch 20
      [](TSynthOptions& o) { o.PitchX = 0; },
      [](TSynthOptions& o) { o.Width = 5; },
      [](TSynthOptions& o) { o.Exx = NAN; },
  };
  for (const auto& change : changes) {
    TSynthOptions o;
    change(o);
    EXPECT_THROW(TSynthGrid{o}, TError);
  }
  // A pitch far too small for the picture is refused with the estimate, before any dot is made.
  TSynthOptions dense;
  dense.Width = dense.Height = 40000;
  dense.PitchX = dense.PitchY = 2.5;
  dense.Radius = 0.2;
  const std::string error = ErrorOf([&] { TSynthGrid{dense}; });
  EXPECT_EQ(error.substr(0, 41), "The grid would hold about 256128016 dots ") << error;
}

TEST(Synth, TruthFileListsThePresentDots) {
  TTempDir dir;
  TSynthOptions o;
  o.Width = 100;
  o.Height = 80;
  o.Missing = 1;
  TSynthGrid grid(o);
  grid.SaveTruthCsv(dir.File("truth.csv"));
  std::istringstream in(ReadFileBytes(dir.File("truth.csv")));
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "i,j,x0,y0,x1,y1");
  size_t rows = 0;
  while (std::getline(in, line)) ++rows;
  EXPECT_EQ(rows, grid.Dots().size() - 1);
}

TEST(Synth, BlurSoftensEdgesAroundTheSameCentresAndSpecksLieOutsideTheDots) {
  TSynthOptions o;
  o.Width = 200;
  o.Height = 160;
  TGrayImage sharp, blurred, specked[2];
  TSynthGrid(o).Render(false, sharp);
  o.Blur = 1.5;
  TSynthGrid grid(o);
  grid.Render(false, blurred);
  int32_t softer = 0;
  for (const TSynthDot& d : grid.Dots()) {
    auto [cx, cy] = Centroid(blurred, d.X0, d.Y0, o.Radius + 4, 40, true);
    EXPECT_NEAR(cx, d.X0, 0.02);
    EXPECT_NEAR(cy, d.Y0, 0.02);
    // Just outside the disc the blur spreads light that the sharp picture does not have.
    const int32_t x = static_cast<int32_t>(std::lround(d.X0 + o.Radius + 1.5));
    const int32_t y = static_cast<int32_t>(std::lround(d.Y0));
    softer += blurred.GetPixel(x, y) > sharp.GetPixel(x, y) + 10;
  }
  EXPECT_EQ(softer, static_cast<int32_t>(grid.Dots().size()));

  // Specks: bright pixels far from every dot, different in the two pictures.
  o.Blur = 0;
  o.Specks = 40;
  TSynthGrid(o).Render(false, specked[0]);
  TSynthGrid(o).Render(true, specked[1]);
  int32_t specks[2] = {0, 0}, same = 0;
  for (int32_t y = 0; y < o.Height; ++y)
    for (int32_t x = 0; x < o.Width; ++x) {
      bool far = true;
      for (const TSynthDot& d : grid.Dots())
        far = far && std::hypot(x - d.X0, y - d.Y0) > o.Radius + 1 &&
              std::hypot(x - d.X1, y - d.Y1) > o.Radius + 1;
      if (!far) continue;
      for (int k = 0; k < 2; ++k) specks[k] += specked[k].GetPixel(x, y) > 60;
      same += specked[0].GetPixel(x, y) > 60 && specked[1].GetPixel(x, y) > 60;
    }
  for (int k = 0; k < 2; ++k) {
    EXPECT_GT(specks[k], 15) << k;
    EXPECT_LE(specks[k], 40 * 4) << k;
  }
  EXPECT_LT(same, specks[0] / 2);
}

// Every lattice place whose dot fits the picture, row by row, as a walk over the whole square
// around the diagonal finds them; thin and turned pictures included.
TEST(Synth, EveryLatticePlaceInsideThePictureIsKeptInOrder) {
  for (const auto& [width, height, degrees] :
       {std::tuple{300, 200, 0.0}, {300, 200, 17.0}, {2000, 30, 45.0}, {40, 900, -33.0}}) {
    TSynthOptions o;
    o.Width = width;
    o.Height = height;
    o.PitchX = 9;
    o.PitchY = 13;
    o.Radius = 3;
    o.RotationDeg = degrees;
    const TSynthGrid grid(o);
    const TSynthDot& centre = grid.CentreDot();
    ASSERT_EQ(centre.I, 0);
    const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
    const double cx = width / 2.0, cy = height / 2.0, margin = o.Radius + 2;
    // The phase, from the centre dot.
    const double px = c * (centre.X0 - cx) + s * (centre.Y0 - cy);
    const double py = -s * (centre.X0 - cx) + c * (centre.Y0 - cy);
    std::vector<std::pair<int, int>> expected, found;
    for (int j = -200; j <= 200; ++j)
      for (int i = -200; i <= 200; ++i) {
        const double lx = i * o.PitchX + px, ly = j * o.PitchY + py;
        const double x = cx + c * lx - s * ly, y = cy + s * lx + c * ly;
        if (x >= margin && y >= margin && x + margin <= width - 1 && y + margin <= height - 1)
          expected.emplace_back(i, j);
      }
    for (const TSynthDot& d : grid.Dots()) found.emplace_back(d.I, d.J);
    EXPECT_EQ(found, expected) << width << " x " << height << " at " << degrees;
  }
}

// A grid of C x R dots (C / 2 left of the centre dot), each picture showing what fits in it,
// and a crack moving the rows above its line up and those below down.
TEST(Synth, GridOutlineEachPicturesDotsAndACrack) {
  TSynthOptions o;
  o.Width = 400, o.Height = 300, o.Columns = 6, o.Rows = 5, o.ClipEach = true;
  o.TranslateX = 170;  // part of the grid leaves the deformed picture
  int32_t shown0 = 0, shown1 = 0, minI = 99, maxI = -99, minJ = 99, maxJ = -99;
  const TSynthGrid moved(o);
  for (const TSynthDot& d : moved.Dots()) {
    shown0 += d.Shown0, shown1 += d.Shown1;
    minI = std::min(minI, d.I), maxI = std::max(maxI, d.I);
    minJ = std::min(minJ, d.J), maxJ = std::max(maxJ, d.J);
  }
  EXPECT_EQ(shown0, 30);
  EXPECT_LT(shown1, 30);
  EXPECT_GT(shown1, 0);
  EXPECT_EQ(std::vector<int32_t>({minI, maxI, minJ, maxJ}), std::vector<int32_t>({-3, 2, -2, 2}));

  o.TranslateX = 0, o.Field = TSynthField::Crack, o.CrackOpening = 8, o.CrackY = 155;
  const TSynthGrid cracked(o);
  for (const TSynthDot& d : cracked.Dots())
    EXPECT_NEAR(d.Y1 - d.Y0, d.Y0 < 155 ? -4 : 4, 1e-9) << d.J;
}
