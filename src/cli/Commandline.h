#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The whole of latticor-cli behind its main: parses args (the program name left out), runs the
// chosen subcommand and returns the exit status, 0 on success, 1 with the system's message on
// err when the work fails, 2 for usage errors. Help goes to out.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
