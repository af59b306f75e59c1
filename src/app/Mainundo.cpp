// Hand corrections through the edit history: Modify Coord. (asking about a grid position that
// another dot has), Modify Origin, the picks of the origin and its neighbours and the erasures
// of the segment parameter dialog; Ctrl+Z and Ctrl+Y undo and redo them.
#include <QAction>

#include "app/Main.h"
#include "app/encode/Encodeparameter.h"
#include "app/platform/Platform.h"
#include "app/view/Paintbox.h"
#include "base/Convert.h"
#include "encode/Dotedit.h"
#include "encode/Encode.h"
#include "segment/Segment.h"
#include "workflow/Edithistory.h"

namespace {

const char* SlotName(int32_t slot) {
  switch (slot) {
    case 0:
      return "right neighbour";
    case 1:
      return "down neighbour";
    case 2:
      return "left neighbour";
    case 3:
      return "up neighbour";
    default:
      return "origin";
  }
}

}  // namespace

void TMainForm::CorrectDot(int32_t index, int32_t nx, int32_t ny, bool neted) {
  if (!FWorkflow.FEncoder) return;
  const int32_t taken = CodedDotAt(*FWorkflow.FEncoder, nx, ny, index);
  if (taken >= 0 &&
      !FPlatform.Ask(Format("Dot %d has the grid indices (%d,%d) already: matching would pair "
                            "only one of the two dots there.\nGive them to dot %d as well?",
                            taken, nx, ny, index))) {
    Report(
        Format("Dot %d keeps its grid indices: (%d,%d) belongs to dot %d.", index, nx, ny, taken));
    return;
  }
  FWorkflow.FEditHistory.ModifyDot(*FWorkflow.FEncoder, index, nx, ny, neted);
  ShowCorrection(index);
  Report(Format("Dot %d now has the grid indices (%d,%d). Undo with Ctrl+Z.", index, nx, ny));
}

void TMainForm::MoveOrigin(int32_t index) {
  if (!FWorkflow.FEncoder) return;
  FWorkflow.FEditHistory.ModifyOrigin(*FWorkflow.FEncoder, index);
  ShowCorrection(index);
}

void TMainForm::ShowCorrection(int32_t dot) {
  FWorkflow.FEncoder->ShowPosition();
  // Where labels crowd, the view keeps the one written last: the corrected dot's.
  if (dot >= 0 && dot < std::min(FWorkflow.FEncoder->DotSum(),
                                 static_cast<int32_t>(FWorkflow.FEncoder->DotInfo().size()))) {
    const TDotInfo& d = FWorkflow.FEncoder->DotInfo()[static_cast<size_t>(dot)];
    ViewSurface().TextOut(static_cast<int32_t>(d.x), static_cast<int32_t>(d.y),
                          FWorkflow.FEncoder->DotLabel(dot));
  }
  PaintBox()->update();
}

void TMainForm::SetPick(int32_t slot, int32_t index, bool merge) {
  FWorkflow.FEditHistory.Pick(FEncodeParameterForm->SlotValue(slot), index, SlotName(slot), merge);
}

void TMainForm::EraseRect(int32_t x, int32_t y, int32_t dx, int32_t dy) {
  if (!FWorkflow.FSegmenter) return;
  FWorkflow.FEditHistory.Erase(*FWorkflow.FSegmenter, FWorkflow.FWhiteDots, x, y, dx, dy);
  DrawSegmentImage();
}

void TMainForm::UndoMenuItemClick() {
  TakeEditStep(true);
}

void TMainForm::RedoMenuItemClick() {
  TakeEditStep(false);
}

void TMainForm::TakeEditStep(bool undo) {
  const auto done = undo ? FWorkflow.FEditHistory.Undo() : FWorkflow.FEditHistory.Redo();
  if (!done) return;
  if (!done->Applied) {
    Report(std::string(undo ? "Nothing undone: " : "Nothing redone: ") + done->Name +
           " was made on a picture or encoding that has changed since, or is gone.");
    return;
  }
  if (done->Kind == TEditHistory::TKind::Dots && FWorkflow.FEncoder) ShowCorrection(done->Dot);
  if (done->Kind == TEditHistory::TKind::Erase) DrawSegmentImage();
  if (done->Kind == TEditHistory::TKind::Pick)
    FEncodeParameterForm->SpeedButtonClick(FEncodeParameterForm->ActiveSlot());
  Report((undo ? "Undone: " : "Redone: ") + done->Name + (undo ? ". Redo with Ctrl+Y." : "."));
}

void TMainForm::UpdateEditActions() {
  if (FUndoAction == nullptr) return;
  const std::string undo = FWorkflow.FEditHistory.UndoName(),
                    redo = FWorkflow.FEditHistory.RedoName();
  FUndoAction->setEnabled(!undo.empty());
  FRedoAction->setEnabled(!redo.empty());
  FUndoAction->setStatusTip(
      QString::fromStdString(undo.empty() ? "Nothing to undo" : "Undo " + undo));
  FRedoAction->setStatusTip(
      QString::fromStdString(redo.empty() ? "Nothing to redo" : "Redo " + redo));
}
