#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes a file so that a failed save never destroys the previous one: everything goes into a
// temporary file beside the target, which is flushed to disk and renamed over the target only
// when the last byte was written without error. A writer that is destroyed without Commit
// removes its temporary file.
class TAtomicFile {
 public:
  explicit TAtomicFile(std::string path);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // Creates the temporary file; false when the target cannot be created or replaced (a missing
  // or read-only directory, a read-only target). ErrorText() then says why.
  bool Open();
  // Open, raising TError with the platform-style "Cannot create file" text when it fails.
  void OpenOrRaise();
  void Write(const void* data, size_t size);
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Finishes the file; raises TError naming the path and the cause if any write failed.
  void Commit();

  const std::string& Path() const { return FPath; }
  const std::string& ErrorText() const { return FErrorText; }

 private:
  void FlushBuffer();
  void Fail(int error);
  void Discard();

  std::string FPath;
  std::string FTempPath;
  int FHandle = -1;
  int FError = 0;
  std::string FErrorText;
  std::vector<char> FBuffer;
  size_t FUsed = 0;
};

// Platform-style texts for file failures, naming the file and the system's reason.
std::string CannotCreateText(const std::string& path, int error);
std::string CannotOpenText(const std::string& path, int error);
std::string CannotWriteText(const std::string& path, int error);
std::string CannotReadText(const std::string& path, int error);
