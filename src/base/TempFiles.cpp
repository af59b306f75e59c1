#include "base/TempFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr const char* Prefix = ".latticor-";
constexpr const char* Suffix = ".tmp";

std::atomic<unsigned> Counter{0};

// Eight hex digits of the host name, so that folders shared between machines keep each
// machine's temporary files apart (a process id means nothing on another machine).
const std::string& HostTag() {
  static const std::string tag = [] {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    uint32_t hash = 2166136261u;
    for (const char* p = name; *p != '\0'; ++p)
      hash = (hash ^ static_cast<uint8_t>(*p)) * 16777619u;
    char text[9];
    std::snprintf(text, sizeof text, "%08x", hash);
    return std::string(text);
  }();
  return tag;
}

// Paths to remove on a signal. Written by the saving thread, read by the handler: a slot's
// path is complete before its state says so.
struct TGuardSlot {
  std::atomic<int> State{0};  // 0 free, 1 being filled, 2 armed
  char Path[4096] = {};
};
std::array<TGuardSlot, 32> Slots;

// Temporary files being created right now, and whether a signal is ending the process: a
// handler waits (briefly) for creations on other threads to finish, so that their files, named
// in their slots before they exist, are removed as well.
std::atomic<int> Creating{0};
std::atomic<bool> Ending{false};

extern "C" void RemoveGuardedOnSignal(int signal) {
  Ending.store(true);
  // The interrupted thread may be the creating one: the wait is bounded.
  for (int waited = 0; Creating.load() > 0 && waited < 50; ++waited) {
    const struct timespec millisecond = {0, 1000000};
    ::nanosleep(&millisecond, nullptr);
  }
  for (TGuardSlot& slot : Slots)
    if (slot.State.load() == 2) ::unlink(slot.Path);
  // The handler was installed with SA_RESETHAND: the signal now ends the process as it would
  // have without us.
  ::raise(signal);
}

// Checked at every save rather than once, so that a disposition reset since (by the
// application, or in a forked child) is seen.
void InstallHandlers() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    // Only where nobody else decided: an ignored SIGHUP (nohup) or an application's own
    // handler stays as it is.
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction ours {};
    ours.sa_handler = RemoveGuardedOnSignal;
    sigemptyset(&ours.sa_mask);
    ours.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &ours, nullptr);
  }
}

std::string InDirectory(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && text.size() <= 18 &&
         text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

void (*TempFileCreatedHook)() = nullptr;

int CreateTempFile(const std::string& directory, unsigned mode, std::string& path, int* guard) {
  const std::string stem = Prefix + HostTag() + "-" + std::to_string(::getpid()) + "-";
  if (guard) *guard = -1;
  ++Creating;
  if (Ending.load()) {
    --Creating;
    errno = EINTR;
    return -1;
  }
  int handle = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = InDirectory(directory, stem + std::to_string(Counter++) + Suffix);
    // Guarded before it exists: a signal between the two would leave it behind. Removing a
    // name not yet created does no harm.
    const int slot = guard ? GuardTempFile(path) : -1;
    handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    const int error = errno;
    if (handle >= 0 && TempFileCreatedHook) TempFileCreatedHook();
    if (handle >= 0) {
      if (guard) *guard = slot;
      break;
    }
    ReleaseTempFile(slot);
    errno = error;
    if (error != EEXIST) break;
  }
  const int error = errno;
  --Creating;
  errno = error;
  return handle;
}

bool ParseTempName(const std::string& name, long& pid, bool& thisMachine) {
  const size_t prefix = std::strlen(Prefix), suffix = std::strlen(Suffix);
  if (name.size() <= prefix + suffix || name.compare(0, prefix, Prefix) != 0 ||
      name.compare(name.size() - suffix, suffix, Suffix) != 0)
    return false;
  const std::string middle = name.substr(prefix, name.size() - prefix - suffix);
  const size_t first = middle.find('-'), second = middle.find('-', first + 1);
  if (first != 8 || second == std::string::npos) return false;
  const std::string host = middle.substr(0, first);
  const std::string process = middle.substr(first + 1, second - first - 1);
  if (host.find_first_not_of("0123456789abcdef") != std::string::npos || !AllDigits(process) ||
      !AllDigits(middle.substr(second + 1)))
    return false;
  pid = std::stol(process);
  thisMachine = host == HostTag();
  return pid > 0;
}

int RemoveStaleTempFiles(const std::string& directory) {
  DIR* folder = ::opendir(directory.empty() ? "." : directory.c_str());
  if (folder == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(folder)) {
    long pid = 0;
    bool thisMachine = false;
    if (!ParseTempName(entry->d_name, pid, thisMachine) || !thisMachine || pid == ::getpid())
      continue;
    // A process of that number still running may be a save in progress: its file stays.
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    const std::string path = InDirectory(directory, entry->d_name);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
      continue;
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  ::closedir(folder);
  return removed;
}

int GuardTempFile(const std::string& path) {
  if (path.size() >= sizeof(TGuardSlot::Path)) return -1;
  InstallHandlers();
  for (size_t i = 0; i < Slots.size(); ++i) {
    int expected = 0;
    if (!Slots[i].State.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(Slots[i].Path, path.c_str(), path.size() + 1);
    Slots[i].State.store(2);
    return static_cast<int>(i);
  }
  return -1;
}

void ReleaseTempFile(int handle) {
  if (handle >= 0 && handle < static_cast<int>(Slots.size()))
    Slots[static_cast<size_t>(handle)].State.store(0);
}
