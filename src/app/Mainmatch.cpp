// The Match menu: pair the dots of two code files by grid position and write the displacements
// in the layout chosen in the result type dialog; the strain of the pairs in a window beside
// the view. The working directory follows the files chosen.

#include "app/Main.h"
#include "app/Platform.h"
#include "app/match/Matchresult.h"
#include "app/match/Strainresult.h"
#include "base/Cancel.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "match/Match.h"
#include "match/Matchalign.h"
#include "register/Pairingcheck.h"

void TMainForm::DoMatchingMenuItemClick() {
  auto initial = FPlatform.OpenFile("selet the initial code file", 2, FWorkDir, "");
  if (!initial) return;
  const std::string initialPath = FollowChoice(*initial);
  auto deformed = FPlatform.OpenFile("select the deformed code file", 2, FWorkDir, "");
  if (!deformed) return;
  const std::string deformedPath = FollowChoice(*deformed);
  // The strain shown is the old job's; it goes with it.
  EndStrainView();
  LongCommand([&] {
    // The new job replaces the former one when both files loaded and the pairing ended; a
    // failure leaves no job, Esc leaves the former one.
    try {
      TMatchOwner job(new TMatch(initialPath, deformedPath), [](TMatch* m) { delete m; });
      if (CancelRequested()) throw TCancelled();
      job->Match();
      if (CancelRequested()) throw TCancelled();
      FMatcher = std::move(job);
      FMatchScaleX = FScaleX;
      FMatchScaleY = FScaleY;
    } catch (const TCancelled&) {
      throw;
    } catch (...) {
      FMatcher.reset();
      throw;
    }
  });
  if (FMatcher) OfferAlignment();
  Report(MatchSummary());
  if (FMatcher && FMatcher->FMatchSum > 0) StrainResultMenuItemClick();
}

void TMainForm::StrainResultMenuItemClick() {
  if (!FMatcher) throw TError("Do matching first");
  if (FStrainResultForm == nullptr) {
    FStrainResultForm = new TStrainResultForm(*this);
    addDockWidget(Qt::RightDockWidgetArea, FStrainResultForm);
    WatchDock(FStrainResultForm);
    FStrainResultForm->hide();  // until there is something to show
  }
  FStrainResultForm->ShowResult();
}

// Two code files whose origins were picked some dots apart pair every dot with another one. A
// shift is offered only where the dots' patterns show it; where nothing decides, the warning
// alone.
void TMainForm::OfferAlignment() {
  const TPairingCheck check = CheckPairing(*FMatcher);
  if (check.Kind == TPairingCheck::TKind::Suspicious) {
    FPlatform.ShowNotice(check.Warning());
    return;
  }
  if (check.Kind != TPairingCheck::TKind::Off) return;
  const TIndexMap& map = check.Map;
  const std::string question = Format(
      "The dots' patterns show that the two code files index the grid from origins (%d, %d) "
      "dots apart%s: every pair joins a dot with another one.\n\n%s the deformed indices by "
      "(%d, %d) and match again?\n\n(Or encode the deformed picture with the initial code file "
      "as reference.)",
      map.Tx, map.Ty, map.K == 0 ? "" : " and turned", map.K == 0 ? "Shift" : "Turn and shift",
      map.Tx, map.Ty);
  if (!FPlatform.Ask(question)) return;
  AlignDeformed(*FMatcher, map.Tx, map.Ty, map.K);
  FPlatform.ShowNotice(AlignmentNote(map.Tx, map.Ty, map.K));
}

void TMainForm::SaveMatchResultMenuItemClick() {
  if (!FMatcher) throw TError("Do matching first");
  TMatchResultForm dialog(this);
  auto chosen = FPlatform.SaveFile("Save matching results to", 3, FWorkDir, "Match0", "dat");
  if (!chosen) return;
  const std::string path = FollowChoice(*chosen);
  if (!FPlatform.ExecDialog(dialog)) return;
  LongCommand([&] {
    FMatcher->FChangeYAxis = dialog.ChangeYAxis();
    const int32_t layout = dialog.Layout();
    if (layout >= 0 && layout < TMatch::LayoutCount) FMatcher->WriteResult(layout, path);
  });
  if (MatchStale())
    Report("Saved " + path + ", from a matching made at another scale than the one in force.");
  OfferPairsCsv(path);
}
