#include "base/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "base/Backupcopy.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/SaveGroup.h"
#include "base/TempFiles.h"

namespace {

constexpr size_t BufferSize = 1 << 20;

std::string Reason(int error) {
  return std::strerror(error);
}

std::string Folder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
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

namespace {

// Where the link current points to; false when current is no symbolic link.
bool NextHop(std::string& current) {
  struct stat info {};
  if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return false;
  char target[PATH_MAX];
  const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
  if (n <= 0) return false;
  const std::string link(target, static_cast<size_t>(n));
  const std::string folder = Folder(current);
  current = link[0] == '/' || folder.empty() ? link : folder + "/" + link;
  return true;
}

// Whether the name leads through a process's descriptor table (/dev/stdout, /dev/fd/1,
// /proc/self/fd/1): such a name means "the file this process already has open", which is
// written as it is even when it is a regular file, as the shell would.
bool ThroughDescriptor(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    if (current.starts_with("/proc/") || current.starts_with("/dev/fd/")) return true;
    if (!NextHop(current)) return false;
  }
  return false;
}

}  // namespace

std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop)
    if (!NextHop(current)) return current;
  return path;
}

int SaveProblem(const std::string& path) {
  if (path.empty()) return ENOENT;
  const std::string target = FollowLinks(path);
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return ::access(target.c_str(), W_OK) == 0 ? 0 : errno;
    if (::access(target.c_str(), W_OK) != 0) return errno;
  } else if (errno != ENOENT) {
    return errno;
  }
  const std::string folder = Folder(target);
  const char* where = folder.empty() ? "." : folder.c_str();
  const bool replaced = S_ISREG(info.st_mode);  // info is the target's when it exists
  if (::stat(where, &info) != 0) return errno;
  if (!S_ISDIR(info.st_mode)) return ENOTDIR;
  if (::access(where, W_OK | X_OK) == 0) return 0;
  // A writable file in a folder that takes no new files is updated in place.
  return replaced ? 0 : errno;
}

namespace {

// Whether a temporary file beside target can be made and then renamed over it: the folder takes
// new files, and a sticky folder (/tmp) lets only the owner of the file or the folder replace it.
bool TemporaryBeside(const std::string& target, const struct stat& file) {
  const std::string folder = Folder(target);
  const char* where = folder.empty() ? "." : folder.c_str();
  struct stat info {};
  if (::access(where, W_OK | X_OK) != 0 || ::stat(where, &info) != 0) return false;
  const uid_t user = ::geteuid();
  return (info.st_mode & S_ISVTX) == 0 || user == 0 || file.st_uid == user || info.st_uid == user;
}

}  // namespace

TAtomicFile::TAtomicFile(std::string path) : FPath(std::move(path)) {}

TAtomicFile::~TAtomicFile() {
  Discard();
}

bool TAtomicFile::Open() {
  Discard();
  FError = 0;
  FErrorText.clear();
  FDirect = false;
  if (FPath.empty()) {
    Fail(ENOENT);
    return false;
  }
  FTarget = FollowLinks(FPath);
  struct stat info {};
  const bool exists = ::stat(FTarget.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) {
    Fail(EISDIR);
    return false;
  }
  // A device or a pipe cannot be replaced by a file: it is written as it is.
  if (exists && (!S_ISREG(info.st_mode) || ThroughDescriptor(FPath))) return OpenDirect();
  // The target is replaced only where it could also have been overwritten in place.
  if (exists && ::access(FTarget.c_str(), W_OK) != 0) {
    Fail(errno);
    return false;
  }
  if (exists && !TemporaryBeside(FTarget, info)) return OpenInPlace();
  return OpenTemporary(exists ? &info : nullptr);
}

