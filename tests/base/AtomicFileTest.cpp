#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "support/Checks.h"
#include "support/TempDir.h"

TEST(AtomicFile, ReplacesTheTargetOnlyWhenCommittedAndLeavesNoTemporary) {
  TTempDir dir;
  const std::string target = dir.File("out.txt");
  WriteFileBytes(target, "old contents");
  {
    TAtomicFile file(target);
    ASSERT_TRUE(file.Open());
    file.Printf("%d %s\r\n", 3, "new");
    EXPECT_EQ(ReadFileBytes(target), "old contents");
    file.Commit();
  }
  EXPECT_EQ(ReadFileBytes(target), "3 new\r\n");
  {
    TAtomicFile abandoned(target);
    ASSERT_TRUE(abandoned.Open());
    abandoned.Write(std::string(3 << 20, 'x'));  // larger than the buffer: bytes reach the disk
  }
  EXPECT_EQ(ReadFileBytes(target), "3 new\r\n");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"out.txt"});

  TAtomicFile missing(dir.File("no/such/dir/out.txt"));
  EXPECT_FALSE(missing.Open());
  EXPECT_EQ(missing.ErrorText(), "No such file or directory");
  EXPECT_FALSE(TAtomicFile(dir.Path()).Open());  // a directory is not replaced
}

TEST(AtomicFile, WriteFailureHalfWayIsReportedAndKeepsThePreviousFile) {
  TTempDir dir;
  const std::string target = dir.File("big.dat");
  WriteFileBytes(target, "previous");
  // With a 64 KiB file size limit a write of 4 MiB fails with EFBIG.
  const int status = RunWithFileSizeLimit(65536, [&] {
    TAtomicFile file(target);
    if (!file.Open()) return 3;
    file.Write(std::string(4 << 20, 'y'));
    const std::string message = ErrorOf([&] { file.Commit(); });
    return message.find("big.dat") != std::string::npos ? 0 : 4;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFileBytes(target), "previous");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"big.dat"});
}
