// What a desktop user expects around the specified commands: undo and redo in an Edit menu,
// recent files, pictures and code files dropped on the window, names proposed for saving, the
// manual on F1, and the places tool windows must leave free.
#include <QAction>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "app/Main.h"
#include "app/Manual.h"
#include "app/Recentfiles.h"
#include "app/Toolwindows.h"
#include "app/Zoomview.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Encodedefaults.h"
#include "image/Grayimage.h"

namespace {

QAction* FindAction(QMenu* menu, const char* name) {
  for (QAction* a : menu->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

const char* KindText(const std::string& kind) {
  if (kind == "segment") return "New Segment";
  if (kind == "encode") return "New Encode";
  if (kind == "code") return "code file";
  return "Display image";
}

}  // namespace

void TMainForm::BuildDeskMenus() {
  QMenu* system = menuBar()->findChild<QMenu*>("SystemMenu");
  QMenu* recent = new QMenu("Open &Recent", system);
  recent->setObjectName("RecentMenu");
  system->insertMenu(system->actions().value(1), recent);
  connect(recent, &QMenu::aboutToShow, this, [this, recent] {
    recent->clear();
    for (const TRecentFiles::TEntry& e : FRecentFiles->Entries()) {
      QAction* item = recent->addAction(QString::fromStdString(ExtractFileName(e.Path)) + "  (" +
                                        KindText(e.Kind) + ")");
      item->setStatusTip(QString::fromStdString(e.Path));
      connect(item, &QAction::triggered, this, [this, e] {
        RunCommand([this, e] {
          if (!FileExists(e.Path)) {
            FRecentFiles->Remove(e.Path);
            throw TError("The file " + e.Path + " is not there any more; it is taken off the list");
          }
          if (e.Kind == "segment")
            NewSegment(e.Path);
          else if (e.Kind == "encode")
            NewEncode(e.Path);
          else if (e.Kind == "code")
            OpenCodeFile(e.Path);
          else
            DisplayImage(e.Path);
        });
      });
    }
    recent->setEnabled(true);
    if (recent->isEmpty()) recent->addAction("(none yet)")->setEnabled(false);
  });

  QMenu* edit = new QMenu("&Edit", this);
  edit->setObjectName("EditMenu");
  menuBar()->insertMenu(menuBar()->findChild<QMenu*>("SegmentMenu")->menuAction(), edit);
  FUndoAction = AddMenuItem(edit, "UndoMenuItem", "&Undo", &TMainForm::UndoMenuItemClick);
  FUndoAction->setShortcut(QKeySequence::Undo);
  FRedoAction = AddMenuItem(edit, "RedoMenuItem", "&Redo", &TMainForm::RedoMenuItemClick);
  FRedoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
  // Also while a tool window (where the corrections are made) is the active one.
  FUndoAction->setShortcutContext(Qt::ApplicationShortcut);
  FRedoAction->setShortcutContext(Qt::ApplicationShortcut);

  QMenu* help = menuBar()->findChild<QMenu*>("HelpMenu");
  QAction* manual = AddMenuItem(help, "ManualMenuItem", "&Manual", &TMainForm::ManualMenuItemClick,
                                "Manual|a short manual of this application");
  help->insertAction(FindAction(help, "AboutMenuItem"), manual);
  manual->setShortcut(QKeySequence::HelpContents);
  manual->setShortcutContext(Qt::ApplicationShortcut);
  setAcceptDrops(true);
}

void TMainForm::ManualMenuItemClick() {
  if (FManualForm == nullptr) {
    FManualForm = new TManualForm(this);
    addDockWidget(Qt::LeftDockWidgetArea, FManualForm);
    WatchDock(FManualForm);
  }
  FManualForm->show();
  FManualForm->raise();
}

void TMainForm::WatchDock(QDockWidget* dock) {
  // Once the layout has given the dock its place.
  const auto keepClear = [this] {
    QTimer::singleShot(0, this, [this] { FToolWindows->KeepClear(); });
  };
  connect(dock, &QDockWidget::visibilityChanged, this, keepClear);
  connect(dock, &QDockWidget::dockLocationChanged, this, keepClear);
}

void TMainForm::RememberRecent(const char* kind, const std::string& path) {
  FRecentFiles->Add(kind, QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
}

std::string TMainForm::ProposedSaveName(const std::string& picture, const char* extension) const {
  std::string name = ExtractFileName(picture);
  if (name.empty()) return "";
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  // A code file is named after the picture the segmented one came from.
  const std::string ext = extension;
  if (ext == ".cod")
    for (const char* suffix : {"-seg", "_seg", "-segmented", "_segmented"})
      if (name.size() > std::string(suffix).size() && name.ends_with(suffix))
        name.resize(name.size() - std::string(suffix).size());
  return name + ext;
}

void TMainForm::OpenDropped(const std::string& path) {
  std::string ext = path.substr(path.size() - ExtractFileName(path).size());
  const size_t dot = ext.rfind('.');
  ext = dot == std::string::npos ? "" : ext.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".cod") {
    OpenCodeFile(path);
    return;
  }
  if (ext != ".bmp" && !IsCameraPictureExt(ext))
    throw TError("The file " + path +
                 " is neither a picture (bitmap, PNG, TIFF, PGM, JPEG) nor a code file (.cod)");
  // A segmented picture has gone through the Segment menu already.
  if (LookOfSegmentation(TGrayImage(path), FWhiteDots) == TSegmentedLook::Segmented)
    NewEncode(path);
  else
    NewSegment(path);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!FBusy && event->mimeData()->hasUrls() && event->mimeData()->urls().first().isLocalFile())
    event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (FBusy || urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  const std::string path = urls.first().toLocalFile().toStdString();
  RunCommand([this, path] { OpenDropped(path); });
  if (urls.size() > 1)
    Report("Opened the first of the files dropped, " + ExtractFileName(path) + ".");
}

QList<QRect> TMainForm::ControlsAndDocksOnScreen() const {
  QList<QRect> taken{ControlsOnScreen()};
  const auto global = [](const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
  };
  for (const QDockWidget* dock : findChildren<QDockWidget*>())
    if (dock->isVisible())
      taken.push_back(dock->isFloating() ? dock->frameGeometry() : global(dock));
  if (statusBar()->isVisible()) taken.push_back(global(statusBar()));
  for (const QWidget* control : std::initializer_list<const QWidget*>{
           FImageView->Legend(), FImageView->horizontalScrollBar(),
           FImageView->verticalScrollBar()})
    if (control != nullptr && control->isVisible()) taken.push_back(global(control));
  return taken;
}
