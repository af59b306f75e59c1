#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "EncodeTestSupport.h"
#include "base/RgbSurface.h"
#include "reference/PlainExtraction.h"
#include "support/Encodeprobe.h"
#include "support/TempDir.h"

using namespace enctest;

namespace {

std::unique_ptr<TGrayImage> RandomPicture(std::mt19937& rng, uint8_t background) {
  const int32_t w = 1 + static_cast<int32_t>(rng() % 70), h = 1 + static_cast<int32_t>(rng() % 50);
  auto image = Blank(w, h, background);
  auto value = [&] { return static_cast<uint8_t>(rng() % 3 == 0 ? rng() : 255u - background); };
  const int32_t blobs = static_cast<int32_t>(rng() % 25);
  for (int32_t b = 0; b < blobs; ++b) {
    const int32_t x = static_cast<int32_t>(rng() % w), y = static_cast<int32_t>(rng() % h);
    const int32_t bw = static_cast<int32_t>(rng() % 8), bh = static_cast<int32_t>(rng() % 8);
    for (int32_t yy = y; yy <= y + bh && yy < h; ++yy)
      for (int32_t xx = x; xx <= x + bw && xx < w; ++xx)
        if (rng() % 5 != 0) image->SetPixel(xx, yy, value());
  }
  const int32_t specks = static_cast<int32_t>(rng() % 40);
  for (int32_t s = 0; s < specks; ++s)
    image->SetPixel(static_cast<int32_t>(rng() % w), static_cast<int32_t>(rng() % h), value());
  return image;
}

}  // namespace

TEST(Extraction, AgreesWithTheFillByFillReferenceOnRandomPictures) {
  std::mt19937 rng(20240501);
  for (int trial = 0; trial < 400; ++trial) {
    const uint8_t background = trial % 2 == 0 ? 0 : 255;
    auto image = RandomPicture(rng, background);
    TPlainExtraction ref(*image, background);
    auto job = Job(std::move(image), background == 0);
    SCOPED_TRACE(testing::Message() << "trial " << trial);

    ref.PrepareImage();
    job->PrepareImage(nullptr);
    ASSERT_EQ(job->AreaThreshold(), ref.AreaThreshold);
    ASSERT_EQ(job->DotSum(), ref.DotSum);
    ASSERT_EQ(job->TotalArea(), ref.TotalArea);
    ASSERT_EQ(0, std::memcmp(job->Image().Data(), ref.Img.data(), ref.Img.size()));

    const int32_t least = static_cast<int32_t>(rng() % 6) - 1;  // -1 counts as 10
    ref.AreaThreshold = trial % 7 == 0 ? ref.AreaThreshold : least;
    job->SetAreaThreshold(ref.AreaThreshold);
    const std::string expected = ref.RemoveNoise();
    std::string got = ErrorOf([&] { job->RemoveNoise(nullptr); });
    if (got == "(no error)") got = "";
    ASSERT_EQ(got, expected);
    ASSERT_EQ(job->AreaThreshold(), ref.AreaThreshold);
    ASSERT_EQ(job->DotSum(), ref.DotSum);
    ASSERT_EQ(0, std::memcmp(job->Image().Data(), ref.Img.data(), ref.Img.size()));
    if (!expected.empty()) continue;

    ref.BuildDotInfo();
    job->BuildDotInfo(nullptr);
    ASSERT_EQ(job->DotSum(), static_cast<int32_t>(ref.Dots.size()));
    for (size_t i = 0; i < ref.Dots.size(); ++i) {
      EXPECT_EQ(job->DotInfo()[i].x, ref.Dots[i].x) << i;
      EXPECT_EQ(job->DotInfo()[i].y, ref.Dots[i].y) << i;
      EXPECT_EQ(job->DotInfo()[i].Area, ref.Dots[i].Area) << i;
      EXPECT_FALSE(job->DotInfo()[i].Coded || job->DotInfo()[i].Neted);
      EXPECT_EQ(job->DotInfo()[i].Neighbour[2], -1);
    }
    ASSERT_EQ(0, std::memcmp(job->Image().Data(), ref.Img.data(), ref.Img.size()));
  }
}

