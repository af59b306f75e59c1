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
//
// What the name leads to is what gets replaced: a symbolic link is followed and its final
// target replaced (the link stays a link), and the new file keeps the old one's permission bits
// and, where the system allows, its owner and group. A target that exists and is not a regular
// file (a device, a named pipe, a terminal) is written directly, without a temporary file.
// A writable file whose folder takes no temporary file (a folder the user may not write, a
// sticky folder where the file is someone else's) is updated in place: its previous bytes are
// copied to the user's temporary folder first and put back when the update fails or is given
// up, so a failed save leaves it as it was.
// While a TSaveGroup is active on the thread, Commit holds the finished file back and the group
// renames all of its files at once.
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
  // printf-style, always with the decimal point of the C locale.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Finishes the file; raises TError naming the path and the cause if any write failed.
  void Commit();

  const std::string& Path() const { return FPath; }
  const std::string& ErrorText() const { return FErrorText; }
  // Written straight into the target (a device or a pipe), without a temporary file.
  bool Direct() const { return FDirect; }

 private:
  bool OpenDirect();
  bool OpenInPlace();
  int Restore();  // the backup's bytes over the target's; 0 or errno
  bool OpenTemporary(const struct stat* previous);
  void FlushBuffer();
  void Fail(int error);
  void Discard();

  std::string FPath;      // as the caller named it, for messages
  std::string FTarget;    // the file replaced: FPath with its symbolic links followed
  std::string FTempPath;  // empty when there is none
  int FGuard = -1;        // removal of the temporary file on a signal
  bool FDirect = false;
  bool FInPlace = false;
  std::string FBackup;  // the previous bytes of a file updated in place
  int64_t FWritten = 0;
  int FHandle = -1;
  int FError = 0;
  std::string FErrorText;
  std::vector<char> FBuffer;
  size_t FUsed = 0;
};

// Why path cannot be saved to (an errno value), 0 when a save can at least begin: its folder
// exists and takes new files, or it is a writable file that can be updated in place, and an
// existing target is no folder and may be replaced. Commands
// with several outputs check them all with it before they start their work.
int SaveProblem(const std::string& path);

// The path with its symbolic links followed to the final target, which need not exist yet;
// the path itself when it is no link. Loops and overlong chains give the path unchanged.
std::string FollowLinks(const std::string& path);

// Platform-style texts for file failures, naming the file and the system's reason.
std::string CannotCreateText(const std::string& path, int error);
std::string CannotOpenText(const std::string& path, int error);
std::string CannotWriteText(const std::string& path, int error);
std::string CannotReadText(const std::string& path, int error);
