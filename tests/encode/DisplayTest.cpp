#include <gtest/gtest.h>

#include <cstring>

#include "EncodeTestSupport.h"
#include "base/RgbSurface.h"
#include "support/Encodeprobe.h"

using namespace enctest;

namespace {

// Four dots, one of them a ring whose centre pixel is background.
std::unique_ptr<TEncode> FourDots(bool white = true) {
  const uint8_t bg = white ? 0 : 255, ink = white ? 200 : 30;
  auto image = Blank(80, 60, bg);
  image->FillRect(ink, 10, 10, 14, 14);  // dot 0, centre (12, 12)
  image->FillRect(ink, 30, 10, 34, 14);  // dot 1
  image->FillRect(ink, 50, 30, 56, 36);  // dot 3: a ring
  image->FillRect(bg, 52, 32, 54, 34);
  image->FillRect(ink, 10, 30, 16, 33);  // dot 2, centre (13, 31.5)
  auto job = Job(std::move(image), white);
  Extract(*job, 0);
  return job;
}

// The picture the display should show: the image, the listed blobs in red, then the labels.
TRgbSurface Expected(const TEncode& job, const std::vector<int32_t>& red,
                     const std::vector<int32_t>& labels) {
  TRgbSurface picture(job.Image().Width(), job.Image().Height());
  job.Image().Repaint(&picture);
  for (int32_t i : red) {
    const TDotInfo& d = job.DotInfo()[i];
    // Every pixel of the dot's bounding square that is not background (blobs lie apart).
    for (int32_t y = static_cast<int32_t>(d.y) - 4; y <= static_cast<int32_t>(d.y) + 4; ++y)
      for (int32_t x = static_cast<int32_t>(d.x) - 4; x <= static_cast<int32_t>(d.x) + 4; ++x)
        if (job.Image().GetPixel(x, y) != job.Background()) picture.SetPixel(x, y, clRed);
  }
  for (int32_t i : labels)
    picture.TextOut(static_cast<int32_t>(job.DotInfo()[i].x),
                    static_cast<int32_t>(job.DotInfo()[i].y), job.DotLabel(i));
  return picture;
}

bool SamePicture(const TRgbSurface& a, const TRgbSurface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Data(), b.Data(), static_cast<size_t>(a.Width()) * a.Height() * 3) == 0;
}

std::vector<uint8_t> Pixels(const TEncode& job) {
  return {job.Image().Data(), job.Image().Data() + job.Image().Size()};
}

}  // namespace

TEST(Display, ShowUnNetedMarksExactlyTheUnexpandedDotsAndRestoresThePicture) {
  for (bool white : {true, false}) {
    auto job = FourDots(white);
    const auto before = Pixels(*job);
    TEncodeProbe::Dots(*job)[1].Neted = true;
    job->ModifyDot(0, 0, 0, false);
    TRgbSurface screen(80, 60, TColor{9, 9, 9});
    EXPECT_TRUE(job->ShowUnNeted(&screen));
    // The ring's centre pixel is background: nothing turns red there, but it is labelled.
    EXPECT_TRUE(SamePicture(screen, Expected(*job, {0, 2}, {0, 2, 3})));
    EXPECT_EQ(Pixels(*job), before);

    TEncodeProbe::SetHighlight(*job, false);  // labels without red
    EXPECT_TRUE(job->ShowUnNeted(&screen));
    EXPECT_TRUE(SamePicture(screen, Expected(*job, {}, {0, 2, 3})));

    for (int32_t i = 0; i < job->DotSum(); ++i) TEncodeProbe::Dots(*job)[i].Neted = true;
    TRgbSurface untouched(80, 60, TColor{9, 9, 9});
    EXPECT_EQ(job->FirstUnNeted(), -1);
    EXPECT_FALSE(job->ShowUnNeted(&untouched));
    EXPECT_TRUE(SamePicture(untouched, TRgbSurface(80, 60, TColor{9, 9, 9})));
  }
}

TEST(Display, SelectDotHighlightsOnceAndRefusesWhatItCannotShow) {
  auto job = FourDots();
  const auto before = Pixels(*job);
  TRgbSurface screen(80, 60, TColor{9, 9, 9});
  EXPECT_TRUE(job->SelectDot(2, &screen));
  EXPECT_EQ(job->Selected(), 2);
  EXPECT_TRUE(TEncodeProbe::Highlight(*job));
  EXPECT_TRUE(SamePicture(screen, Expected(*job, {2}, {2})));
  EXPECT_EQ(Pixels(*job), before);

  TRgbSurface again(80, 60, TColor{9, 9, 9});
  EXPECT_FALSE(job->SelectDot(2, &again));  // the same dot: no change on the screen
  EXPECT_FALSE(TEncodeProbe::Highlight(*job));
  EXPECT_TRUE(SamePicture(again, TRgbSurface(80, 60, TColor{9, 9, 9})));
  for (int32_t outside : {-1, job->DotSum()}) EXPECT_FALSE(job->SelectDot(outside, &again));
  EXPECT_TRUE(SamePicture(again, TRgbSurface(80, 60, TColor{9, 9, 9})));

  EXPECT_FALSE(job->SelectDot(3, &again));  // the ring: selection cleared, plain picture
  EXPECT_EQ(job->Selected(), -1);
  EXPECT_TRUE(SamePicture(again, Expected(*job, {}, {})));
}

