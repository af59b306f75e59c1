#include "encode/Encoderun.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "base/Cancel.h"
#include "base/Error.h"
#include "encode/Discfit.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Refinecentroid.h"

namespace {

// The origin the options ask for; raises the message of the origin stage that failed.
int32_t FindRunOrigin(TEncode& job, const TEncodeRunOptions& options,
                      const TEncodeRunHooks& hooks) {
  int32_t origin = -1;
  const char* failed = nullptr;
  switch (options.Origin) {
    case TOriginSource::Automatic:
      origin = job.FindOrigin(options.Method);
      failed = TEncode::AutoOriginFailedMessage;
      break;
    case TOriginSource::Pitch:
      origin = job.FindOriginByRatio(options.Method, options.Pitch[1] / options.Pitch[0]);
      failed = TEncode::RatioOriginFailedMessage;
      break;
    case TOriginSource::Picked:
      origin = job.SetOrigin(options.PickedDot, options.PickedNeighbours.data(),
                             options.PickedGrid[0], options.PickedGrid[1]);
      failed = TEncode::WrongOriginMessage;
      break;
  }
  if (origin < 0) {
    if (hooks.OriginFailed) hooks.OriginFailed();
    throw TError(failed);
  }
  if (hooks.OriginFound) hooks.OriginFound(origin);
  return origin;
}

void CheckCancelled(const TEncodeRunHooks& hooks) {
  if (hooks.Cancelled && hooks.Cancelled()) throw TCancelled();
}

}  // namespace

TEncodeRunOptions BatchEncodeOptions() {
  TEncodeRunOptions options;
  options.LeastArea = {TLeastArea::TMode::Robust, 0};
  options.AutoTable = true;
  options.Lattice = true;
  return options;
}

std::optional<TLeastArea> LeastAreaFromText(const std::string& text) {
  if (text == "auto") return TLeastArea{};
  if (text == "robust") return TLeastArea{TLeastArea::TMode::Robust, 0};
  try {
    size_t used = 0;
    const long value = std::stol(text, &used);
    if (used == text.size() && value >= -1 && value <= 2147483647)
      return TLeastArea::Given(static_cast<int32_t>(value));
  } catch (...) {
  }
  return std::nullopt;
}

int32_t ExtractDots(TEncode& job, const TEncodeRunOptions& options, const TEncodeRunHooks& hooks) {
  CheckCancelled(hooks);
  job.PrepareImage(hooks.Canvas, !options.Lattice);
  CheckCancelled(hooks);
  // The prepared picture already holds the mean blob area: Auto needs no second decoding.
  int32_t leastArea = 0;
  if (hooks.AskLeastArea)
    leastArea = hooks.AskLeastArea();
  else if (options.LeastArea.Mode == TLeastArea::TMode::Auto)
    leastArea = TEncode::LeastAreaOfMean(job.AreaThreshold());
  else if (options.LeastArea.Mode == TLeastArea::TMode::Robust)
    leastArea = RobustLeastArea(job);
  else
    leastArea = options.LeastArea.Pixels;
  job.SetAreaThreshold(leastArea);
  TFitHints hints;
  if (options.Lattice) {
    // A least area typed or given is the user's; the estimates only say where dots begin.
    const bool given = hooks.AskLeastArea || options.LeastArea.Mode == TLeastArea::TMode::Given;
    hints = SortDots(job, leastArea, given, hooks.Canvas);
    leastArea = job.Sorting().Ran ? job.Sorting().LeastArea : leastArea;
  } else {
    job.RemoveNoise(hooks.Canvas);
    CheckCancelled(hooks);
    job.BuildDotInfo(hooks.Canvas);
  }
  CheckCancelled(hooks);
  if (options.Refined) {
    const TGrayImage& picture = options.RefinePicture ? *options.RefinePicture : job.Image();
    if (options.Lattice)
      FitCentroids(job, picture, hints);
    else
      RefineCentroids(job, picture);
  }
  if (options.AutoTable) ResizeTable(job, AutoTableSize(job, 0, 0));
  return leastArea;
}

int32_t ContinueEncoding(TEncode& job, const TEncodeRunOptions& options,
                         const TEncodeRunHooks& hooks) {
  // Only a run that can be cancelled pays for keeping the job's state.
  std::optional<TEncode::TWalkState> before;
  if (hooks.Cancelled) before.emplace(job.SaveWalk());
  try {
    const int32_t origin = FindRunOrigin(job, options, hooks);
    job.SetCanvas(hooks.Canvas);
    job.SetDelay(hooks.Delay);
    job.SetPause(hooks.Pause);
    job.SetCancel(hooks.Cancelled);
    job.Encode(origin);
    return origin;
  } catch (const TCancelled&) {
    job.RestoreWalk(std::move(*before));
    throw;
  }
}

TEncodeSummary RunEncoding(TEncode& job, const TEncodeRunOptions& options,
                           const TEncodeRunHooks& hooks) {
  const int32_t leastArea = ExtractDots(job, options, hooks);
  const int32_t origin = ContinueEncoding(job, options, hooks);
  TEncodeSummary summary = SummarizeEncoding(job);
  summary.LeastArea = leastArea;
  summary.Origin = origin;
  return summary;
}

TEncodeSummary SummarizeEncoding(const TEncode& job) {
  TEncodeSummary summary;
  summary.Width = job.Image().Width();
  summary.Height = job.Image().Height();
  summary.Dots = job.DotSum();
  summary.LeastArea = job.AreaThreshold();
  summary.Decoding = job.Image().Decoding();
  summary.Sorting = job.Sorting();
  for (int32_t i = 0; i < job.DotSum(); ++i) {
    summary.Coded += job.DotInfo()[i].Coded;
    summary.Neted += job.DotInfo()[i].Neted;
  }
  return summary;
}
