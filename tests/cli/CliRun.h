#pragma once

#include <string>
#include <vector>

// What one run of the real latticor-cli binary gave.
struct TCliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

TCliResult RunCli(const std::vector<std::string>& args);
