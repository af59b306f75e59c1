#include "encode/CodeFileText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "base/AtomicFile.h"
#include "base/Error.h"

TCodeFileText::TCodeFileText(const std::string& path) : FPath(path) {
  FHandle = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const int error = errno;
  struct stat info {};
  if (FHandle < 0 || ::fstat(FHandle, &info) != 0 || S_ISDIR(info.st_mode)) {
    const bool folder = FHandle >= 0 && S_ISDIR(info.st_mode);
    if (FHandle >= 0) ::close(FHandle);
    // The system's text first, then why.
    throw TError(" Can not open the  code file: \n" + path +
                 (path.empty() ? "(no file name was given)"
                  : folder     ? " (that is a folder, not a code file)"
                               : " (" + std::string(std::strerror(error)) + ")"));
  }
}

TCodeFileText::TCodeFileText(TInMemory, std::string text, const std::string& name)
    : FPath(name), FText(std::move(text)), FEnded(true) {}

TCodeFileText::~TCodeFileText() {
  if (FHandle >= 0) ::close(FHandle);
}

void TCodeFileText::ReadUpTo(size_t size) {
  int error = 0;
  try {
    size_t used = FText.size();
    // Grows by doubling, so a bound far beyond the file costs no more than the file.
    while (!FEnded && used < size) {
      const size_t room = std::min(size, std::max<size_t>(2 * used, 1 << 16));
      FText.resize(room);
      const ssize_t n = ::read(FHandle, FText.data() + used, room - used);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = errno;
      if (n <= 0) FEnded = true;
      if (n > 0) used += static_cast<size_t>(n);
    }
    FText.resize(used);
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  if (error != 0) throw TError(CannotReadText(FPath, error));
}
