#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "support/Checks.h"
#include "support/TempDir.h"

TEST(AtomicFile, ReplacesTheTargetOnlyWhenComplete) {
  TTempDir dir;
  std::string target = dir.File("out.txt");
  WriteFileBytes(target, "old contents");
  {
    TAtomicFile file(target);
    ASSERT_TRUE(file.Open());
    file.Printf("%d %s\r\n", 3, "new");
    EXPECT_EQ(ReadFileBytes(target), "old contents");  // nothing visible before Commit
    file.Commit();
  }
  EXPECT_EQ(ReadFileBytes(target), "3 new\r\n");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFile, AbandonedWriteLeavesPreviousFileAndNoTemporary) {
  TTempDir dir;
  std::string target = dir.File("out.txt");
  WriteFileBytes(target, "keep me");
  {
    TAtomicFile file(target);
    ASSERT_TRUE(file.Open());
    file.Write(std::string(3 << 20, 'x'));  // larger than the buffer, so bytes reach the disk
  }
  EXPECT_EQ(ReadFileBytes(target), "keep me");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFile, MissingOrReadOnlyDirectoryCannotBeCreated) {
  TTempDir dir;
  TAtomicFile missing(dir.File("no/such/dir/out.txt"));
  EXPECT_FALSE(missing.Open());
  EXPECT_EQ(missing.ErrorText(), "No such file or directory");
  if (::geteuid() != 0) {  // root may write anywhere
    std::string readOnly = dir.File("ro");
    ASSERT_EQ(::mkdir(readOnly.c_str(), 0555), 0);
    TAtomicFile file(readOnly + "/out.txt");
    EXPECT_FALSE(file.Open());
  }
  EXPECT_FALSE(TAtomicFile(dir.Path()).Open());  // a directory is not replaced
}

TEST(AtomicFile, WriteFailureHalfWayIsReportedAndKeepsThePreviousFile) {
  TTempDir dir;
  std::string target = dir.File("big.dat");
  WriteFileBytes(target, "previous");
  // With a 64 KiB file size limit a write of 4 MiB fails with EFBIG.
  int status = RunWithFileSizeLimit(65536, [&] {
    TAtomicFile file(target);
    if (!file.Open()) return 3;
    file.Write(std::string(4 << 20, 'y'));
    std::string message = ErrorOf([&] { file.Commit(); });
    return message.find("big.dat") != std::string::npos ? 0 : 4;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFileBytes(target), "previous");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"big.dat"});
}
