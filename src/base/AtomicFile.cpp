#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/Error.h"

namespace {

constexpr size_t BufferSize = 1 << 20;
std::atomic<unsigned> TempCounter{0};

std::string Reason(int error) {
  return std::strerror(error);
}

}  // namespace

std::string CannotCreateText(const std::string& path, int error) {
  return "Cannot create file \"" + path + "\". " + Reason(error);
}
std::string CannotOpenText(const std::string& path, int error) {
  return "Cannot open file \"" + path + "\". " + Reason(error);
}
std::string CannotWriteText(const std::string& path, int error) {
  return "Cannot write file \"" + path + "\". " + Reason(error);
}
std::string CannotReadText(const std::string& path, int error) {
  return "Cannot read file \"" + path + "\". " + Reason(error);
}

TAtomicFile::TAtomicFile(std::string path) : FPath(std::move(path)) {}

TAtomicFile::~TAtomicFile() {
  Discard();
}

bool TAtomicFile::Open() {
  Discard();
  FError = 0;
  FErrorText.clear();
  struct stat info {};
  if (FPath.empty()) {
    Fail(ENOENT);
    return false;
  }
  if (::stat(FPath.c_str(), &info) == 0) {
    // The target is replaced only where it could also have been overwritten in place.
    if (S_ISDIR(info.st_mode)) {
      Fail(EISDIR);
      return false;
    }
    if (::access(FPath.c_str(), W_OK) != 0) {
      Fail(errno);
      return false;
    }
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    FTempPath = FPath + ".~" + std::to_string(::getpid()) + "-" + std::to_string(TempCounter++);
    FHandle = ::open(FTempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FHandle >= 0 || errno != EEXIST) break;
  }
  if (FHandle < 0) {
    Fail(errno);
    FTempPath.clear();
    return false;
  }
  FBuffer.resize(BufferSize);
  FUsed = 0;
  return true;
}

void TAtomicFile::OpenOrRaise() {
  if (!Open()) throw TError(CannotCreateText(FPath, FError));
}

void TAtomicFile::Fail(int error) {
  if (FError != 0) return;
  FError = error;
  FErrorText = Reason(error);
}

void TAtomicFile::FlushBuffer() {
  size_t done = 0;
  while (done < FUsed && FError == 0) {
    ssize_t n = ::write(FHandle, FBuffer.data() + done, FUsed - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    } else if (n == 0) {
      Fail(EIO);
    } else {
      done += static_cast<size_t>(n);
    }
  }
  FUsed = 0;
}

void TAtomicFile::Write(const void* data, size_t size) {
  if (FHandle < 0 || FError != 0) return;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0 && FError == 0) {
    if (FUsed == FBuffer.size()) FlushBuffer();
    size_t part = std::min(size, FBuffer.size() - FUsed);
    std::memcpy(FBuffer.data() + FUsed, bytes, part);
    FUsed += part;
    bytes += part;
    size -= part;
  }
}

void TAtomicFile::Printf(const char* format, ...) {
  if (FHandle < 0 || FError != 0) return;
  char local[512];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(local, sizeof local, format, copy);
  va_end(copy);
  if (n >= 0 && static_cast<size_t>(n) < sizeof local) {
    Write(local, static_cast<size_t>(n));
  } else if (n >= 0) {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, args);
    Write(big.data(), static_cast<size_t>(n));
  }
  va_end(args);
}

void TAtomicFile::Commit() {
  if (FHandle < 0 && FError == 0) Fail(EBADF);
  if (FHandle >= 0) {
    FlushBuffer();
    if (FError == 0 && ::fsync(FHandle) != 0 && errno != EINVAL) Fail(errno);
    if (::close(FHandle) != 0 && FError == 0) Fail(errno);
    FHandle = -1;
  }
  if (FError == 0 && ::rename(FTempPath.c_str(), FPath.c_str()) != 0) Fail(errno);
  if (FError != 0) {
    int error = FError;
    Discard();
    throw TError(CannotWriteText(FPath, error));
  }
  FTempPath.clear();
}

void TAtomicFile::Discard() {
  if (FHandle >= 0) {
    ::close(FHandle);
    FHandle = -1;
  }
  if (!FTempPath.empty()) {
    ::unlink(FTempPath.c_str());
    FTempPath.clear();
  }
  FBuffer.clear();
  FBuffer.shrink_to_fit();
  FUsed = 0;
}
