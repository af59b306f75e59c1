#include "app/Main.h"

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

#include "app/About.h"
#include "app/encode/Encodeparameter.h"
#include "app/encode/Resetcoordinate.h"
#include "app/match/Computescale.h"
#include "app/match/Strainresult.h"
#include "app/platform/Busyfilter.h"
#include "app/platform/Platform.h"
#include "app/platform/Recentfiles.h"
#include "app/platform/Settings.h"
#include "app/platform/Toolwindows.h"
#include "app/segment/Segmentparameter.h"
#include "app/sequence/Sequencemenu.h"
#include "app/view/Paintbox.h"
#include "app/view/Zoomview.h"
#include "base/Cancel.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "segment/Segment.h"
#include "workflow/Edithistory.h"

namespace {

// Stops every event to the object it watches: installed last, it is asked first.
class TDeafFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent*) override { return true; }
};

}  // namespace

static void InitIcons() {
  // The icons live in the GUI library; a static library's resources need registering.
  Q_INIT_RESOURCE(icons);
}

TMainForm::TMainForm(TPlatform& platform, QWidget* parent)
    : QMainWindow(parent), FPlatform(platform) {
  InitIcons();
  FBusyFilter = new TBusyFilter(this);
  FRecentFiles = std::make_unique<TRecentFiles>();
  setWindowTitle("Latticor Method ");
  ReadWorkDir();

  FImageView = new TZoomView(this);
  FImageView->setObjectName("ImageView");
  setCentralWidget(FImageView);
  TPaintBox* box = FImageView->PaintBox();
  box->setObjectName("PaintBox");
  box->OnMouseDown = [this](int32_t x, int32_t y, Qt::MouseButton) {
    RunCommand([=, this] { PaintBoxMouseDown(x, y); });
  };
  box->OnMouseMove = [this](int32_t x, int32_t y) {
    RunCommand([=, this] { PaintBoxMouseMove(x, y); });
  };
  box->OnMouseUp = [this](int32_t x, int32_t y, Qt::MouseButton) {
    RunCommand([=, this] { PaintBoxMouseUp(x, y); });
  };
  box->OnClick = [this] { RunCommand([this] { PaintBoxClick(); }); };
  BuildMenus();
  BuildDeskMenus();
  BuildToolBars();
  BuildShortcuts();
  statusBar()->setObjectName("StatusBar");
  FStateLabel = new QLabel(this);
  FStateLabel->setObjectName("StateLabel");
  statusBar()->addPermanentWidget(FStateLabel);
  FitImageView(FViewWidth, FViewHeight);

  RunCommand([this] { FormCreate(); });

  // The dialogs that live for the whole run, hidden until a command shows them.
  FComputeScaleForm = new TComputeScaleForm(*this);
  FEncodeParameterForm = new TEncodeParameterForm(*this);
  FAboutBox = new TAboutBox(FPlatform, this);
  FSegmentParameterForm = new TSegmentParameterForm(*this);
  FToolWindows = new TToolWindows([this] { return PictureOnScreen(); },
                                  [this] { return ControlsAndDocksOnScreen(); }, this);
  for (QWidget* window : std::initializer_list<QWidget*>{FComputeScaleForm, FEncodeParameterForm,
                                                         FSegmentParameterForm})
    FToolWindows->Track(window);
}

TMainForm::~TMainForm() {
  delete FStrainResultForm;  // while the view it draws on still exists
  // The tools that watch the view (probe, profile, sequence) ask the window about its events;
  // while the window is taken down it is no longer whole, so from here on they hear of none.
  PaintBox()->installEventFilter(new TDeafFilter(this));
}

TPaintBox* TMainForm::PaintBox() const {
  return FImageView->PaintBox();
}

TViewSurface& TMainForm::ViewSurface() {
  return FImageView->PaintBox()->Surface();
}

