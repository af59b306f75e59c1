#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "EncodeTestSupport.h"
#include "base/Error.h"
#include "encode/Blobscan.h"
#include "encode/Encodedefaults.h"

using namespace enctest;

namespace {

void Disc(TGrayImage& image, int32_t cx, int32_t cy, int32_t r) {
  for (int32_t y = cy - r; y <= cy + r; ++y)
    for (int32_t x = cx - r; x <= cx + r; ++x)
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) image.SetPixel(x, y, 255);
}

// A photograph's troubles on a 10 x 10 grid of cells of 80 px: dots of about 800 and 1800 px,
// three dots merged into bars, 25 one-pixel specks and one 72-pixel smear in every cell.
std::unique_ptr<TGrayImage> Troubled() {
  auto image = Blank(800, 800, 0);
  for (int32_t j = 0; j < 10; ++j)
    for (int32_t i = 0; i < 10; ++i) {
      const int32_t x0 = 80 * i, y0 = 80 * j;
      if (i == 4 && j < 3)
        image->FillRect(255, x0 + 10, y0 + 25, x0 + 70, y0 + 55);
      else
        Disc(*image, x0 + 40, y0 + 40, (i + j) % 2 ? 24 : 16);
      for (int32_t a = 0; a < 5; ++a)
        for (int32_t b = 0; b < 5; ++b) image->SetPixel(x0 + 2 + 3 * a, y0 + 2 + 3 * b, 255);
      image->FillRect(255, x0 + 66, y0 + 66, x0 + 73, y0 + 74);
    }
  return image;
}

std::unique_ptr<TGrayImage> Clone(const TGrayImage& image) {
  auto c = Blank(image.Width(), image.Height(), 0);
  std::copy(image.Data(), image.Data() + image.Size(), c->Data());
  return c;
}

int32_t DotsLeft(int32_t leastArea) {
  auto job = Job(Troubled(), true);
  Extract(*job, leastArea);
  return job->DotSum();
}

}  // namespace

TEST(Defaults, RobustLeastAreaDropsSpecksAndSmearsThatTheMeanAreaKeeps) {
  auto job = Job(Troubled(), true);
  job->PrepareImage(nullptr);
  const int32_t mean = job->AreaThreshold();
  // The areas come from the job's own labelling: the same as a fresh scan of the prepared
  // picture, whose border blobs are gone.
  std::vector<int32_t> areas = job->LiveBlobAreas(), fresh;
  TBlobScan scan;
  scan.Scan(job->Image().Data(), job->Image().Width(), job->Image().Height(), job->Background());
  for (const TBlobScan::TBlob& b : scan.Blobs()) fresh.push_back(b.Area);
  std::sort(areas.begin(), areas.end());
  std::sort(fresh.begin(), fresh.end());
  EXPECT_EQ(areas, fresh);
  const int32_t robust = RobustLeastArea(*job);
  EXPECT_GT(robust, 72);
  EXPECT_LT(robust, 797);  // the smallest dot
  EXPECT_EQ(DotsLeft(robust), 100);
  // The Auto rule, two thirds of the mean, lets every smear in.
  EXPECT_LT(2 * mean / 3, 72);
  EXPECT_EQ(DotsLeft(2 * mean / 3), 200);
}

TEST(Defaults, LargestBlobIsTheBoundOfALeastAreaThatKeepsADot) {
  auto job = Job(Troubled(), true);
  job->PrepareImage(nullptr);
  const int32_t largest = LargestBlobArea(*job);
  EXPECT_GT(largest, 1800);  // a bar of three dots
  EXPECT_EQ(DotsLeft(largest), 3);
  EXPECT_THROW(DotsLeft(largest + 1), TError);  // nothing left: the noise threshold message
  auto empty = Job(Blank(40, 30, 0), true);
  empty->PrepareImage(nullptr);
  EXPECT_EQ(LargestBlobArea(*empty), 0);
}

TEST(Defaults, SegmentedPicturesAreToldFromCameraPictures) {
  auto image = Troubled();
  EXPECT_EQ(LookOfSegmentation(*image, true), TSegmentedLook::Segmented);
  EXPECT_EQ(LookOfSegmentation(*image, false), TSegmentedLook::OtherDots);
  // The same grid as a camera sees it: no pixel quite black.
  for (int32_t i = 0; i < image->Size(); ++i)
    image->Data()[i] = static_cast<uint8_t>(30 + image->Data()[i] / 2 + i % 7);
  EXPECT_EQ(LookOfSegmentation(*image, true), TSegmentedLook::Unsegmented);
  EXPECT_EQ(LookOfSegmentation(*image, false), TSegmentedLook::Unsegmented);
  EXPECT_EQ(LookOfSegmentation(TGrayImage(), true), TSegmentedLook::Unsegmented);
}

TEST(Defaults, AutoTableHoldsGridsWiderThanTheDefaultAndAReferenceOriginsOffset) {
  // 130 x 5 squares of 3 x 3 at pitch 10: the default table of +-50 is too small.
  auto image = Blank(1320, 80, 0);
  for (int32_t j = 0; j < 5; ++j)
    for (int32_t i = 0; i < 130; ++i)
      image->FillRect(255, 9 + 10 * i, 19 + 10 * j, 11 + 10 * i, 21 + 10 * j);
  auto fresh = [&] {
    auto job = Job(Clone(*image), true);
    Extract(*job, 0);
    return job;
  };
  auto probe = fresh();
  const int32_t o = probe->FindOrigin(2);
  ASSERT_GE(o, 0);
  const std::string tooSmall = ErrorOf([&] { probe->Encode(o); });
  EXPECT_NE(tooSmall.find("not in the range"), std::string::npos) << tooSmall;
  for (int32_t offset : {0, 300}) {
    auto job = fresh();
    const TTableSize size = AutoTableSize(*job, offset, -offset);
    EXPECT_GE(size.MaxNx, 65 + offset);
    EXPECT_LE(size.MaxNx, 200 + offset);  // sized from the dots, not from anything larger
    ResizeTable(*job, size);
    // The origin and neighbours the automatic search found, given the indices of a reference.
    ASSERT_EQ(job->SetOrigin(o, probe->DotInfo()[o].Neighbour, offset, -offset), o);
    EXPECT_EQ(ErrorOf([&] { job->Encode(o); }), "(no error)");
    EXPECT_EQ(job->FirstUnNeted(), -1) << "every dot expanded";
    EXPECT_EQ(job->Coordinate().MaxNx(), size.MaxNx);
  }
}
