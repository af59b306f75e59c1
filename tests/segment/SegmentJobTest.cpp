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
  auto job = MakeJob(w, h, Pattern);
  job->SaveResult(dir.File(name));
  return dir.File(name);
}

}  // namespace

TEST(SegmentJob, NewJobLoadsTheBitmapWithDefaults) {
  TTempDir dir;
  const std::string file = SaveImage(dir, "grid.bmp", 640, 6);
  TSegment job(file, true);
  EXPECT_EQ(job.Width(), 640);
  EXPECT_EQ(job.Height(), 6);
  EXPECT_EQ(job.FWinSizeX, 160);
  EXPECT_EQ(job.FWinSizeY, 160);
  EXPECT_TRUE(job.FWhiteDots);
  EXPECT_TRUE(job.FShowProgress);
  EXPECT_EQ(job.FAdjust, 0);
  EXPECT_EQ(job.WinNumX(), 0);
  EXPECT_EQ(job.Image().FileName(), file);
  EXPECT_EQ(job.Image().GetPixel(639, 5), Pattern(639, 5));
  EXPECT_EQ(TSegment(SaveImage(dir, "b.bmp", 700, 2), false).FWinSizeX, 175);

  EXPECT_EQ(ErrorOf([&] { TSegment missing(dir.File("none.bmp"), true); }),
            dir.File("none.bmp") + ": not exists");
  // The file is always read as a bitmap, whatever its name says.
  auto raw = MakeJob(4, 4, Pattern);
  raw->SaveResult(dir.File("plain.raw"));
  EXPECT_NE(ErrorOf([&] { TSegment notBitmap(dir.File("plain.raw"), true); }), "(no error)");
}

TEST(SegmentJob, SaveResultWritesTheSegmentedImageByExtension) {
  TTempDir dir;
  auto job = MakeJob(31, 17, Pattern);
  job->SimpleSegment(nullptr, 100);
  job->SaveResult(dir.File("out.BMP"));
  job->SaveResult(dir.File("out.raw"));
  EXPECT_EQ(ErrorOf([&] { job->SaveResult(dir.File("out.tif")); }),
            "only support raw and bmp files");
  EXPECT_EQ(ReadFileBytes(dir.File("out.raw")),
            std::string(job->Image().Data(), job->Image().Data() + 31 * 17));
  TSegment again(dir.File("out.BMP"), false);
  EXPECT_EQ(Pixels(again.Image()), Pixels(job->Image()));
  EXPECT_EQ(ListDirectory(dir.Path()), (std::vector<std::string>{"out.BMP", "out.raw"}));
}

TEST(SegmentJob, ReloadRestoresThePictureSoRepeatedSimpleRunsDependOnlyOnTheLast) {
  TTempDir dir;
  const std::string file = SaveImage(dir, "grid.bmp", 50, 40);
  TSegment job(file, false);
  job.SimpleSegment(nullptr, 90);
  job.ReloadImage(file);
  job.SimpleSegment(nullptr, 160);
  TSegment once(file, false);
  once.SimpleSegment(nullptr, 160);
  EXPECT_EQ(Pixels(job.Image()), Pixels(once.Image()));

  // Multi-area runs do not reload: a second run works on the segmented picture.
  job.ReloadImage(file);
  job.FWinSizeX = job.FWinSizeY = 10;
  job.MultiAreaSegment(false, nullptr);
  const auto first = Pixels(job.Image());
  job.ReloadImage(file);
  job.MultiAreaSegment(false, nullptr);
  EXPECT_EQ(Pixels(job.Image()), first);
}

TEST(SegmentJob, ReloadFollowsAPictureOfAnotherSize) {
  TTempDir dir;
  const std::string file = SaveImage(dir, "grid.bmp", 60, 40);
  TSegment job(file, false);
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
  EXPECT_EQ(job->Image().GetPixel(0, 0), 0);
  EXPECT_EQ(job->Image().GetPixel(1, 0), 128);
  EXPECT_EQ(job->Image().GetPixel(0, 1), 128);

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
