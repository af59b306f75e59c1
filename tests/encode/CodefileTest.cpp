#include <gtest/gtest.h>

#include "EncodeTestSupport.h"
#include "support/TempDir.h"

using namespace enctest;

namespace {

std::unique_ptr<TEncode> EncodedFromFile(const TTempDir& dir) {
  auto image = Blank(64, 48, 255);
  for (auto [x, y] : {std::pair{10, 10}, {20, 10}, {10, 20}})
    image->FillRect(0, x - 1, y - 1, x + 1, y + 1);
  image->SaveBmp(dir.File("grid0.bmp"));
  auto job = std::make_unique<TEncode>(dir.File("grid0.bmp"), false, false, 50, 50);
  job->FDelay = 0;
  Extract(*job, 0);
  job->Encode(job->FindOrigin(2));
  return job;
}

}  // namespace

// A file that cannot be created: tests/reliability/FailedSaveTest.cpp.
TEST(CodeFile, SmallEncodingIsWrittenByteForByte) {
  TTempDir dir;
  auto job = EncodedFromFile(dir);
  job->FScaleX = 0.5f;
  job->FScaleY = 2.0f;
  job->SaveCodes(dir.File("grid0.cod"));
  EXPECT_EQ(job->FCodedSum, 3);
  EXPECT_EQ(ReadFileBytes(dir.File("grid0.cod")),
            "VRKT-FS\r\n"
            "3 64 48\r\n"
            "50  50  0.500000  2.000000  255\r\n"
            "  0     10.000    10.000     0    0    9\r\n"
            "  1     20.000    10.000     1    0    9\r\n"
            "  2     10.000    20.000     0   -1    9\r\n"
            "grid0.bmp\r\n");
  // A dot that is not Coded leaves a gap; Neted plays no part.
  job->FDotInfo[1].Coded = false;
  job->FDotInfo[2].Neted = false;
  job->SaveCodes(dir.File("grid0.cod"));
  EXPECT_EQ(ReadFileBytes(dir.File("grid0.cod")),
            "VRKT-FS\r\n"
            "2 64 48\r\n"
            "50  50  0.500000  2.000000  255\r\n"
            "  0     10.000    10.000     0    0    9\r\n"
            "  2     10.000    20.000     0   -1    9\r\n"
            "grid0.bmp\r\n");
  for (int32_t i = 0; i < job->FDotSum; ++i) job->FDotInfo[i].Coded = false;
  job->SaveCodes(dir.File("none.cod"));
  EXPECT_EQ(job->FCodedSum, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("none.cod")),
            "VRKT-FS\r\n0 64 48\r\n50  50  0.500000  2.000000  255\r\ngrid0.bmp\r\n");
}

TEST(CodeFile, WideValuesWidenTheirFields) {
  TTempDir dir;
  auto job = EncodedFromFile(dir);
  job->FDotInfo.resize(1001);
  job->FDotSum = 1001;
  for (TDotInfo& d : job->FDotInfo) d.Coded = false;
  TDotInfo& a = job->FDotInfo[2];
  a = TDotInfo{};
  a.x = 5.0f;
  a.y = 1234.5678f;
  a.Nx = -10;
  a.Ny = -100;
  a.Area = 1000;
  a.Coded = true;
  TDotInfo& b = job->FDotInfo[1000];
  b.x = 12345.25f;
  b.y = -0.5f;
  b.Nx = 7;
  b.Ny = 0;
  b.Area = 12;
  b.Coded = true;
  job->SaveCodes(dir.File("wide.cod"));
  EXPECT_EQ(ReadFileBytes(dir.File("wide.cod")),
            "VRKT-FS\r\n"
            "2 64 48\r\n"
            "50  50  1.000000  1.000000  255\r\n"
            "  2      5.000  1234.568   -10  -100  1000\r\n"
            "1000   12345.250    -0.500     7    0   12\r\n"
            "grid0.bmp\r\n");
}
