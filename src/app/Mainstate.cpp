// What the window tells about the work: the state panel in the status bar (working directory,
// picture, code file, dot polarity, encoding stage) and, after each command, what happened and
// what to do next.
#include <QLabel>
#include <QStatusBar>
#include <cmath>

#include "app/Main.h"
#include "app/platform/Platform.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Codecheck.h"
#include "encode/Encode.h"
#include "match/Match.h"

void TMainForm::UpdateStateDisplay() {
  if (FStateLabel == nullptr) return;
  FStateLabel->setText(QString::fromStdString(FWorkflow.StateText()));
  UpdateEditActions();
}

void TMainForm::Report(const std::string& text) {
  statusBar()->showMessage(QString::fromStdString(text));
}

bool TMainForm::ConfirmCodesToSave() {
  const TCodeCheck check = CheckCodes(FWorkflow.FEncoder->DotInfo(), FWorkflow.FEncoder->DotSum());
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