TEST(Extraction, PublicFillsAndCountingMatchTheReference) {
  std::mt19937 rng(77);
  for (int trial = 0; trial < 100; ++trial) {
    const uint8_t background = trial % 2 == 0 ? 0 : 255;
    auto image = RandomPicture(rng, background);
    TPlainExtraction ref(*image, background);
    const int32_t x = static_cast<int32_t>(rng() % image->Width());
    const int32_t y = static_cast<int32_t>(rng() % image->Height());
    auto job = Job(std::move(image), background == 0);
    ref.Fill(x, y);
    job->CentroidFill(x, y);
    EXPECT_EQ(TEncodeProbe::Area(*job), ref.Area);
    EXPECT_EQ(TEncodeProbe::SumX(*job), ref.SumX);
    EXPECT_EQ(TEncodeProbe::SumY(*job), ref.SumY);
    EXPECT_EQ(TEncodeProbe::SumW(*job), ref.SumW);
    ASSERT_EQ(0, std::memcmp(job->Image().Data(), ref.Img.data(), ref.Img.size()));
    ref.ClearBorder();
    job->ClearBorder();
    ASSERT_EQ(0, std::memcmp(job->Image().Data(), ref.Img.data(), ref.Img.size()));
    ref.CountBlobs();
    job->SaveBackup();
    job->CountBlobs();
    EXPECT_EQ(job->DotSum(), ref.DotSum);
    EXPECT_EQ(job->TotalArea(), ref.TotalArea);
    for (int32_t i = 0; i < job->Image().Size(); ++i)
      ASSERT_EQ(job->Image().Data()[i], background);  // counting erased every blob
    job->RestoreBackup();
    ASSERT_EQ(0, std::memcmp(job->Image().Data(), ref.Img.data(), ref.Img.size()));
  }
}

// Diagonal joins, gray weights and scan order are covered by the reference comparison above.
TEST(Extraction, CentroidSumsOfAHugeBlobDoNotOverflow) {
  // 4000 x 400 pixels of weight 255: the weighted column sum is about 8e11.
  auto image = Blank(4002, 402, 0);
  image->FillRect(255, 1, 1, 4000, 400);
  auto job = Job(std::move(image), true);
  Extract(*job, 0);
  ASSERT_EQ(job->DotSum(), 1);
  EXPECT_EQ(job->DotInfo()[0].x, 2000.5f);
  EXPECT_EQ(job->DotInfo()[0].y, 200.5f);
  EXPECT_EQ(job->DotInfo()[0].Area, 1600000);
  // The same blob through the public fill: an explicit stack, no deep recursion.
  job->CentroidFill(2000, 200);
  EXPECT_EQ(TEncodeProbe::Area(*job), 1600000);
  EXPECT_EQ(TEncodeProbe::SumX(*job), int64_t{255} * 400 * (4000 * 4001 / 2));
}

TEST(Extraction, PaintingShowsTheErasedBlobsThenThePicture) {
  auto image = Blank(30, 20, 0);
  image->FillRect(255, 0, 3, 4, 6);      // border blob
  image->FillRect(255, 10, 10, 12, 12);  // dot
  image->FillRect(255, 20, 10, 20, 10);  // noise
  auto job = Job(std::move(image), true, 50, true);
  TRgbSurface screen(30, 20, TColor{1, 2, 3});
  job->PrepareImage(&screen);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 30; ++x) {
      const bool blob = (x <= 4 && y >= 3 && y <= 6) ||
                        (x >= 10 && x <= 12 && y >= 10 && y <= 12) || (x == 20 && y == 10);
      ASSERT_EQ(screen.Pixel(x, y), blob ? GrayColor(0) : (TColor{1, 2, 3})) << x << "," << y;
    }
  job->SetAreaThreshold(2);
  job->RemoveNoise(&screen);
  job->BuildDotInfo(&screen);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 30; ++x)
      ASSERT_EQ(screen.Pixel(x, y), GrayColor(job->Image().GetPixel(x, y)));
  EXPECT_EQ(screen.Pixel(11, 11), GrayColor(255));
  EXPECT_EQ(screen.Pixel(20, 10), GrayColor(0));
}

