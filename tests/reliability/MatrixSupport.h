#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CliRun.h"
#include "support/BmpBytes.h"
#include "support/TempDir.h"

namespace matrix {

// An uncompressed 24-bit bitmap of width x height (height < 0: stored top-down) with a gray
// pattern, built byte by byte so that tests can damage any field.
std::string Bitmap24(int32_t width, int32_t height);
// A segmented grid of white dots (0 background) of width x height, pitch 10, saved as a
// bitmap; what `encode` reads.
void SaveSegmentedGrid(const std::string& path, int32_t width, int32_t height);

// A small valid code file of a 3 x 2 grid.
std::string ValidCodeFile();

// The failure the command-line tool reports for bad work: status 1 and a message on stderr.
// Returns a description of what differs, empty when the run is such a failure whose message
// contains every fragment.
std::string FailureProblem(const TCliResult& run, const std::vector<std::string>& fragments,
                           int status = 1);

bool IsRoot();

}  // namespace matrix
