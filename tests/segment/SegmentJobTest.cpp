// The job's life: creation from a file, saving and reloading, and the Modify rectangle.
#include <gtest/gtest.h>

#include "SegmentTestSupport.h"
#include "base/Error.h"
#include "segment/Segment.h"
#include "support/TempDir.h"

namespace {

uint8_t Pattern(int32_t x, int32_t y) {
  return static_cast<uint8_t>((x * 37 + y * 11) % 256);
}

std::string SaveImage(const TTempDir& dir, const std::string& name, int32_t w, int32_t h) {
  MakeJob(w, h, Pattern)->SaveResult(dir.File(name));
  return dir.File(name);
}

}  // namespace

TEST(SegmentJob, NewJobReadsAnyFileAsABitmapWithWindowsOfAQuarterOfTheWidth) {
  TTempDir dir;
  const std::string file = SaveImage(dir, "grid.bmp", 640, 6);
  TSegment job(file, true);
  EXPECT_EQ(job.Height(), 6);
  EXPECT_EQ(job.FWinSizeX, 160);
  EXPECT_EQ(job.FWinSizeY, 160);
  EXPECT_EQ(job.Image().GetPixel(639, 5), Pattern(639, 5));
  EXPECT_EQ(TSegment(SaveImage(dir, "b.bmp", 700, 2), false).FWinSizeX, 175);
  SaveImage(dir, "plain.raw", 4, 4);
  EXPECT_NE(ErrorOf([&] { TSegment notBitmap(dir.File("plain.raw"), true); }), "(no error)");
}

TEST(SegmentJob, ReloadRestoresThePictureAndFollowsAChangeOfSize) {
  TTempDir dir;
  const std::string file = SaveImage(dir, "grid.bmp", 60, 40);
  TSegment job(file, false);
  job.SimpleSegment(nullptr, 90);
  job.SaveResult(dir.File("out.bmp"));
  EXPECT_EQ(Pixels(TSegment(dir.File("out.bmp"), false).Image()), Pixels(job.Image()));
  // Repeated simple runs depend only on the last threshold.
  job.ReloadImage(file);
  job.SimpleSegment(nullptr, 160);
  TSegment once(file, false);
  once.SimpleSegment(nullptr, 160);
  EXPECT_EQ(Pixels(job.Image()), Pixels(once.Image()));

  job.FWinSizeX = job.FWinSizeY = 10;
  job.MultiAreaSegment(false, nullptr);
  SaveImage(dir, "grid.bmp", 30, 24);  // the file was replaced by a smaller picture
  job.ReloadImage(file);
  EXPECT_EQ(job.Width(), 30);
  EXPECT_EQ(job.Height(), 24);
  EXPECT_EQ(job.WinNumX(), 0);  // the old lattice is gone
  job.MultiAreaSegment(false, nullptr);
  EXPECT_EQ(job.WinNumX(), 3);

  // A failed reload keeps a consistent job.
  EXPECT_NE(ErrorOf([&] { job.ReloadImage(dir.File("gone.bmp")); }), "(no error)");
  EXPECT_EQ(job.Width(), job.Image().Width());
  job.SimpleSegment(nullptr, 10);
}

TEST(SegmentJob, ModifyFillsTheInclusiveRectangleWithTheBackgroundValue) {
  auto job = MakeJob(80, 70, [](int32_t, int32_t) -> uint8_t { return 128; });
  job->ModifyRect(true, 0, 0, 0, 0);  // the dialog's initial fields: exactly pixel (0, 0)
  EXPECT_EQ(job->Image().SumRect(0, 0, 1, 1), 3 * 128);
  EXPECT_EQ(job->Image().GetPixel(0, 0), 0);

  job->ModifyRect(false, 20, 40, 30, 20);  // dragged from (50, 40) to (20, 60)
  int32_t filled = 0;
  for (int32_t y = 0; y < 70; ++y)
    for (int32_t x = 0; x < 80; ++x)
      if (job->Image().GetPixel(x, y) == 255) {
        ++filled;
        EXPECT_TRUE(x >= 20 && x <= 50 && y >= 40 && y <= 60) << x << "," << y;
      }
  EXPECT_EQ(filled, 31 * 21);

  const auto before = Pixels(job->Image());
  job->ModifyRect(true, 10, 10, -1, 5);  // a negative offset is an empty rectangle
  EXPECT_EQ(Pixels(job->Image()), before);
  // Clipped to the image, and offsets far past the 32-bit range do not wrap around.
  job->ModifyRect(true, -5, 68, INT32_MAX, INT32_MAX);
  for (int32_t x = 0; x < 80; ++x) EXPECT_EQ(job->Image().GetPixel(x, 69), 0);
  job->ModifyRect(true, INT32_MAX, 0, INT32_MAX, 5);
  EXPECT_EQ(job->Image().GetPixel(79, 0), 128);
}

// The Re-Load of a segmentation job with a raw file: a short file gives a picture with a zero
// tail, which then segments like any other.
TEST(SegmentJob, ShortRawFileReloadsWithAZeroTailAndSegments) {
  TTempDir dir;
  auto picture = std::make_unique<TGrayImage>();
  picture->SetWidth(16);
  picture->SetHeight(8);
  picture->FillRect(200, 0, 0, 15, 7);
  TSegment job(std::move(picture), false);
  WriteFileBytes(dir.File("short.raw"), std::string(40, '\x64'));  // 2.5 rows of 100
  job.ReloadImage(dir.File("short.raw"));
  ASSERT_EQ(job.Width(), 16);
  ASSERT_EQ(job.Height(), 8);
  job.SimpleSegment(nullptr, 50);
  EXPECT_EQ(job.Image().GetPixel(7, 2), 100);
  EXPECT_EQ(job.Image().GetPixel(8, 2), 0);  // not in the file: 0, and 0 stays background
  job.FWinSizeX = job.FWinSizeY = 4;
  job.MultiAreaSegment(false, nullptr);
  EXPECT_EQ(job.Image().GetPixel(15, 7), 0);
}
