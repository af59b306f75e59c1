#include "support/Checks.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/Error.h"

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TError& e) {
    return e.Message();
  }
  return "(no error)";
}

int RunWithFileSizeLimit(size_t maxFileBytes, const std::function<int()>& action) {
  pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = maxFileBytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    int status = 5;
    try {
      status = action();
    } catch (...) {
      status = 6;
    }
    ::_exit(status);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
