#pragma once

#include <string>
#include <vector>

#include "track/Trackoptions.h"

// The steps of a tracked sequence read back from its summary.csv (as WriteTrackSummary writes
// it): the header row, then one row per step numbered 0, 1, 2, ... in order; a failed step has
// empty number cells and its reason in quotes. A picture name may hold commas. Raises TError
// naming the line for anything else; text is the file's content, path names it in messages.
std::vector<TTrackStep> ParseTrackSummary(const std::string& text, const std::string& path);
std::vector<TTrackStep> ReadTrackSummary(const std::string& path);