TEST(Display, PickDotFindsTheBlobUnderThePointer) {
  auto job = FourDots(false);
  const auto before = Pixels(*job);
  TRgbSurface screen(80, 60, TColor{9, 9, 9});
  EXPECT_TRUE(job->PickDot(51, 30, &screen));  // on the ring's edge
  EXPECT_EQ(job->Selected(), 3);
  TRgbSurface expected = Expected(*job, {}, {});
  for (int32_t y = 30; y <= 36; ++y)
    for (int32_t x = 50; x <= 56; ++x)
      if (job->Image().GetPixel(x, y) != 255) expected.SetPixel(x, y, clRed);
  expected.TextOut(53, 33, "3(53.00,33.00)");
  EXPECT_TRUE(SamePicture(screen, expected));
  EXPECT_EQ(Pixels(*job), before);

  EXPECT_FALSE(job->PickDot(56, 36, &screen));  // the same blob again
  EXPECT_FALSE(TEncodeProbe::Highlight(*job));
  EXPECT_TRUE(job->PickDot(10, 10, &screen));
  EXPECT_EQ(job->Selected(), 0);
  EXPECT_TRUE(SamePicture(screen, Expected(*job, {0}, {0})));

  TRgbSurface other(80, 60, TColor{9, 9, 9});
  for (int32_t x : {80, -1}) EXPECT_FALSE(job->PickDot(x, 10, &other));  // outside: no change
  EXPECT_EQ(job->Selected(), 0);
  EXPECT_TRUE(SamePicture(other, TRgbSurface(80, 60, TColor{9, 9, 9})));
  EXPECT_FALSE(job->PickDot(40, 40, &other));  // background: selection cleared, plain picture
  EXPECT_EQ(job->Selected(), -1);
  EXPECT_TRUE(SamePicture(other, Expected(*job, {}, {})));
}

TEST(Display, LabelsShowIndicesOrPositionsAndShowPositionLabelsEveryDot) {
  auto job = FourDots();
  EXPECT_EQ(job->DotLabel(2), "2(13.00,31.50)");
  TEncodeProbe::Dots(*job)[0].Neted = TEncodeProbe::Dots(*job)[1].Neted = true;
  job->ModifyDot(1, 1, 0, true);
  EXPECT_EQ(job->DotLabel(1), "1(1,0)");
  TRgbSurface screen(80, 60, TColor{9, 9, 9});
  job->SetCanvas(&screen);
  job->ShowPosition();  // the red marks of the unexpanded dots, then every label over them
  EXPECT_TRUE(SamePicture(screen, Expected(*job, {2}, {2, 3, 0, 1, 2, 3})));
  TEncodeProbe::Dots(*job)[2].x = 5.5f;
  EXPECT_EQ(job->DotLabel(2), "2( 5.50,31.50)");

  auto image = Blank(40, 30, 0);  // no records yet: nothing to pick or draw, no failure
  image->FillRect(255, 10, 10, 12, 12);
  auto bare = Job(std::move(image), true);
  bare->PrepareImage(nullptr);
  EXPECT_FALSE(bare->PickDot(11, 11, &screen));
  EXPECT_EQ(bare->Selected(), -1);
  bare->ShowPosition();
}

namespace {

// A surface that keeps no track of what is drawn: every highlight on it redraws the picture.
class TUntrackedSurface : public TRgbSurface {
 public:
  using TRgbSurface::TRgbSurface;
  TStampValue Stamp() const override { return {}; }
};

}  // namespace

// A highlight redraws only the last mark's area while nothing else was drawn and the picture is
// unchanged; the screen must then equal a full redraw, whatever came in between.
TEST(Display, HighlightsRedrawingOnlyTheLastMarkMatchAFullRedraw) {
  for (auto style : {TRgbSurface::TTextStyle::Boxed, TRgbSurface::TTextStyle::Outlined}) {
    // Dots close together and at the edges, so labels run over neighbours and off the picture.
    auto image = Blank(60, 40, 0);
    for (int32_t y = 0; y < 40; y += 8)
      for (int32_t x = 0; x < 60; x += 9) image->FillRect(200, x, y, x + 3, y + 2);
    auto fast = Job(std::move(image), true);
    Extract(*fast, 0);
    auto image2 = Blank(60, 40, 0);
    std::memcpy(image2->Data(), fast->Image().Data(), 60 * 40);
    auto full = Job(std::move(image2), true);
    Extract(*full, 0);
    ASSERT_EQ(fast->DotSum(), full->DotSum());
    TRgbSurface screen(60, 40, TColor{9, 9, 9});
    TUntrackedSurface reference(60, 40, TColor{9, 9, 9});
    screen.FTextStyle = reference.FTextStyle = style;

    uint32_t seed = 7;
    auto next = [&seed](uint32_t n) {
      seed = seed * 1664525u + 1013904223u;
      return (seed >> 8) % n;
    };
    for (int step = 0; step < 300; ++step) {
      const uint32_t what = next(10);
      if (what < 6) {  // a pointer movement, on a dot or beside one
        const int32_t x = static_cast<int32_t>(next(60)), y = static_cast<int32_t>(next(40));
        EXPECT_EQ(fast->PickDot(x, y, &screen), full->PickDot(x, y, &reference)) << step;
      } else if (what < 8) {
        const int32_t i = static_cast<int32_t>(next(static_cast<uint32_t>(fast->DotSum())));
        EXPECT_EQ(fast->SelectDot(i, &screen), full->SelectDot(i, &reference)) << step;
      } else if (what == 8) {  // someone else draws on the screen
        const int32_t x = static_cast<int32_t>(next(60));
        screen.SetPixel(x, 3, clWhite);
        reference.SetPixel(x, 3, clWhite);
      } else {  // the picture changes under the display (a dot moved by hand, say)
        const int32_t x = static_cast<int32_t>(next(50)), y = static_cast<int32_t>(next(30));
        TEncodeProbe::Image(*fast).SetPixel(x, y, 0);
        TEncodeProbe::Image(*full).SetPixel(x, y, 0);
      }
      ASSERT_TRUE(SamePicture(screen, reference)) << "step " << step;
    }
  }
}
