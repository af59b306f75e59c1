#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "base/Error.h"
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
  // A child process with a 64 KiB file size limit writes 4 MiB: the write fails with EFBIG.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {
      65536, 65536
    };
    ::setrlimit(RLIMIT_FSIZE, &limit);
    TAtomicFile file(target);
    if (!file.Open()) ::_exit(3);
    file.Write(std::string(4 << 20, 'y'));
    try {
      file.Commit();
    } catch (const TError& e) {
      bool named = std::string(e.what()).find("big.dat") != std::string::npos;
      ::_exit(named ? 0 : 4);
    }
    ::_exit(5);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(target), "previous");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"big.dat"});
}