void TMainForm::ReadWorkDir() {
  std::string last = Settings::ReadLast();
  // Without a stored directory the home directory stands in: the filesystem root is not a place
  // where results can be written.
  if (last.empty()) last = QDir::homePath().toStdString();
  FWorkflow.FWorkDir = IncludeTrailingSlash(last);
  QDir::setCurrent(
      QString::fromStdString(FWorkflow.FWorkDir));  // a folder that has gone is ignored
}

void TMainForm::FormCreate() {
  Settings::EnsureScale();
  FWorkflow.FScaleX = static_cast<float>(Settings::ReadScale("scalex"));
  FWorkflow.FScaleY = static_cast<float>(Settings::ReadScale("scaley"));
}

void TMainForm::WriteLastDirectory() {
  Settings::WriteLast(QDir::currentPath().toStdString());
}

void TMainForm::RunCommand(const std::function<void()>& command) {
  const TStampValue drawn = ViewSurface().Stamp();
  try {
    command();
  } catch (const TCancelled&) {
    UpdateStateDisplay();
    Report("Cancelled with Esc: everything is as it was before the command.");
    return;
  } catch (const TError& e) {
    UpdateStateDisplay();
    ShowException(e.Message());
  } catch (const std::bad_alloc&) {
    UpdateStateDisplay();
    ShowException("Out of memory");
  } catch (const std::exception& e) {
    UpdateStateDisplay();
    ShowException(e.what());
  }
  UpdateStateDisplay();
  // A command that drew on the view ends the strain display, so that what it drew is seen.
  if (!(ViewSurface().Stamp() == drawn)) {
    EndStrainView();
    EndSequenceView(*this);
  }
}

void TMainForm::EndStrainView() {
  if (FStrainResultForm != nullptr && !FStrainResultForm->isHidden()) FStrainResultForm->close();
}

void TMainForm::ShowException(const std::string& message) {
  FPlatform.ShowError(DisplayText(message));
}

void TMainForm::SetRunStatus(bool busy) {
  FBusy = busy;
  FRunStatusButton->setIcon(QIcon(busy ? ":/icons/status_busy.svg" : ":/icons/status_idle.svg"));
}

void TMainForm::LongCommand(const std::function<void()>& work) {
  SetRunStatus(true);
  repaint();
  FBusyFilter->Begin();
  try {
    work();
  } catch (...) {
    // Back to idle before the error is shown, so the window never stays red behind the box.
    FBusyFilter->End();
    PaintBox()->update();
    FPlatform.Beep();
    SetRunStatus(false);
    throw;
  }
  FBusyFilter->End();
  PaintBox()->update();
  FPlatform.Beep();
  SetRunStatus(false);
}

bool TMainForm::CancelRequested() {
  return FBusyFilter->Cancelled();
}

void TMainForm::FitImageView(int32_t w, int32_t h) {
  FViewWidth = w;
  FViewHeight = h;
  // Centred in the scroll area; a picture larger than the window is shown whole.
  FImageView->ShowPicture(w, h);
  PaintBoxPaint();
}

void TMainForm::PaintBoxPaint() {
  TViewSurface& surface = ViewSurface();
  const TGrayImage* image = FWorkflow.ShownImage();
  if (image == nullptr || image->Width() < surface.Width() || image->Height() < surface.Height())
    surface.Reset(surface.Width(), surface.Height(), PaintBox()->Background());
  if (image != nullptr) image->Repaint(&surface);
  if (image == FWorkflow.FDisplayImage.get()) DrawCodeViewDots();
  PaintBox()->update();
}

void TMainForm::DrawSegmentImage() {
  if (!FWorkflow.FSegmenter) return;
  FWorkflow.FSegmenter->Image().Repaint(&ViewSurface());
  PaintBox()->update();
}

void TMainForm::ReleaseJobs(bool segmenter, bool encoder, bool displayImage) {
  FWorkflow.ReleaseJobs(segmenter, encoder, displayImage);
  if (displayImage) FCodeViewDots.clear();
}

