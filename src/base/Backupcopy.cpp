#include "base/Backupcopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

// Copies all of from (from its start) to to (from its start); 0 or the errno value.
int CopyAll(int from, int to) {
  std::vector<char> buffer(1 << 16);
  off_t offset = 0;
  for (;;) {
    const ssize_t n = ::pread(from, buffer.data(), buffer.size(), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    for (ssize_t done = 0; done < n;) {
      const ssize_t m =
          ::pwrite(to, buffer.data() + done, static_cast<size_t>(n - done), offset + done);
      if (m < 0 && errno == EINTR) continue;
      if (m <= 0) return m < 0 ? errno : EIO;
      done += m;
    }
    offset += n;
  }
}

}  // namespace

int MakeBackupCopy(int handle, const std::string& name, std::string& backup) {
  const char* folder = std::getenv("TMPDIR");
  if (folder == nullptr || *folder == '\0') folder = "/tmp";
  // The name tells a person whose copy it is; a long one is cut to keep within the limit.
  backup = std::string(folder) + "/latticor-backup-" + name.substr(0, 100) + "-XXXXXX";
  const int copy = ::mkstemp(backup.data());
  if (copy < 0) return errno;
  int error = CopyAll(handle, copy);
  if (error == 0 && ::fsync(copy) != 0 && errno != EINVAL) error = errno;
  if (::close(copy) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(backup.c_str());
  return error;
}

int RestoreBackupCopy(int handle, const std::string& backup) {
  const int copy = ::open(backup.c_str(), O_RDONLY | O_CLOEXEC);
  if (copy < 0) return errno;
  struct stat info {};
  int error = ::fstat(copy, &info) != 0 ? errno : CopyAll(copy, handle);
  if (error == 0 && ::ftruncate(handle, info.st_size) != 0) error = errno;
  if (error == 0 && ::fsync(handle) != 0 && errno != EINVAL) error = errno;
  ::close(copy);
  if (error == 0) ::unlink(backup.c_str());
  return error;
}
