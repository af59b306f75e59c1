// The units of the results, in sight: the scale factors in force in the state panel (marked
// while they are an earlier run's), what Apply did, the scale a saved code file carries, a
// matching result made before the factors changed, and the y column of a displacement file
// that mixes pixels and units.
#include "app/Main.h"
#include "app/Platform.h"
#include "base/Convert.h"
#include "base/Path.h"
#include "match/Match.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"

namespace {

std::string Factors(float x, float y) {
  return Format("%g x %g", static_cast<double>(x), static_cast<double>(y));
}

bool Unscaled(float x, float y) {
  return x == 1.0f && y == 1.0f;
}

}  // namespace

bool TMainForm::ScaleFromEarlierRun() const {
  return !FScaleSetThisRun && !Unscaled(FScaleX, FScaleY);
}

bool TMainForm::MatchStale() const {
  return FMatcher && (FMatchScaleX != FScaleX || FMatchScaleY != FScaleY);
}

std::string TMainForm::ScaleStateText() const {
  // Short: the status bar's message shares the line.
  std::string text =
      "   Scale: " +
      (Unscaled(FScaleX, FScaleY) ? std::string("none (px)") : Factors(FScaleX, FScaleY) + "/px");
  if (ScaleFromEarlierRun()) text += " (earlier run)";
  if (MatchStale()) text += "   Match: stale (scale " + Factors(FMatchScaleX, FMatchScaleY) + ")";
  return text;
}

void TMainForm::ScaleApplied(float formerX, float formerY, bool typed) {
  FScaleSetThisRun = true;
  if (formerX == FScaleX && formerY == FScaleY) {
    Report("Nothing was applied: the scale " + Factors(FScaleX, FScaleY) + " is already in force." +
           (typed ? ""
                  : " Without Set Scale, Apply divides each actual length by its length in the "
                    "image (drag along the grid on the view with X or Y chosen); tick Set Scale "
                    "to type the factors."));
    return;
  }
  std::string text = "Scale " + Factors(FScaleX, FScaleY) + " per pixel (was " +
                     Factors(formerX, formerY) +
                     "): the code files saved from now on carry it; code files saved before keep "
                     "theirs.";
  if (MatchStale())
    text += " The matching result was made before: save the code files again and Do Matching.";
  Report(text);
}

std::string TMainForm::CodeFileScaleNote() const {
  if (Unscaled(FScaleX, FScaleY)) return "";
  return " It carries the scale " + Factors(FScaleX, FScaleY) + " per pixel" +
         (ScaleFromEarlierRun() ? ", kept from an earlier run (Set Scale changes it)" : "") +
         ": matching gives its positions in that unit.";
}

void TMainForm::OfferPairsCsv(const std::string& resultPath) {
  if (!FMatcher || !FMatcher->FChangeYAxis || FMatcher->FScaleY[0] == 1.0f) return;
  const std::string question = Format(
      "In %s the y column is the picture height in pixels (%d) minus the scaled y: with the "
      "scale y %g it mixes pixels and units, as the file format defines it (x, dx and dy are in "
      "the code files' unit).\nSave the pairs as CSV as well (nx,ny,x,y,dx,dy, y up from the "
      "bottom of the picture, all in the code files' unit)?",
      ExtractFileName(resultPath).c_str(), FMatcher->FImageHeight,
      static_cast<double>(FMatcher->FScaleY[0]));
  if (!FPlatform.Ask(question)) return;
  const std::string name = ExtractFileName(resultPath);
  const size_t dot = name.rfind('.');
  auto chosen =
      FPlatform.SaveFile("Save the pairs as CSV to", 4, FWorkDir,
                         (dot == std::string::npos ? name : name.substr(0, dot)) + ".csv", "csv");
  if (!chosen) return;
  const std::string path = FollowChoice(*chosen);
  WritePairsCsv(path, PairsFromMatch(*FMatcher));
  Report("Saved " + path + ": " + IntToStr(FMatcher->FMatchSum) +
         " pairs in the code files' unit.");
}
