// Input files are read as one consistent set of bytes: a file that changes between opening and
// the end of reading is refused, never returned half old, half new.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "base/Error.h"
#include "base/Readfile.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

std::string Text(const TFileBytes& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.begin()), bytes.Size);
}

}  // namespace

TEST(ReadFile, ReadsRegularFilesPipesAndNamesThatAreNotUtf8) {
  TTempDir dir;
  const std::string odd = dir.File("caf\xE9-\xFF.bin");  // Latin-1 bytes, invalid as UTF-8
  WriteFileBytes(odd, std::string("abc\0def", 7));
  EXPECT_EQ(Text(ReadWholeFile(odd)), std::string("abc\0def", 7));

  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string big(300000, 'x');  // several pipe buffers
  std::thread writer([&] { WriteFileBytes(fifo, big); });
  const TFileBytes piped = ReadWholeFile(fifo);
  writer.join();
  EXPECT_EQ(Text(piped), big);

  EXPECT_NE(ErrorOf([&] { ReadWholeFile(dir.File("missing")); }).find("No such file"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadWholeFile(dir.Path()); }).find("Is a directory"), std::string::npos);
}

TEST(ReadFile, FileChangedWhileReadIsRefused) {
  TTempDir dir;
  const std::string path = dir.File("p.bmp");
  const std::string changed =
      "\"" + path + "\" changed while it was read; try again when it is complete";
  WriteFileBytes(path, std::string(1000, 'a'));
  {  // grown
    const TReadFile file(path);
    std::FILE* f = std::fopen(path.c_str(), "ab");
    std::fputs("more", f);
    std::fclose(f);
    EXPECT_EQ(ErrorOf([&] { file.ReadAll(); }), changed);
  }
  {  // cut short, then read block by block
    const TReadFile file(path);
    ASSERT_EQ(::truncate(path.c_str(), 10), 0);
    uint8_t block[100];
    EXPECT_EQ(ErrorOf([&] { file.ReadAt(500, sizeof block, block); }), changed);
  }
  {  // rewritten in place to the same size: the time stamps tell
    WriteFileBytes(path, std::string(1000, 'a'));
    const TReadFile file(path);
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "b", 1, 0), 1);
    const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::futimens(fd, later), 0);
    ::close(fd);
    EXPECT_EQ(ErrorOf([&] { file.ReadAll(); }), changed);
  }
  {  // untouched: read as it is
    const TReadFile file(path);
    EXPECT_EQ(Text(file.ReadAll()).substr(0, 2), "ba");
  }
}
