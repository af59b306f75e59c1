#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What one run of the real latticor-cli binary gave.
struct TCliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// Runs latticor-cli with args. With fileSizeLimit >= 0 the program may write files of at most
// that many bytes (RLIMIT_FSIZE, SIGXFSZ ignored), so a save fails half-way as on a full disk;
// with memoryLimit >= 0 its address space is limited to that many bytes (RLIMIT_AS), with
// cpuSeconds >= 0 its processor time to that many seconds (RLIMIT_CPU).
TCliResult RunCli(const std::vector<std::string>& args, int64_t fileSizeLimit = -1,
                  int64_t memoryLimit = -1, int64_t cpuSeconds = -1);

// Runs latticor-cli with args, sends it SIGINT (Ctrl-C) as soon as its stderr holds waitFor, and
// waits for it to end.
TCliResult RunCliInterrupted(const std::vector<std::string>& args, const std::string& waitFor);

// Where the latticor-cli binary under test is, for commands run through a shell.
std::string CliPath();