bool TAtomicFile::OpenInPlace() {
  FHandle = ::open(FTarget.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
  if (FHandle < 0) {
    Fail(errno);
    return false;
  }
  const size_t slash = FTarget.find_last_of('/');
  const int error = MakeBackupCopy(
      FHandle, slash == std::string::npos ? FTarget : FTarget.substr(slash + 1), FBackup);
  if (error != 0) {
    ::close(FHandle);
    FHandle = -1;
    Fail(error);
    return false;
  }
  FInPlace = true;
  FBuffer.resize(BufferSize);
  FUsed = 0;
  FWritten = 0;
  return true;
}

int TAtomicFile::Restore() {
  const int error = RestoreBackupCopy(FHandle, FBackup);
  if (error == 0) FBackup.clear();
  return error;
}

bool TAtomicFile::OpenDirect() {
  // Through the name as given: /dev/stdout and its like are links that only the system follows.
  FHandle = ::open(FPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (FHandle < 0) {
    Fail(errno);
    return false;
  }
  FDirect = true;
  FBuffer.resize(BufferSize);
  FUsed = 0;
  return true;
}

bool TAtomicFile::OpenTemporary(const struct stat* previous) {
  const std::string folder = Folder(FTarget);
  RemoveStaleTempFiles(folder);
  // A new file gets the usual bits less the umask; a replaced one gets its predecessor's, set
  // once the owner is, since a change of owner clears the set-id bits.
  FHandle = CreateTempFile(folder, previous ? 0600 : 0666, FTempPath, &FGuard);
  if (FHandle < 0) {
    Fail(errno);
    FTempPath.clear();
    return false;
  }
  if (previous) {
    if (previous->st_uid != ::geteuid() || previous->st_gid != ::getegid())
      (void)::fchown(FHandle, previous->st_uid, previous->st_gid);  // where allowed
    if (::fchmod(FHandle, previous->st_mode & 07777) != 0) {
      Fail(errno);
      Discard();
      return false;
    }
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
  FWritten += static_cast<int64_t>(done);
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
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  Write(text.data(), text.size());
}

void TAtomicFile::Commit() {
  if (FHandle < 0 && FError == 0) Fail(EBADF);
  std::string kept;  // where the previous bytes are when they could not be put back
  if (FHandle >= 0) {
    FlushBuffer();
    if (FInPlace && FError == 0 && ::ftruncate(FHandle, FWritten) != 0) Fail(errno);
    if (!FDirect && FError == 0 && ::fsync(FHandle) != 0 && errno != EINVAL) Fail(errno);
    if (FInPlace && FError != 0 && Restore() != 0) kept = FBackup;
    if (::close(FHandle) != 0 && FError == 0) Fail(errno);
    FHandle = -1;
  }
  if (FError == 0 && FInPlace) {
    if (TSaveGroup* group = TSaveGroup::Active())
      group->HoldInPlace(FTarget, FBackup, FPath);
    else
      ::unlink(FBackup.c_str());
    FBackup.clear();
    FInPlace = false;
  } else if (FError == 0 && !FDirect) {
    if (TSaveGroup* group = TSaveGroup::Active()) {
      group->Hold(FTempPath, FTarget, FPath, FGuard);
      FTempPath.clear();
      FGuard = -1;
    } else if (::rename(FTempPath.c_str(), FTarget.c_str()) != 0) {
      Fail(errno);
    }
  }
  if (FError != 0) {
    int error = FError;
    FBackup.clear();  // put back, or kept for the message
    Discard();
    throw TError(CannotWriteText(FPath, error) +
                 (kept.empty() ? "" : " (its previous content is kept in " + kept + ")"));
  }
  ReleaseTempFile(FGuard);
  FGuard = -1;
  FTempPath.clear();
  FBuffer.clear();
  FBuffer.shrink_to_fit();
}

void TAtomicFile::Discard() {
  // An update in place given up: the previous bytes go back.
  if (FInPlace && FHandle >= 0 && !FBackup.empty()) Restore();
  FInPlace = false;
  FBackup.clear();
  if (FHandle >= 0) {
    ::close(FHandle);
    FHandle = -1;
  }
  if (!FTempPath.empty()) {
    ::unlink(FTempPath.c_str());
    FTempPath.clear();
  }
  ReleaseTempFile(FGuard);
  FGuard = -1;
  FBuffer.clear();
  FBuffer.shrink_to_fit();
  FUsed = 0;
}
