#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Filebytes.h"

// One input file opened for reading as it is now. The name is used as given (bytes, not UTF-8
// text), so every name the system can open is read. A regular file whose size or time stamps
// change while it is read is refused ("... changed while it was read"), so what was read is never
// a mix of an old and a new file: readers call CheckUnchanged() after their last read. Every
// failure raises TError naming the file.
class TReadFile {
 public:
  explicit TReadFile(std::string path);
  ~TReadFile();
  TReadFile(const TReadFile&) = delete;
  TReadFile& operator=(const TReadFile&) = delete;

  // A regular file has a known size; pipes and devices are read to their end by ReadAll.
  bool IsRegular() const { return S_ISREG(FInfo.st_mode); }
  int64_t Size() const { return static_cast<int64_t>(FInfo.st_size); }
  const std::string& Path() const { return FPath; }
  // What the file was when it was opened (device, inode, size, times).
  const struct stat& Status() const { return FInfo; }

  // Exactly size bytes of a regular file at offset; a file that turns out shorter has changed.
  void ReadAt(int64_t offset, size_t size, uint8_t* into) const;
  // The whole file (regular files: checked unchanged as well).
  TFileBytes ReadAll() const;
  void CheckUnchanged() const;

 private:
  std::string FPath;
  int FFd = -1;
  struct stat FInfo {};
};

// The whole file as it is now (TReadFile::ReadAll).
TFileBytes ReadWholeFile(const std::string& path);
