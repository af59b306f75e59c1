// The summary of a tracked sequence, read back: the input is one summary.csv. A TError is the
// expected end of a bad file; anything else (a crash, another exception, a sanitizer report) is
// a fault, and so is a file read back that the writer would not write the same way.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "track/Tracksequence.h"
#include "track/Tracksummary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("track_summary");
  static const std::string again = scratch.File("again.csv");
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<TTrackStep> steps;
  try {
    steps = ParseTrackSummary(text, "summary.csv");
  } catch (const TError&) {
    return 0;
  }
  // What was read writes and reads back to the same steps.
  WriteTrackSummary(again, steps);
  const std::vector<TTrackStep> back = ReadTrackSummary(again);
  if (back.size() != steps.size())
    FuzzFail("%zu steps read back as %zu", steps.size(), back.size());
  for (size_t k = 0; k < steps.size(); ++k)
    if (back[k].Picture != steps[k].Picture || back[k].Reason != steps[k].Reason ||
        back[k].Pairs != steps[k].Pairs)
      FuzzFail("step %zu changed when written and read again", k);
  return 0;
}
