#include <gtest/gtest.h>

#include "EncodeTestSupport.h"
#include "support/Encodeprobe.h"
#include "support/TempDir.h"

using namespace enctest;

namespace {

std::unique_ptr<TEncode> EncodedFromFile(const TTempDir& dir) {
  auto image = Blank(64, 48, 255);
  for (auto [x, y] : {std::pair{10, 10}, {20, 10}, {10, 20}})
    image->FillRect(0, x - 1, y - 1, x + 1, y + 1);
  image->SaveBmp(dir.File("grid0.bmp"));
  auto job = std::make_unique<TEncode>(dir.File("grid0.bmp"), false, false, 50, 50);
  job->SetDelay(0);
  Extract(*job, 0);
  job->Encode(job->FindOrigin(2));
  return job;
}

}  // namespace

// A file that cannot be created: tests/reliability/FailedSaveTest.cpp.
TEST(CodeFile, SmallEncodingIsWrittenByteForByte) {
  TTempDir dir;
  auto job = EncodedFromFile(dir);
  job->SetScale(0.5f, 2.0f);
  job->SaveCodes(dir.File("grid0.cod"));
  EXPECT_EQ(ReadFileBytes(dir.File("grid0.cod")),
            "VRKT-FS\r\n"
            "3 64 48\r\n"
            "50  50  0.500000  2.000000  255\r\n"
            "  0     10.000    10.000     0    0    9\r\n"
            "  1     20.000    10.000     1    0    9\r\n"
            "  2     10.000    20.000     0   -1    9\r\n"
            "grid0.bmp\r\n");
  // A dot that is not Coded leaves a gap; Neted plays no part.
  TEncodeProbe::Dots(*job)[1].Coded = false;
  TEncodeProbe::Dots(*job)[2].Neted = false;
  job->SaveCodes(dir.File("grid0.cod"));
  EXPECT_EQ(ReadFileBytes(dir.File("grid0.cod")),
            "VRKT-FS\r\n"
            "2 64 48\r\n"
            "50  50  0.500000  2.000000  255\r\n"
            "  0     10.000    10.000     0    0    9\r\n"
            "  2     10.000    20.000     0   -1    9\r\n"
            "grid0.bmp\r\n");
  for (int32_t i = 0; i < job->DotSum(); ++i) TEncodeProbe::Dots(*job)[i].Coded = false;
  job->SaveCodes(dir.File("none.cod"));
  EXPECT_EQ(ReadFileBytes(dir.File("none.cod")),
            "VRKT-FS\r\n0 64 48\r\n50  50  0.500000  2.000000  255\r\ngrid0.bmp\r\n");
}

TEST(CodeFile, WideValuesWidenTheirFields) {
  TTempDir dir;
  auto job = EncodedFromFile(dir);
  job->ReplaceDots(std::vector<TDotInfo>(1001));
  auto set = [&](int32_t i, float x, float y, int32_t nx, int32_t ny, int32_t area) {
    TDotInfo& d = TEncodeProbe::Dots(*job)[i];
    d.x = x, d.y = y, d.Nx = nx, d.Ny = ny, d.Area = area, d.Coded = true;
  };
  set(2, 5.0f, 1234.5678f, -10, -100, 1000);
  set(1000, 12345.25f, -0.5f, 7, 0, 12);
  job->SaveCodes(dir.File("wide.cod"));
  EXPECT_EQ(ReadFileBytes(dir.File("wide.cod")),
            "VRKT-FS\r\n"
            "2 64 48\r\n"
            "50  50  1.000000  1.000000  255\r\n"
            "  2      5.000  1234.568   -10  -100  1000\r\n"
            "1000   12345.250    -0.500     7    0   12\r\n"
            "grid0.bmp\r\n");
}
