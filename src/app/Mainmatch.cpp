// The Match menu: pair the dots of two code files by grid position and write the displacements
// in the layout chosen in the result type dialog. The working directory follows the files
// chosen.

#include "app/Main.h"
#include "app/Platform.h"
#include "app/match/Matchresult.h"
#include "base/Error.h"
#include "base/Path.h"
#include "match/Match.h"

void TMainForm::DoMatchingMenuItemClick() {
  auto initial = FPlatform.OpenFile("selet the initial code file", 2, FWorkDir, "");
  if (!initial) return;
  const std::string initialPath = FollowChoice(*initial);
  auto deformed = FPlatform.OpenFile("select the deformed code file", 2, FWorkDir, "");
  if (!deformed) return;
  const std::string deformedPath = FollowChoice(*deformed);
  FMatcher.reset();
  LongCommand([&] {
    // The job is kept only when both files loaded and the pairing ended.
    TMatchOwner job(new TMatch(initialPath, deformedPath), [](TMatch* m) { delete m; });
    job->Match();
    FMatcher = std::move(job);
  });
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
}
