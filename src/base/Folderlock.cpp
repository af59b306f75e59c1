#include "base/Folderlock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/Error.h"
#include "base/TempFiles.h"

TFolderLock::TFolderLock(const std::string& folder)
    : FPath(folder.empty() || folder.back() == '/' ? folder + ".latticor.lock"
                                                   : folder + "/.latticor.lock") {
  // A run that ends removes the file while it holds the lock; one that had opened the old file
  // meanwhile finds its lock on a file no longer there and tries again.
  for (int attempt = 0; attempt < 100; ++attempt) {
    FHandle = ::open(FPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (FHandle < 0) throw TError("Cannot lock the folder " + folder + ": " + std::strerror(errno));
    if (::flock(FHandle, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      char holder[64] = {};
      const ssize_t n = ::pread(FHandle, holder, sizeof holder - 1, 0);
      ::close(FHandle);
      FHandle = -1;
      if (error != EWOULDBLOCK)
        throw TError("Cannot lock the folder " + folder + ": " + std::strerror(error));
      std::string who = n > 0 ? std::string(holder, static_cast<size_t>(n)) : "";
      while (!who.empty() && (who.back() == '\n' || who.back() == ' ')) who.pop_back();
      throw TError("The folder " + folder + " is being written by another run" +
                   (who.empty() ? std::string() : " (process " + who + ")") +
                   ": wait until it has ended, or give another folder");
    }
    struct stat held {
    }, named{};
    if (::fstat(FHandle, &held) == 0 && ::stat(FPath.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
      break;
    ::close(FHandle);
    FHandle = -1;
  }
  if (FHandle < 0) throw TError("Cannot lock the folder " + folder + ": it keeps changing");
  // Who holds it, for the message of a run that finds it taken.
  const std::string me = std::to_string(::getpid()) + "\n";
  if (::ftruncate(FHandle, 0) == 0) (void)!::pwrite(FHandle, me.data(), me.size(), 0);
  FGuard = GuardTempFile(FPath);
}

TFolderLock::~TFolderLock() {
  ReleaseTempFile(FGuard);
  ::unlink(FPath.c_str());
  ::close(FHandle);
}
