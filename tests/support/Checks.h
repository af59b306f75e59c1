#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The message of the TError an action raises, or "(no error)".
std::string ErrorOf(const std::function<void()>& action);

// Runs action in a forked child whose files may not grow beyond maxFileBytes (a write past
// the limit fails with EFBIG instead of killing the process) and returns the exit status the
// action chose, or -1 when the child did not exit normally.
int RunWithFileSizeLimit(size_t maxFileBytes, const std::function<int()>& action);
