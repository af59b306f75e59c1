#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CliRun.h"
#include "support/TempDir.h"

namespace matrix {

// An uncompressed 24-bit bitmap of width x height (height < 0: stored top-down) with a gray
// pattern, built byte by byte so that tests can damage any field.
std::string Bitmap24(int32_t width, int32_t height);
// Little-endian store into a byte string.
void Put(std::string& bytes, size_t at, uint32_t value, int size);
// A bitmap header (file and 40-byte information header) for bits per pixel and compression,
// followed by a palette of paletteEntries gray entries and then data.
std::string BitmapWith(int32_t width, int32_t height, int bits, int compression, int paletteEntries,
                       const std::string& data);

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

std::string FileOrNothing(const std::string& path);
bool IsRoot();

}  // namespace matrix