TEST(Extraction, StepsSeeChangesBetweenThemAndTheirFailuresAreReported) {
  auto blank = Job(Blank(30, 30, 0), true);
  // No copy of the picture until one is asked for.
  EXPECT_EQ(ErrorOf([&] { blank->RestoreBackup(); }), "Have not  allocated memory for BackupImage");
  blank->PrepareImage(nullptr);
  EXPECT_EQ(blank->AreaThreshold(), 0);  // no blob: no division by zero
  EXPECT_EQ(ErrorOf([&] { blank->RemoveNoise(nullptr); }),
            "No dots in this image\nmay be you should give a small noise threshold");

  auto image = Blank(30, 20, 0);
  image->FillRect(255, 5, 5, 7, 7);
  auto job = Job(std::move(image), true);
  job->SetAreaThreshold(1);
  TEncodeProbe::Image(*job).FillRect(255, 15, 5, 17, 7);
  // Without RemoveNoise no blob was counted.
  EXPECT_EQ(ErrorOf([&] { job->BuildDotInfo(nullptr); }),
            "May be some dots are error, because FDotIndex > FDotSum");
  EXPECT_EQ(job->Image().GetPixel(16, 6), 255);  // the picture survives

  job->PrepareImage(nullptr);
  TEncodeProbe::Image(*job).FillRect(255, 15, 12, 17,
                                     14);  // a dot drawn by hand after the first step
  job->SetAreaThreshold(1);
  job->RemoveNoise(nullptr);
  job->BuildDotInfo(nullptr);
  ASSERT_EQ(job->DotSum(), 3);
  EXPECT_EQ(job->DotInfo()[2].y, 13.0f);
}

namespace {

// Two inner blobs of 100 pixels and one touching the border, saved as a.bmp in dir.
std::string TwoDotsAndABorderBlob(const TTempDir& dir) {
  auto image = Blank(100, 40, 0);
  image->FillRect(255, 10, 10, 19, 19);  // 100
  image->FillRect(255, 30, 10, 39, 19);  // 100
  image->FillRect(255, 0, 30, 50, 39);   // border blob, not counted
  image->SaveBmp(dir.File("a.bmp"));
  return dir.File("a.bmp");
}

}  // namespace

TEST(Extraction, AutoLeastAreaIsTwoThirdsOfTheMeanInnerBlob) {
  TTempDir dir;
  const std::string file = TwoDotsAndABorderBlob(dir);
  EXPECT_EQ(TEncode::AutoLeastArea(file, true), 66);
  EXPECT_EQ(TEncode::AutoLeastArea(file, false), 0);  // wrong colour: all border
}

TEST(Extraction, NewJobRefusesATableItCannotHaveOrNoPicture) {
  TTempDir dir;
  TwoDotsAndABorderBlob(dir);
  EXPECT_EQ(ErrorOf([&] { TEncode bad(dir.File("a.bmp"), true, false, -1, 50); }),
            "No enough memory to allocate Coordinate System");
  EXPECT_EQ(ErrorOf([] { TEncode none(std::unique_ptr<TGrayImage>(), true, false, 1, 1); }),
            "Can not open Encode image file");
}

// The labelling is reused while the picture keeps its fingerprint, so a change of one pixel,
// in the last partial word too, must change it; so must a change of two words.
TEST(Extraction, FingerprintChangesWithAnyOnePixel) {
  std::mt19937 rng(5);
  for (size_t size : {size_t{1}, size_t{31}, size_t{64}, size_t{1003}}) {
    std::vector<uint8_t> pixels(size);
    for (uint8_t& p : pixels) p = static_cast<uint8_t>(rng());
    const uint64_t print = PixelFingerprint(pixels.data(), size);
    for (size_t i = 0; i < size; ++i) {
      pixels[i] ^= 1;
      ASSERT_NE(PixelFingerprint(pixels.data(), size), print) << size << " at " << i;
      if (i + 40 < size) {
        pixels[i + 40] ^= 0x80;
        ASSERT_NE(PixelFingerprint(pixels.data(), size), print) << size << " at " << i;
        pixels[i + 40] ^= 0x80;
      }
      pixels[i] ^= 1;
    }
    EXPECT_EQ(PixelFingerprint(pixels.data(), size), print);
  }
}
