#pragma once

#include <string>
#include <vector>

// The files one command reads and writes, checked together before the command starts its work,
// so that nothing is lost and no work is wasted on a run that cannot end well.
struct TCommandFile {
  std::string Role;  // how the command line names it: "INPUT", "OUTPUT", "--overlay"
  std::string Path;
  // An output's own failure text, followed by the path and the reason; empty for the
  // platform-style "Cannot create file" text.
  std::string CreateMessage;
};

struct TFileCheck {
  int Status = 0;  // 0 fine, 1 refused, 2 a usage error
  std::string Message;
};

// Two outputs naming the same file is a usage error. An output naming one of the inputs is
// refused unless force is set, and the message says so. An output that cannot be created (a
// missing or read-only folder, a folder in its place) is refused with its writer's message and
// the reason. Devices and pipes are exempt from the sameness rules (/dev/null may take every
// output). The same file is the same whatever the spelling: links, "./" and hard links count.
TFileCheck CheckCommandFiles(const std::vector<TCommandFile>& inputs,
                             const std::vector<TCommandFile>& outputs, bool force);
