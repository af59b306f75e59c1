// What the window tells about the work: the state panel in the status bar (working directory,
// picture, code file, dot polarity, encoding stage) and, after each command, what happened and
// what to do next.
#include <QLabel>
#include <QStatusBar>
#include <cmath>

#include "app/Main.h"
#include "app/Platform.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Codecheck.h"
#include "encode/Encode.h"
#include "match/Match.h"

namespace {

const char* StageText(int32_t stage) {
  if (stage == 0) return "origin from the grid interval dx, dy";
  if (stage < 0) return "origin picked by hand";
  return "automatic";
}

}  // namespace

void TMainForm::UpdateStateDisplay() {
  if (FStateLabel == nullptr) return;
  std::string picture = "none";
  if (FEncoder)
    picture = ExtractFileName(FEncodeImageName);
  else if (FSegmenter)
    picture = ExtractFileName(FSegmentImageName);
  else if (FDisplayImage)
    picture = ExtractFileName(FDisplayImage->FileName());
  const std::string text =
      "Folder: " + FWorkDir + "   Picture: " + picture +
      "   Code file: " + (FCodeFileName.empty() ? "none" : ExtractFileName(FCodeFileName)) +
      "   Dots: " + (FWhiteDots ? "white" : "black") + "   Encoding: " + StageText(FEncodeStage) +
      ScaleStateText();
  FStateLabel->setText(QString::fromStdString(text));
  UpdateEditActions();
}

std::string TMainForm::EncodeStageText() const {
  return StageText(FEncodeStage);
}

void TMainForm::Report(const std::string& text) {
  statusBar()->showMessage(QString::fromStdString(text));
}

std::string TMainForm::EncodeSummary() const {
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

std::string TMainForm::MatchSummary() const {
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

bool TMainForm::ConfirmCodesToSave() {
  const TCodeCheck check = CheckCodes(FEncoder->DotInfo(), FEncoder->DotSum());
  if (check.Coded == 0)
    return FPlatform.Ask(
        "No dot has grid indices: the code file would hold no dots.\n"
        "Save it anyway?");
  // Matching refuses a file with two dots at one position, so none is written.
  if (check.First >= 0)
    throw TError("Dots " + IntToStr(check.First) + " and " + IntToStr(check.Second) +
                 " both have the grid indices (" + IntToStr(check.Nx) + "," + IntToStr(check.Ny) +
                 "): a code file holds one dot per position, so it is not saved.\n"
                 "Start Encode Again on an encoded job gives such pairs; Do Encoding encodes "
                 "afresh, and Modify Coord. gives a dot other indices.");
  return true;
}
