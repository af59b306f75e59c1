#include "CliRun.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "support/TempDir.h"

extern char** environ;

namespace {

// AddressSanitizer reserves terabytes of shadow address space at start-up, so an address-space
// limit would stop every sanitized program before main; there the limit is left out and the
// checks run without it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressLimitWorks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressLimitWorks = false;
#else
constexpr bool AddressLimitWorks = true;
#endif
#else
constexpr bool AddressLimitWorks = true;
#endif

// The child of fork: only async-signal-safe calls until exec.
[[noreturn]] void ExecLimited(char** argv, const char* outPath, const char* errPath, int64_t limit,
                              int64_t memory, int64_t cpu) {
  const int out = ::open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
  ::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG
  struct rlimit rl {};
  rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(limit);
  if (limit >= 0 && ::setrlimit(RLIMIT_FSIZE, &rl) != 0) ::_exit(126);
  rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(memory);
  if (AddressLimitWorks && memory >= 0 && ::setrlimit(RLIMIT_AS, &rl) != 0) ::_exit(126);
  rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(cpu);
  if (cpu >= 0 && ::setrlimit(RLIMIT_CPU, &rl) != 0) ::_exit(126);
  ::execve(argv[0], argv, environ);
  ::_exit(127);
}

}  // namespace

namespace {

pid_t Spawn(std::vector<std::string> all, const std::string& outPath, const std::string& errPath) {
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start latticor-cli");
  return pid;
}

int ExitStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TCliResult RunCliInterrupted(const std::vector<std::string>& args, const std::string& waitFor) {
  TTempDir capture;
  const std::string outPath = capture.File("out"), errPath = capture.File("err");
  std::vector<std::string> all = {LATTICOR_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  WriteFileBytes(errPath, "");  // there to be polled from the start
  const pid_t pid = Spawn(all, outPath, errPath);
  int status = 0;
  bool ended = false;
  while (!ended && ReadFileBytes(errPath).find(waitFor) == std::string::npos) {
    ended = ::waitpid(pid, &status, WNOHANG) == pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!ended) {
    ::kill(pid, SIGINT);
    ::waitpid(pid, &status, 0);
  }
  TCliResult result;
  result.Status = ExitStatus(status);
  result.Out = ReadFileBytes(outPath);
  result.Err = ReadFileBytes(errPath);
  return result;
}

TCliResult RunCli(const std::vector<std::string>& args, int64_t fileSizeLimit, int64_t memoryLimit,
                  int64_t cpuSeconds) {
  TTempDir capture;
  const std::string outPath = capture.File("out"), errPath = capture.File("err");
  std::vector<std::string> all = {LATTICOR_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  if (fileSizeLimit >= 0 || memoryLimit >= 0 || cpuSeconds >= 0) {
    pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot start latticor-cli");
    if (pid == 0)
      ExecLimited(argv.data(), outPath.c_str(), errPath.c_str(), fileSizeLimit, memoryLimit,
                  cpuSeconds);
  } else {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start latticor-cli");
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  TCliResult result;
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.Out = ReadFileBytes(outPath);
  result.Err = ReadFileBytes(errPath);
  return result;
}

std::string CliPath() {
  return LATTICOR_CLI_PATH;
}
