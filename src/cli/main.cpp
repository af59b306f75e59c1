// latticor-cli: the headless twin of the desktop application, for batch work and scripts.
// Exit status 0 on success, 1 with the system's message on stderr when the work fails, 2 for
// usage errors.
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commandline.h"

int main(int argc, char** argv) {
  return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
