#include "workflow/Workflow.h"

#include <algorithm>

#include "base/Convert.h"
#include "base/Path.h"
#include "encode/Codecheck.h"
#include "encode/Encode.h"
#include "match/Match.h"
#include "segment/Segment.h"

namespace {

std::string Factors(float x, float y) {
  return Format("%g x %g", static_cast<double>(x), static_cast<double>(y));
}

bool Unscaled(float x, float y) {
  return x == 1.0f && y == 1.0f;
}

const char* StageText(int32_t stage) {
  if (stage == 0) return "origin from the grid interval dx, dy";
  if (stage < 0) return "origin picked by hand";
  return "automatic";
}

}  // namespace

TWorkflow::TWorkflow()
    : FEditHistory([this] { return FEncoder.get(); }, [this] { return FSegmenter.get(); }) {}

TWorkflow::~TWorkflow() {
  FSegmenter.reset();
  FEncoder.reset();
  FMatcher.reset();
  FDisplayImage.reset();
}

void TWorkflow::ReleaseJobs(bool segmenter, bool encoder, bool displayImage) {
  if (encoder) FEncoder.reset();
  if (segmenter) FSegmenter.reset();
  if (displayImage) FDisplayImage.reset();
}

const TGrayImage* TWorkflow::ShownImage() const {
  if (FEncoder) return &FEncoder->Image();
  if (FSegmenter) return &FSegmenter->Image();
  return FDisplayImage.get();
}

void TWorkflow::SetDelay(bool delay) {
  FDelayEncoding = delay;
  if (FEncoder) FEncoder->SetDelay(FDelayEncoding ? 50 : 0);
}

bool TWorkflow::ScaleFromEarlierRun() const {
  return !FScaleSetThisRun && !Unscaled(FScaleX, FScaleY);
}

bool TWorkflow::MatchStale() const {
  return FMatcher && (FMatchScaleX != FScaleX || FMatchScaleY != FScaleY);
}

std::string TWorkflow::ScaleStateText() const {
  // Short: the status bar's message shares the line.
  std::string text =
      "   Scale: " +
      (Unscaled(FScaleX, FScaleY) ? std::string("none (px)") : Factors(FScaleX, FScaleY) + "/px");
  if (ScaleFromEarlierRun()) text += " (earlier run)";
  if (MatchStale()) text += "   Match: stale (scale " + Factors(FMatchScaleX, FMatchScaleY) + ")";
  return text;
}

std::string TWorkflow::CodeFileScaleNote() const {
  if (Unscaled(FScaleX, FScaleY)) return "";
  return " It carries the scale " + Factors(FScaleX, FScaleY) + " per pixel" +
         (ScaleFromEarlierRun() ? ", kept from an earlier run (Set Scale changes it)" : "") +
         ": matching gives its positions in that unit.";
}

std::string TWorkflow::StateText() const {
  std::string picture = "none";
  if (FEncoder)
    picture = ExtractFileName(FEncodeImageName);
  else if (FSegmenter)
    picture = ExtractFileName(FSegmentImageName);
  else if (FDisplayImage)
    picture = ExtractFileName(FDisplayImage->FileName());
  return "Folder: " + FWorkDir + "   Picture: " + picture +
         "   Code file: " + (FCodeFileName.empty() ? "none" : ExtractFileName(FCodeFileName)) +
         "   Dots: " + (FWhiteDots ? "white" : "black") +
         "   Encoding: " + StageText(FEncodeStage) + ScaleStateText();
}

std::string TWorkflow::EncodeStageText() const {
  return StageText(FEncodeStage);
}

std::string TWorkflow::EncodeSummary() const {
  if (!FEncoder) return "";
  const TCodeCheck check = CheckCodes(FEncoder->DotInfo(), FEncoder->DotSum());
  std::string text = IntToStr(FEncoder->DotSum()) + " dots found, " + IntToStr(check.Coded) +
                     " indexed, " + IntToStr(FEncoder->DotSum() - check.Coded) + " not indexed.";
  if (check.Coded < FEncoder->DotSum())
    text +=
        " Next: check the dots marked red (Show Position), correct them in Encode Parameter, "
        "then Save Result (Ctrl+S).";
  else
    text += " Next: Save Result (Ctrl+S).";
  return text;
}

std::string TWorkflow::MatchSummary() const {
  if (!FMatcher) return "";
  double sx = 0, sy = 0;
  const auto pairs = static_cast<size_t>(std::max(FMatcher->FMatchSum, 0));
  for (size_t k = 0; k < pairs && k < FMatcher->FDisplacement.size(); ++k) {
    sx += static_cast<double>(FMatcher->FDisplacement[k].x);
    sy += static_cast<double>(FMatcher->FDisplacement[k].y);
  }
  std::string text = IntToStr(FMatcher->FMatchSum) + " pairs matched";
  if (pairs > 0)
    text += ", mean displacement (" + Format("%.3f", sx / static_cast<double>(pairs)) + ", " +
            Format("%.3f", sy / static_cast<double>(pairs)) + ")";
  return text + ". Next: Save Result.";
}
