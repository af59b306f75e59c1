#include "app/sequence/Sequencemenu.h"

#include <QAction>
#include <QMenu>
#include <filesystem>
#include <system_error>

#include "app/Main.h"
#include "app/Platform.h"
#include "app/sequence/Sequenceform.h"
#include "app/sequence/Sequencesetup.h"
#include "base/Commandfiles.h"
#include "base/Error.h"
#include "track/Trackfiles.h"
#include "track/Trackinput.h"

namespace {

void TrackSequenceMenuItemClick(TMainForm& form) {
  TSequenceForm* window = SequenceForm(form, true);
  if (window->Running()) {
    window->show();
    throw TError("A sequence is being tracked: Cancel it first");
  }
  TSequenceSetupForm setup(form.Platform(), &form);
  setup.SetDefaults(form.FWhiteDots, form.FScaleX, form.FScaleY, form.FWorkDir);
  if (!form.Platform().ExecDialog(setup)) return;
  const std::vector<std::string> pictures = SequencePictures(setup.PictureArguments());
  const TTrackOptions options = setup.Options();
  const std::string out = setup.OutDir();
  if (out.empty()) throw TError("Give a folder for the results");
  namespace fs = std::filesystem;
  std::error_code failure;
  if (fs::exists(out, failure) && !fs::is_directory(out, failure))
    throw TError(out + " is a file: the results need a folder");
  if (fs::exists(fs::path(out) / "summary.csv", failure) &&
      !form.Platform().Ask("The folder " + out +
                           " holds the results of an earlier run (summary.csv).\nWrite over "
                           "them? (Files of steps beyond this run's stay.)"))
    return;
  fs::create_directories(fs::path(out) / "codes", failure);
  if (failure) throw TError("Cannot create the folder " + out + ": " + failure.message());
  std::vector<TCommandFile> inputs, outputs;
  TrackCommandFiles(pictures, out, options.Plots, inputs, outputs);
  const TFileCheck check = CheckCommandFiles(inputs, outputs, false);
  if (check.Status != 0) throw TError(check.Message);
  window->StartRun(pictures, out, options);
}

void OpenTrackResultsMenuItemClick(TMainForm& form) {
  const auto folder =
      form.Platform().ChooseFolder("Select the results folder of a tracked sequence");
  if (!folder) return;
  SequenceForm(form, true)->OpenResults(*folder);
}

void SequenceResultMenuItemClick(TMainForm& form) {
  TSequenceForm* window = SequenceForm(form, false);
  if (window == nullptr || window->Steps() == nullptr)
    throw TError("Track a sequence or open its results first");
  window->show();
  window->raise();
  window->Attach();
}

}  // namespace

TSequenceForm* SequenceForm(TMainForm& form, bool make) {
  auto* window = form.findChild<TSequenceForm*>("SequenceForm");
  if (window == nullptr && make) {
    window = new TSequenceForm(form);
    form.addDockWidget(Qt::RightDockWidgetArea, window);
    window->hide();  // until there is something to show
  }
  return window;
}

void EndSequenceView(TMainForm& form) {
  if (TSequenceForm* window = SequenceForm(form, false)) window->EndView();
}

void AddSequenceItems(TMainForm& form, QMenu* menu) {
  menu->addSeparator();
  struct TItem {
    const char* Name;
    const char* Text;
    const char* Tip;
    void (*Handler)(TMainForm&);
  };
  const TItem items[] = {
      {"TrackSequenceMenuItem", "Track Se&quence...",
       "the pictures of a whole test tracked step by step against the first, in the background",
       TrackSequenceMenuItemClick},
      {"OpenTrackResultsMenuItem", "Open Track Res&ults...",
       "the results folder of a tracked sequence, step by step", OpenTrackResultsMenuItemClick},
      {"SequenceResultMenuItem", "Sequence Resu&lt", "the sequence window again",
       SequenceResultMenuItemClick}};
  for (const TItem& item : items) {
    QAction* action = menu->addAction(item.Text);
    action->setObjectName(item.Name);
    action->setStatusTip(item.Tip);
    QObject::connect(action, &QAction::triggered, &form, [&form, handler = item.Handler] {
      form.RunCommand([&form, handler] { handler(form); });
    });
  }
}
