#pragma once

#include <string>
#include <vector>

#include "base/Commandfiles.h"

// The files a run reads and writes: every picture (roles "PICTURE <path>"), and summary.csv,
// summary.png with plots, each picture's code file and each step's strain file.
void TrackCommandFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                       bool plots, std::vector<TCommandFile>& inputs,
                       std::vector<TCommandFile>& outputs);

// Everything the names of a sequence's run decide, before the first picture is read: an output
// folder that is a file, an earlier run's results there (kept unless force), two pictures whose
// code files would have one name (Status 2, a usage error), an output over an input, a folder
// that cannot be written. Makes the folder and its codes/ folder when they are missing.
TFileCheck CheckTrackFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                           bool plots, bool force);
