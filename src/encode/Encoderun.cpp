#include "encode/Encoderun.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

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

// What a walk from an origin changes in a job whose dots are extracted, to be put back when the
// walk is cancelled (the walk puts the picture back itself).
struct TWalkState {
  std::vector<TDotInfo> Dots;
  TCoordinate Table;
  float TolX, TolY, Ratio;
  int32_t Delay, CodedSum;
  TSurface* Canvas;
  std::function<void(int32_t)> Pause;
  std::function<bool()> Cancel;

  explicit TWalkState(const TEncode& job)
      : Dots(job.FDotInfo),
        Table(job.FCoordinate),
        TolX(job.FTolX),
        TolY(job.FTolY),
        Ratio(job.FRatio),
        Delay(job.FDelay),
        CodedSum(job.FCodedSum),
        Canvas(job.FCanvas),
        Pause(job.FPause),
        Cancel(job.FCancel) {}
  void Restore(TEncode& job) {
    job.FDotInfo = std::move(Dots);
    job.FCoordinate = std::move(Table);
    job.FTolX = TolX, job.FTolY = TolY, job.FRatio = Ratio;
    job.FDelay = Delay, job.FCodedSum = CodedSum;
    job.FCanvas = Canvas, job.FPause = std::move(Pause), job.FCancel = std::move(Cancel);
  }
};

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
    leastArea = TEncode::LeastAreaOfMean(job.FAreaThreshold);
  else if (options.LeastArea.Mode == TLeastArea::TMode::Robust)
    leastArea = RobustLeastArea(job);
  else
    leastArea = options.LeastArea.Pixels;
  job.FAreaThreshold = leastArea;
  TFitHints hints;
  if (options.Lattice) {
    // A least area typed or given is the user's; the estimates only say where dots begin.
    const bool given = hooks.AskLeastArea || options.LeastArea.Mode == TLeastArea::TMode::Given;
    hints = SortDots(job, leastArea, given, hooks.Canvas);
    leastArea = job.FSorting.Ran ? job.FSorting.LeastArea : leastArea;
  } else {
    job.RemoveNoise(hooks.Canvas);
    CheckCancelled(hooks);
    job.BuildDotInfo(hooks.Canvas);
  }
  CheckCancelled(hooks);
  if (options.Refined) {
    const TGrayImage& picture = options.RefinePicture ? *options.RefinePicture : *job.FImage;
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
  std::optional<TWalkState> before;
  if (hooks.Cancelled) before.emplace(job);
  try {
    const int32_t origin = FindRunOrigin(job, options, hooks);
    job.FCanvas = hooks.Canvas;
    job.FDelay = hooks.Delay;
    job.FPause = hooks.Pause;
    job.FCancel = hooks.Cancelled;
    job.Encode(origin);
    return origin;
  } catch (const TCancelled&) {
    before->Restore(job);
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
  summary.Width = job.FImage->Width();
  summary.Height = job.FImage->Height();
  summary.Dots = job.FDotSum;
  summary.LeastArea = job.FAreaThreshold;
  summary.Decoding = job.FImage->Decoding();
  summary.Sorting = job.FSorting;
  for (int32_t i = 0; i < job.FDotSum; ++i) {
    summary.Coded += job.FDotInfo[i].Coded;
    summary.Neted += job.FDotInfo[i].Neted;
  }
  return summary;
}
