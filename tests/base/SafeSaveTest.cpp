// What a save replaces: pipes and devices are written through, links followed, permissions and
// owner kept, any legal name saved, temporary files removed on signals and after a killed run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/SaveGroup.h"
#include "base/TempFiles.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

void Save(const std::string& path, const std::string& text) {
  TAtomicFile file(path);
  if (!file.Open()) throw TError(file.ErrorText());
  file.Write(text);
  file.Commit();
}

struct stat Stat(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

// A process that has certainly ended: a child that was reaped.
pid_t DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

}  // namespace

TEST(SafeSave, NamedPipeIsWrittenThroughAndStaysAPipe) {
  TTempDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFileBytes(fifo); });
  Save(fifo, "through the pipe\r\n");
  reader.join();
  EXPECT_EQ(received, "through the pipe\r\n");
  EXPECT_TRUE(S_ISFIFO(Stat(fifo).st_mode));
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"pipe"});
}

TEST(SafeSave, DeviceNodeIsWrittenThroughAndStaysADevice) {
  TTempDir dir;
  const std::string node = dir.File("null");
  // A null device of our own, so the real /dev is never touched.
  if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
    GTEST_SKIP() << "no permission to create a device node";
  const int probe = ::open(node.c_str(), O_WRONLY);
  if (probe < 0) GTEST_SKIP() << "devices cannot be opened on this file system";
  ::close(probe);
  Save(node, "discarded");
  EXPECT_TRUE(S_ISCHR(Stat(node).st_mode));
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"null"});
}

TEST(SafeSave, SymbolicLinksAreFollowedAndStayLinks) {
  TTempDir dir;
  ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
  WriteFileBytes(dir.File("real/data.txt"), "old");
  ASSERT_EQ(::symlink("real/data.txt", dir.File("link").c_str()), 0);
  ASSERT_EQ(::symlink("link", dir.File("link2").c_str()), 0);  // a chain of two
  Save(dir.File("link2"), "new");
  EXPECT_TRUE(S_ISLNK(Stat(dir.File("link")).st_mode));
  EXPECT_TRUE(S_ISLNK(Stat(dir.File("link2")).st_mode));
  EXPECT_EQ(ReadFileBytes(dir.File("real/data.txt")), "new");
  // A link to a file that does not exist yet creates that file.
  ASSERT_EQ(::symlink("real/later.txt", dir.File("dangling").c_str()), 0);
  Save(dir.File("dangling"), "created");
  EXPECT_TRUE(S_ISLNK(Stat(dir.File("dangling")).st_mode));
  EXPECT_EQ(ReadFileBytes(dir.File("real/later.txt")), "created");
  EXPECT_EQ(ListDirectory(dir.File("real")), (std::vector<std::string>{"data.txt", "later.txt"}));
}

TEST(SafeSave, ReplacedFileKeepsPermissionsAndOwner) {
  TTempDir dir;
  for (mode_t mode : {0600, 0640, 0755}) {
    const std::string path = dir.File("kept");
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    Save(path, "new");
    EXPECT_EQ(Stat(path).st_mode & 07777, mode);
    EXPECT_EQ(ReadFileBytes(path), "new");
  }
  if (::geteuid() == 0) {  // only root may give a file away
    const std::string path = dir.File("owned");
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    Save(path, "new");
    EXPECT_EQ(Stat(path).st_uid, 4321u);
    EXPECT_EQ(Stat(path).st_gid, 4322u);
  }
}

TEST(SafeSave, LongestLegalNameIsSavedWithAShortTemporaryName) {
  TTempDir dir;
  for (size_t length : {247u, 255u}) {
    const std::string path = dir.File(std::string(length - 4, 'n') + ".cod");
    Save(path, "long");
    EXPECT_EQ(ReadFileBytes(path), "long");
    ::unlink(path.c_str());
  }
  EXPECT_TRUE(ListDirectory(dir.Path()).empty());
}

TEST(SafeSave, StaleTemporaryFilesOfDeadRunsAreRemovedOthersKept) {
  TTempDir dir;
  // Our own name for a temporary file, taken from a real one.
  std::string ours;
  const int handle = CreateTempFile(dir.Path(), 0600, ours);
  ASSERT_GE(handle, 0);
  ::close(handle);
  ::unlink(ours.c_str());
  const std::string name = ours.substr(ours.find_last_of('/') + 1);
  long pid = 0;
  bool thisMachine = false;
  ASSERT_TRUE(ParseTempName(name, pid, thisMachine));
  EXPECT_EQ(pid, ::getpid());
  EXPECT_TRUE(thisMachine);
  const std::string self = "-" + std::to_string(::getpid()) + "-";
  const std::string prefix = name.substr(0, name.find(self));
  const std::string dead = prefix + "-" + std::to_string(DeadPid()) + "-7.tmp";
  const std::string living = prefix + "-1-7.tmp";  // init never ends
  const std::string otherMachine = ".latticor-00000000-" + std::to_string(DeadPid()) + "-7.tmp";
  const std::string notOurs = "data.cod.~" + std::to_string(DeadPid()) + "-0";
  for (const std::string& n : {dead, living, otherMachine, notOurs})
    WriteFileBytes(dir.File(n), "x");
  EXPECT_FALSE(ParseTempName(notOurs, pid, thisMachine));

  Save(dir.File("out.cod"), "saved");
  std::vector<std::string> expected = {living, otherMachine, notOurs, "out.cod"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListDirectory(dir.Path()), expected);
}

namespace {
int Interrupting = 0;
}  // namespace

