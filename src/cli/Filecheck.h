#pragma once

#include <string>
#include <vector>

#include "base/Commandfiles.h"
#include "base/Error.h"

// A command line that cannot work as given: reported like the option parser's errors, with
// exit status 2.
class TUsageError : public TError {
 public:
  using TError::TError;
};

// The files of a command checked before its work (CheckCommandFiles): raises TUsageError for
// colliding outputs and TError for outputs over inputs (unless force) or outputs that cannot be
// created.
void CheckFiles(const std::vector<TCommandFile>& inputs, const std::vector<TCommandFile>& outputs,
                bool force);

// A picture of width x height saved under path: refused before the work when its format
// cannot hold it (the extension is neither .bmp nor .raw, or a bitmap would pass 4 GiB).
void CheckPictureOutput(const std::string& path, int64_t width, int64_t height);
