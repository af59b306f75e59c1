#include "track/Tracksummary.h"

#include <charconv>
#include <cmath>

#include "base/Error.h"
#include "base/Readfile.h"

namespace {

// Summaries written before the registration columns came are read too.
const char* const OldHeader = "step,picture,dots,pairs,lost,mean_dx,mean_dy,exx,eyy,exy,reason";
const char* const Header =
    "step,picture,dots,pairs,lost,mean_dx,mean_dy,exx,eyy,exy,rotation,reason,registration";

template <typename T>
bool Number(const std::string& cell, T& value) {
  if (cell.empty()) return false;
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (error != std::errc() || end != cell.data() + cell.size()) return false;
  if constexpr (std::is_floating_point_v<T>) return std::isfinite(value);
  return true;
}

// The last count cells of a row, split off its end; false when there are fewer commas.
bool SplitTail(std::string& row, size_t count, std::vector<std::string>& cells) {
  cells.assign(count, "");
  for (size_t k = count; k-- > 0;) {
    const size_t comma = row.rfind(',');
    if (comma == std::string::npos) return false;
    cells[k] = row.substr(comma + 1);
    row.resize(comma);
  }
  return true;
}

void ParseRow(std::string row, TTrackStep& step, bool& good, bool registered) {
  if (registered) {
    const size_t comma = row.rfind(',');
    if (comma == std::string::npos) throw TError("too few cells");
    step.Registration = row.substr(comma + 1);
    if (step.Registration.find('"') != std::string::npos)
      throw TError("a registration that is not one cell");
    row.resize(comma);
  }
  good = row.empty() || row.back() != '"';
  if (!good) {
    // The reason is one quoted cell without quotes inside (the writer turned them into ').
    const size_t open = row.size() >= 2 ? row.rfind('"', row.size() - 2) : std::string::npos;
    if (open == std::string::npos || open == 0 || row[open - 1] != ',')
      throw TError("a failed step's reason is not one quoted cell");
    step.Reason = row.substr(open + 1, row.size() - open - 2);
    if (step.Reason.empty()) throw TError("a failed step without its reason");
    if (step.Reason.find('\r') != std::string::npos) throw TError("a reason with a line break");
    row.resize(open - 1);
  } else if (row.empty() || row.back() != ',') {
    throw TError("a good step ends in an empty reason cell");
  } else {
    row.pop_back();
  }
  std::vector<std::string> cells;
  if (!SplitTail(row, registered ? 9 : 8, cells)) throw TError("too few cells");
  const size_t comma = row.find(',');
  if (comma == std::string::npos) throw TError("too few cells");
  if (!Number(row.substr(0, comma), step.Step)) throw TError("the step is not a number");
  step.Picture = row.substr(comma + 1);
  if (step.Picture.empty()) throw TError("no picture");
  if (!good) {
    for (const std::string& cell : cells)
      if (!cell.empty()) throw TError("a failed step with numbers");
    return;
  }
  const bool numbers = Number(cells[0], step.Dots) && Number(cells[1], step.Pairs) &&
                       Number(cells[2], step.Lost) && Number(cells[3], step.MeanDx) &&
                       Number(cells[4], step.MeanDy) && Number(cells[5], step.Exx) &&
                       Number(cells[6], step.Eyy) && Number(cells[7], step.Exy) &&
                       (!registered || Number(cells[8], step.Rotation));
  if (!numbers) throw TError("a cell that is not a number");
}

}  // namespace

std::vector<TTrackStep> ParseTrackSummary(const std::string& text, const std::string& path) {
  std::vector<TTrackStep> steps;
  size_t at = 0;
  int64_t line = 0;
  bool registered = true;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string row = text.substr(at, end - at);
    at = end + 1;
    ++line;
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (line == 1) {
      registered = row == Header;
      if (!registered && row != OldHeader)
        throw TError(path + " is not the summary of a tracked sequence");
      continue;
    }
    if (row.empty() && at >= text.size()) break;
    TTrackStep step;
    bool good = true;
    try {
      ParseRow(row, step, good, registered);
      if (step.Step != static_cast<int32_t>(steps.size()))
        throw TError("step " + std::to_string(step.Step) + " where step " +
                     std::to_string(steps.size()) + " belongs");
    } catch (const TError& e) {
      throw TError(path + " line " + std::to_string(line) + ": " + e.Message());
    }
    steps.push_back(step);
  }
  if (line == 0) throw TError(path + " is not the summary of a tracked sequence");
  if (steps.empty()) throw TError(path + " lists no step");
  return steps;
}

std::vector<TTrackStep> ReadTrackSummary(const std::string& path) {
  const TFileBytes bytes = ReadWholeFile(path);
  return ParseTrackSummary(std::string(reinterpret_cast<const char*>(bytes.begin()), bytes.Size),
                           path);
}
