#pragma once
// Helpers shared by the fuzz targets: parameters taken from the front of an input, a private
// scratch folder, and the one way a target reports a fault.
#include <stdlib.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

// A fault found by a target: the message on stderr, then abort, which libFuzzer and the replay
// test both report as a failure with the input that caused it.
[[noreturn]] inline void FuzzFail(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline void FuzzFail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::fputs("fuzz target fault: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  va_end(args);
  abort();
}

// Reads parameters from the front of the input; past its end every value is the lowest allowed,
// so a short input is a valid small case rather than an early return.
class TFuzzInput {
 public:
  TFuzzInput(const uint8_t* data, size_t size) : FData(data), FSize(size) {}

  uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
  bool Bit() { return (Byte() & 1) != 0; }
  // A value in lo..hi (inclusive, lo <= hi), from as many bytes as the range needs.
  int32_t Int(int32_t lo, int32_t hi) {
    const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
    uint64_t v = 0;
    for (uint64_t reach = 1; reach < span; reach <<= 8) v = (v << 8) | Byte();
    return static_cast<int32_t>(lo + static_cast<int64_t>(v % span));
  }
  size_t Remaining() const { return FSize - FPos; }
  const uint8_t* Rest() const { return FData + FPos; }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

// A private folder on a memory file system where there is one: the writers flush every file to
// disk, which would dominate the run time on a real disk. Removed with its files at exit.
class TFuzzScratch {
 public:
  explicit TFuzzScratch(const char* name) {
    const char* const bases[] = {"/dev/shm", getenv("TMPDIR"), "/tmp"};
    for (const char* base : bases) {
      if (base == nullptr) continue;
      std::string dir = std::string(base) + "/fuzz-" + name + "-XXXXXX";
      if (mkdtemp(dir.data()) != nullptr) {
        FDir = dir;
        break;
      }
    }
    if (FDir.empty()) FuzzFail("no scratch folder");
  }
  ~TFuzzScratch() {
    for (const std::string& file : FFiles) unlink(file.c_str());
    rmdir(FDir.c_str());
  }
  TFuzzScratch(const TFuzzScratch&) = delete;
  TFuzzScratch& operator=(const TFuzzScratch&) = delete;

  // The path of a file in the folder, removed at exit.
  std::string File(const std::string& name) {
    std::string path = FDir + "/" + name;
    FFiles.insert(path);
    return path;
  }

  static void Put(const std::string& path, const void* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) FuzzFail("cannot create %s", path.c_str());
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
      FuzzFail("cannot write %s", path.c_str());
    if (std::fclose(file) != 0) FuzzFail("cannot close %s", path.c_str());
  }

 private:
  std::string FDir;
  std::set<std::string> FFiles;
};