// While the file is written, and the moment it exists, before Open has returned.
TEST(SafeSave, InterruptingSignalsRemoveTheTemporaryFile) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP, -SIGTERM}) {
    TTempDir dir;
    const std::string target = dir.File("out.dat");
    WriteFileBytes(target, "previous");
    const pid_t child = ::fork();
    if (child == 0) {
      Interrupting = std::abs(sig);
      ::signal(Interrupting, SIG_DFL);
      if (sig < 0) TempFileCreatedHook = [] { ::raise(Interrupting); };
      TAtomicFile file(target);
      if (!file.Open()) ::_exit(3);
      file.Write(std::string(3 << 20, 'x'));  // beyond the buffer: the temporary file grows
      ::raise(sig);
      ::_exit(4);  // not reached: the signal ends the process
    }
    sig = std::abs(sig);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
    EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"out.dat"}) << sig;
    EXPECT_EQ(ReadFileBytes(target), "previous");
  }
}

TEST(SafeSave, GroupRenamesAllOrNothing) {
  TTempDir dir;
  WriteFileBytes(dir.File("a.txt"), "old a");
  {
    TSaveGroup group;
    Save(dir.File("a.txt"), "new a");
    EXPECT_EQ(ReadFileBytes(dir.File("a.txt")), "old a");  // held back
    EXPECT_THROW(Save(dir.File("missing/b.txt"), "new b"), TError);
  }  // the group ends without Commit: the first file stays as it was
  EXPECT_EQ(ReadFileBytes(dir.File("a.txt")), "old a");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"a.txt"});
  {
    TSaveGroup group;
    Save(dir.File("a.txt"), "new a");
    Save(dir.File("b.txt"), "new b");
    group.Commit();
    Save(dir.File("c.txt"), "after");  // the group no longer holds saves back
    EXPECT_EQ(ReadFileBytes(dir.File("c.txt")), "after");
  }
  EXPECT_EQ(ReadFileBytes(dir.File("a.txt")), "new a");
  EXPECT_EQ(ReadFileBytes(dir.File("b.txt")), "new b");
}

TEST(SafeSave, SaveProblemNamesWhyATargetCannotBeWritten) {
  TTempDir dir;
  WriteFileBytes(dir.File("file"), "x");
  EXPECT_EQ(SaveProblem(dir.File("new.dat")), 0);
  EXPECT_EQ(SaveProblem(dir.File("file")), 0);
  EXPECT_EQ(SaveProblem(dir.File("missing/x.dat")), ENOENT);
  EXPECT_EQ(SaveProblem(dir.File("file/x.dat")), ENOTDIR);
  EXPECT_EQ(SaveProblem(dir.Path()), EISDIR);
  EXPECT_EQ(SaveProblem(""), ENOENT);
}

// A writable file in a folder that takes no new file (one the user may not write; a sticky one
// where the file is someone else's) is updated in place, and an update that fails half-way puts
// the previous bytes back and leaves no copy behind.
TEST(SafeSave, WritableFileInAClosedFolderIsUpdatedInPlaceAndAFailureKeepsIt) {
  TTempDir dir;
  const bool root = ::geteuid() == 0;  // root writes every folder: the saves run as nobody
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  std::vector<std::string> folders = {"closed"};
  if (root) folders.push_back("sticky");  // only root can put someone else's file there
  for (const auto& [name, mode] : {std::pair{"closed", 0755}, {"sticky", 01777}, {"tmp", 0777}}) {
    ASSERT_EQ(::mkdir(dir.File(name).c_str(), 0700), 0);
    ASSERT_EQ(::chmod(dir.File(name).c_str(), static_cast<mode_t>(mode)), 0);
  }
  std::vector<ino_t> inodes;
  for (const std::string& folder : folders) {
    WriteFileBytes(dir.File(folder + "/data.cod"), "previous");
    ASSERT_EQ(::chmod(dir.File(folder + "/data.cod").c_str(), 0666), 0);
    inodes.push_back(Stat(dir.File(folder + "/data.cod")).st_ino);
  }
  if (!root) {
    ASSERT_EQ(::chmod(dir.File("closed").c_str(), 0555), 0);
  }
  const int status = RunWithFileSizeLimit(4096, [&] {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 99;
    ::setenv("TMPDIR", dir.File("tmp").c_str(), 1);
    for (size_t k = 0; k < folders.size(); ++k) {
      const std::string path = dir.File(folders[k] + "/data.cod");
      const int step = 10 * static_cast<int>(k);
      if (SaveProblem(path) != 0) return step + 1;
      if (ErrorOf([&] { Save(path, "new"); }) != "(no error)") return step + 2;
      if (ReadFileBytes(path) != "new") return step + 3;
      // Beyond the file size limit: the disk is full.
      if (ErrorOf([&] { Save(path, std::string(10000, 'x')); }).find("File too large") ==
          std::string::npos)
        return step + 4;
      if (ReadFileBytes(path) != "new") return step + 5;
      // In a group whose other file fails: put back too.
      ErrorOf([&] {
        TSaveGroup group;
        Save(path, "grouped");
        Save(dir.File("tmp/big"), std::string(10000, 'x'));
        group.Commit();
      });
      if (ReadFileBytes(path) != "new") return step + 6;
    }
    return 0;
  });
  EXPECT_EQ(status, 0);
  for (size_t k = 0; k < folders.size(); ++k)
    EXPECT_EQ(Stat(dir.File(folders[k] + "/data.cod")).st_ino, inodes[k]) << folders[k];
  EXPECT_EQ(ListDirectory(dir.File("tmp")), std::vector<std::string>{});
  EXPECT_EQ(ListDirectory(dir.File("closed")), std::vector<std::string>{"data.cod"});
  ::chmod(dir.File("closed").c_str(), 0755);
}
