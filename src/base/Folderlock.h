#pragma once

#include <string>

// An advisory lock on a folder that one run at a time may write into: the file
// FOLDER/.latticor.lock, locked (flock) for as long as the run holds it and removed when it
// ends. The system drops the lock of a process that dies however it dies, so a lock file left
// by a crash is stale and simply taken over; SIGINT, SIGTERM and SIGHUP remove it as well.
class TFolderLock {
 public:
  // Takes the lock of the existing folder; raises TError naming the folder, the process that
  // holds the lock and what to do, or why the lock file cannot be made.
  explicit TFolderLock(const std::string& folder);
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
  int FHandle = -1;
  int FGuard = -1;
};
