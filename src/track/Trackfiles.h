#pragma once

#include <string>
#include <vector>

#include "base/Commandfiles.h"

// The files a tracking run reads and writes, to check them all before it starts: every picture
// (roles "PICTURE <path>"), and summary.csv, summary.png with plots, each picture's code file
// and each step's strain file.
void TrackCommandFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                       bool plots, std::vector<TCommandFile>& inputs,
                       std::vector<TCommandFile>& outputs);
