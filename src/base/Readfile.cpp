#include "base/Readfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "base/AtomicFile.h"
#include "base/Error.h"

namespace {

std::unique_ptr<uint8_t[]> Allocate(size_t size, const std::string& path) {
  try {
    return std::make_unique_for_overwrite<uint8_t[]>(size == 0 ? 1 : size);
  } catch (const std::bad_alloc&) {
    throw TError("Not enough memory to read \"" + path + "\" (" + std::to_string(size) + " bytes)");
  }
}

[[noreturn]] void Changed(const std::string& path) {
  throw TError("\"" + path + "\" changed while it was read; try again when it is complete");
}

}  // namespace

TReadFile::TReadFile(std::string path) : FPath(std::move(path)) {
  FFd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (FFd < 0) throw TError(CannotOpenText(FPath, errno));
  if (::fstat(FFd, &FInfo) != 0 || S_ISDIR(FInfo.st_mode)) {
    const int error = S_ISDIR(FInfo.st_mode) ? EISDIR : errno;
    ::close(FFd);
    throw TError(CannotReadText(FPath, error));
  }
}

TReadFile::~TReadFile() {
  if (FFd >= 0) ::close(FFd);
}

void TReadFile::ReadAt(int64_t offset, size_t size, uint8_t* into) const {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::pread(FFd, into + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw TError(CannotReadText(FPath, errno));
    }
    if (n == 0) Changed(FPath);
    got += static_cast<size_t>(n);
  }
}

void TReadFile::CheckUnchanged() const {
  if (!IsRegular()) return;
  struct stat now {};
  if (::fstat(FFd, &now) != 0) throw TError(CannotReadText(FPath, errno));
  const bool same =
      now.st_ino == FInfo.st_ino && now.st_size == FInfo.st_size &&
      now.st_mtim.tv_sec == FInfo.st_mtim.tv_sec && now.st_mtim.tv_nsec == FInfo.st_mtim.tv_nsec &&
      now.st_ctim.tv_sec == FInfo.st_ctim.tv_sec && now.st_ctim.tv_nsec == FInfo.st_ctim.tv_nsec;
  if (!same) Changed(FPath);
}

TFileBytes TReadFile::ReadAll() const {
  TFileBytes result;
  if (IsRegular()) {
    result.Size = static_cast<size_t>(FInfo.st_size);
    result.Data = Allocate(result.Size, FPath);
    ReadAt(0, result.Size, result.Data.get());
    uint8_t extra = 0;
    if (::pread(FFd, &extra, 1, static_cast<off_t>(result.Size)) != 0) Changed(FPath);
    CheckUnchanged();
    return result;
  }
  // A pipe or a device: read to the end, doubling the buffer.
  size_t capacity = size_t{1} << 16;
  result.Data = Allocate(capacity, FPath);
  for (;;) {
    const ssize_t n = ::read(FFd, result.Data.get() + result.Size, capacity - result.Size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw TError(CannotReadText(FPath, errno));
    }
    if (n == 0) break;
    result.Size += static_cast<size_t>(n);
    if (result.Size == capacity) {
      auto bigger = Allocate(capacity * 2, FPath);
      std::memcpy(bigger.get(), result.Data.get(), result.Size);
      result.Data = std::move(bigger);
      capacity *= 2;
    }
  }
  return result;
}

TFileBytes ReadWholeFile(const std::string& path) {
  return TReadFile(path).ReadAll();
}