std::string TMainForm::FollowChoice(const std::string& chosen) {
  const std::string name = ExtractFileName(chosen);
  if (name.size() == chosen.size())
    return FWorkflow.FWorkDir + name;  // a bare name: the working directory
  const std::string folder = IncludeTrailingSlash(chosen.substr(0, chosen.size() - name.size()));
  if (folder != FWorkflow.FWorkDir && QDir(QString::fromStdString(folder)).exists()) {
    FWorkflow.FWorkDir = folder;
    QDir::setCurrent(QString::fromStdString(FWorkflow.FWorkDir));
  }
  return folder + name;
}

void TMainForm::DisplayImageMenuItemClick() {
  auto chosen = FPlatform.OpenFile("select image file to display", 1, FWorkflow.FWorkDir, "");
  if (!chosen) return;
  // The path as the dialog gave it: viewing does not go through the working directory.
  DisplayImage(*chosen);
  RememberRecent("display", *chosen);
}

void TMainForm::DisplayImage(const std::string& fileName) {
  ReleaseJobs(true, true, true);
  try {
    FWorkflow.FDisplayImage = std::make_unique<TGrayImage>(fileName);
  } catch (...) {
    PaintBoxPaint();  // the released pictures must not stay on the view
    throw;
  }
  FitImageView(FWorkflow.FDisplayImage->Width(), FWorkflow.FDisplayImage->Height());
}

void TMainForm::SetScaleMenuItemClick() {
  FComputeScaleForm->show();
  FComputeScaleForm->raise();
}

void TMainForm::SetCoordinateMenuItemClick() {
  TReSetCoordinateForm dialog(this);
  dialog.SetTableSize(FWorkflow.MaxNx, FWorkflow.MaxNy);
  if (FWorkflow.FEncoder && FWorkflow.FEncoder->DotSum() > 1) {
    const TTableSize needed = AutoTableSize(*FWorkflow.FEncoder, 0, 0);
    dialog.SetNeededSize(needed.MaxNx, needed.MaxNy);
  }
  if (!FPlatform.ExecDialog(dialog)) return;
  // One after the other: a bad second field leaves the new first one in place.
  FWorkflow.MaxNx = dialog.MaxNx();
  FWorkflow.MaxNy = dialog.MaxNy();
  Report(Format("Table max Nx %d, max Ny %d for New Encode and the next automatic Do Encoding.",
                FWorkflow.MaxNx, FWorkflow.MaxNy));
}

void TMainForm::SetWorkingDirectoryMenuItemClick() {
  auto folder = FPlatform.ChooseFolder("Select Working Directory");
  if (!folder) return;
  QDir::setCurrent(QString::fromStdString(*folder));
  FWorkflow.FWorkDir = IncludeTrailingSlash(*folder);
}

void TMainForm::WhiteDotToolButtonClick() {
  FWorkflow.FWhiteDots = !FWorkflow.FWhiteDots;
  FWhiteDotAction->setIcon(
      QIcon(FWorkflow.FWhiteDots ? ":/icons/whitedots.svg" : ":/icons/blackdots.svg"));
}

void TMainForm::ExitMenuItemClick() {
  close();
}

void TMainForm::SegmentParameterMenuItemClick() {
  FSegmentParameterForm->show();
  FSegmentParameterForm->raise();
}

void TMainForm::EncodeParameterMenuItemClick() {
  FEncodeParameterForm->show();
  FEncodeParameterForm->raise();
}

void TMainForm::DelayMenuItemClick() {
  // The menu item toggles its own check mark.
  FWorkflow.SetDelay(FDelayMenuItem->isChecked());
}

void TMainForm::AboutMenuItemClick() {
  FPlatform.ExecDialog(*FAboutBox);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!FPlatform.Ask("Do you really want to Exit ?")) {
    event->ignore();
    return;
  }
  Settings::WriteScale(FWorkflow.FScaleX, FWorkflow.FScaleY);
  FToolWindows->RememberAll();
  event->accept();
}
