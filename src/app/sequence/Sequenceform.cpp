// The sequence window: its controls, the tracking run and the mouse on the view.
#include "app/sequence/Sequenceform.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <filesystem>

#include "app/Formparts.h"
#include "app/Shell.h"
#include "app/match/Strainbar.h"
#include "app/match/Strainoverlay.h"
#include "app/platform/Platform.h"
#include "app/sequence/Sequencerun.h"
#include "app/view/Chartview.h"
#include "app/view/Colourrange.h"
#include "app/view/Paintbox.h"
#include "app/view/Zoomview.h"
#include "base/Error.h"
#include "base/Path.h"
#include "image/Grayimage.h"
#include "strain/Plotgeometry.h"
#include "track/Tracksummary.h"

namespace {

TChartView* NewChart(const char* name, QWidget* parent) {
  auto* chart = new TChartView(parent);
  chart->setObjectName(name);
  return chart;
}

}  // namespace

TSequenceForm::TSequenceForm(TShell& mainForm)
    : QDockWidget("Sequence", &mainForm.Window()),
      FMainForm(mainForm),
      FView(mainForm.ImageView()),
      FOverlay(std::make_unique<TStrainOverlay>()),
      FBar(new TStrainBar(mainForm.ImageView())) {
  setObjectName("SequenceForm");
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  FOverlay->SetDeformed(true);
  FBar->hide();
  auto* body = new QWidget(this);

  ProgressBar = new QProgressBar(body);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setFormat("%v of %m pictures");
  CancelButton = NewButton("CancelButton", "Cancel", body);
  CancelButton->setToolTip("Stop after the step in hand; the steps written stay complete");
  RunLabel = NewLabel("RunLabel", "", body);
  RunLabel->setWordWrap(true);
  StepSlider = new QSlider(Qt::Horizontal, body);
  StepSlider->setObjectName("StepSlider");
  StepSlider->setRange(0, 0);
  StepSlider->setPageStep(1);
  StepSlider->setToolTip("The step shown (Page Up, Page Down)");
  StepLabel = NewLabel("StepLabel", "", body);
  StepLabel->setWordWrap(true);
  FieldComboBox = new QComboBox(body);
  FieldComboBox->setObjectName("FieldComboBox");
  for (int q = 0; q <= static_cast<int>(TPlotQuantity::Rotation); ++q)
    FieldComboBox->addItem(InfoOf(static_cast<TPlotQuantity>(q)).Name);
  FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Exx));
  RangeBox = new TColourRangeBox(body);
  VectorsCheckBox = new QCheckBox("Vectors", body);
  VectorsCheckBox->setObjectName("VectorsCheckBox");
  SummaryChart = NewChart("SummaryChart", body);
  SummaryChart->setToolTip("Click a step to show it");
  DisplacementChart = NewChart("DisplacementChart", body);
  StrainChart = NewChart("StrainChart", body);
  NoteLabel = NewLabel("NoteLabel", "", body);
  NoteLabel->setWordWrap(true);
  NoteLabel->setStyleSheet("color: #a00000;");
  NoteLabel->hide();
  ExportCsvButton = NewButton("ExportCsvButton", "Export Step CSV...", body);
  SavePlotsButton = NewButton("SavePlotsButton", "Save Plots...", body);
  CloseButton = NewButton("CloseButton", "Close", body);

  auto* run = new QHBoxLayout;
  run->addWidget(ProgressBar, 1);
  run->addWidget(CancelButton);
  auto* choices = new QGridLayout;
  choices->addWidget(NewLabel("FieldLabel", "Field", body), 0, 0);
  choices->addWidget(FieldComboBox, 0, 1);
  choices->addWidget(VectorsCheckBox, 0, 2);
  choices->addWidget(NewLabel("RangeLabel", "Colours", body), 1, 0);
  choices->addWidget(RangeBox, 1, 1, 1, 3);
  choices->setColumnStretch(3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ExportCsvButton);
  buttons->addWidget(SavePlotsButton);
  buttons->addStretch(1);
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(body);
  layout->addLayout(run);
  layout->addWidget(RunLabel);
  layout->addWidget(StepSlider);
  layout->addWidget(StepLabel);
  layout->addLayout(choices);
  layout->addWidget(SummaryChart, 1);
  layout->addWidget(DisplacementChart, 1);
  layout->addWidget(StrainChart, 1);
  layout->addWidget(NoteLabel);
  layout->addLayout(buttons);
  setWidget(body);
  ProgressBar->hide();
  CancelButton->hide();

  PreviousStepAction = new QAction("Previous Step", &mainForm.Window());
  PreviousStepAction->setObjectName("PreviousStepAction");
  PreviousStepAction->setShortcut(QKeySequence(Qt::Key_PageUp));
  NextStepAction = new QAction("Next Step", &mainForm.Window());
  NextStepAction->setObjectName("NextStepAction");
  NextStepAction->setShortcut(QKeySequence(Qt::Key_PageDown));
  for (QAction* action : {PreviousStepAction, NextStepAction}) {
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    mainForm.Window().addAction(action);
  }
  connect(PreviousStepAction, &QAction::triggered, this,
          [this] { StepSlider->setValue(StepSlider->value() - 1); });
  connect(NextStepAction, &QAction::triggered, this,
          [this] { StepSlider->setValue(StepSlider->value() + 1); });
  // The keys only while the window is open: elsewhere they scroll as usual.
  connect(this, &QDockWidget::visibilityChanged, this, [this] {
    for (QAction* action : {PreviousStepAction, NextStepAction})
      action->setEnabled(!isHidden() && FSteps != nullptr);
  });

  auto command = [this](void (TSequenceForm::*handler)()) {
    return [this, handler] {
      if (!FShowing) FMainForm.RunCommand([this, handler] { (this->*handler)(); });
    };
  };
  connect(StepSlider, &QSlider::valueChanged, this, [this](int value) {
    if (!FShowing) FMainForm.RunCommand([this, value] { ShowStep(value); });
  });
  connect(CancelButton, &QPushButton::clicked, this, command(&TSequenceForm::CancelButtonClick));
  connect(FieldComboBox, &QComboBox::currentIndexChanged, this,
          command(&TSequenceForm::FieldComboBoxChange));
  connect(RangeBox, &TColourRangeBox::Changed, this, command(&TSequenceForm::RangeChange));
  connect(VectorsCheckBox, &QCheckBox::toggled, this,
          command(&TSequenceForm::VectorsCheckBoxClick));
  connect(ExportCsvButton, &QPushButton::clicked, this,
          command(&TSequenceForm::ExportCsvButtonClick));
  connect(SavePlotsButton, &QPushButton::clicked, this,
          command(&TSequenceForm::SavePlotsButtonClick));
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
  SummaryChart->OnClick = [this](double x) {
    StepSlider->setValue(static_cast<int>(std::lround(x)));
  };
  mainForm.PaintBox()->installEventFilter(this);
}

TSequenceForm::~TSequenceForm() {
  delete FRun;  // stops the run and waits for it
  FRun = nullptr;
  EndView();
}

bool TSequenceForm::Running() const {
  return FRun != nullptr && FRun->Running();
}

void TSequenceForm::Begin(std::unique_ptr<TSequenceSteps> steps) {
  EndView();
  FSteps = std::move(steps);
  FStepShown = -1;
  FField.reset();
  FPicture.reset();
  FDot.reset();
  FStepNote.clear();
  ShowDotCharts();
  StepsChanged();
  for (QAction* action : {PreviousStepAction, NextStepAction}) action->setEnabled(true);
  show();
  raise();
}

void TSequenceForm::StartRun(std::vector<std::string> pictures, const std::string& outDir,
                             const TTrackOptions& options) {
  if (Running()) throw TError("A sequence is being tracked: Cancel it first");
  delete FRun;
  TStrainOptions strain;
  strain.Neighbourhood = options.Neighbourhood;
  Begin(std::make_unique<TSequenceSteps>(outDir, pictures, strain));
  const auto total = static_cast<int>(pictures.size());
  FRun = new TSequenceRun(std::move(pictures), outDir, options, this);
  FRun->OnStep = [this](const TTrackStep& step, int32_t done, int32_t all,
                        std::shared_ptr<const TStrainField> field) {
    FMainForm.RunCommand([&] { RunStepDone(step, done, all, std::move(field)); });
  };
  FRun->OnEnd = [this](const std::string& ending) {
    FMainForm.RunCommand([&] { RunEnded(ending); });
  };
  ProgressBar->setRange(0, total);
  ProgressBar->setValue(0);
  ProgressBar->show();
  CancelButton->show();
  CancelButton->setEnabled(true);
  RunLabel->setText(QString::fromStdString("Tracking " + std::to_string(total) + " pictures into " +
                                           outDir + " ..."));
  FRun->Start();
}

void TSequenceForm::RunStepDone(const TTrackStep& step, int32_t done, int32_t total,
                                std::shared_ptr<const TStrainField> field) {
  if (FSteps == nullptr) return;
  FSteps->AddStep(step, std::move(field));
  ProgressBar->setMaximum(total);
  ProgressBar->setValue(done);
  std::string text = "Step " + std::to_string(step.Step) + " " + step.Picture + ": ";
  text += step.Good()
              ? std::to_string(step.Pairs) + " pairs, " + std::to_string(step.Lost) + " lost"
              : "failed: " + step.Reason;
  RunLabel->setText(QString::fromStdString(text));
  // The view follows the run while it shows the newest step.
  const bool follow = FStepShown < 0 || FStepShown + 2 == static_cast<int32_t>(done);
  StepsChanged();
  if (follow) StepSlider->setValue(static_cast<int>(done) - 1);
  if (follow && FStepShown != static_cast<int32_t>(done) - 1)
    ShowStep(static_cast<int32_t>(done) - 1);
}

void TSequenceForm::RunEnded(const std::string& ending) {
  CancelButton->hide();
  ProgressBar->hide();
  const size_t done = FSteps ? FSteps->Steps().size() : 0;
  size_t failed = 0;
  if (FSteps)
    for (const TTrackStep& step : FSteps->Steps()) failed += step.Good() ? 0 : 1;
  std::string text =
      std::to_string(done) + " pictures tracked, " + std::to_string(failed) + " failed";
  if (!ending.empty()) text = ending + ". " + text;
  RunLabel->setText(QString::fromStdString(text));
  const std::string summary =
      "; summary in " + (FSteps ? IncludeTrailingSlash(FSteps->OutDir()) : "") + "summary.csv";
  RunLabel->setToolTip(QString::fromStdString(text + summary));
  FMainForm.Report(text + summary);
  if (!ending.empty() && (FRun == nullptr || !FRun->Stopping())) throw TError(ending);
}

void TSequenceForm::CancelButtonClick() {
  if (!Running()) return;
  FRun->Stop();
  CancelButton->setEnabled(false);
  RunLabel->setText("Stopping after the step in hand ...");
}

void TSequenceForm::OpenResults(const std::string& outDir) {
  if (Running()) throw TError("A sequence is being tracked: Cancel it first");
  std::vector<TTrackStep> read =
      ReadTrackSummary((std::filesystem::path(outDir) / "summary.csv").string());
  auto steps =
      std::make_unique<TSequenceSteps>(outDir, std::vector<std::string>{}, TStrainOptions());
  const std::string folder = FindPictureFolder(outDir, read.front().Picture);
  steps->SetSteps(std::move(read));
  steps->SetPictureFolder(folder);
  Begin(std::move(steps));
  const size_t count = FSteps->Steps().size();
  RunLabel->setText(QString::fromStdString(std::to_string(count) + " steps in " + outDir));
  // The most deformed step that was tracked.
  int32_t last = static_cast<int32_t>(count) - 1;
  while (last > 0 && !FSteps->Steps()[static_cast<size_t>(last)].Good()) --last;
  FShowing = true;
  StepSlider->setValue(last);
  FShowing = false;
  ShowStep(last);
}

std::string TSequenceForm::FindPictureFolder(const std::string& outDir,
                                             const std::string& reference) const {
  namespace fs = std::filesystem;
  fs::path out = fs::path(outDir).lexically_normal();
  if (out.filename().empty()) out = out.parent_path();
  for (const fs::path& folder : {out.parent_path(), out})
    if (FileExists((folder / reference).string())) return folder.string();
  const auto chosen = FMainForm.Platform().ChooseFolder(
      "Select the folder of the sequence's pictures (Cancel: the maps on a blank area)");
  return chosen ? *chosen : "";
}

bool TSequenceForm::Attached() const {
  return FView != nullptr && FView->PaintBox()->Overlay() == FOverlay.get();
}

void TSequenceForm::Attach() {
  if (FView == nullptr || !FField) return;
  FMainForm.EndStrainView();  // one map on the view at a time
  FView->SetOverlay(FOverlay.get());
  FView->SetLegend(FOverlay->HasMap() ? FBar : nullptr);
}

void TSequenceForm::EndView() {
  if (!Attached()) return;
  FView->SetLegend(nullptr);
  FView->SetOverlay(nullptr);
}

void TSequenceForm::closeEvent(QCloseEvent* event) {
  EndView();
  QDockWidget::closeEvent(event);
}

bool TSequenceForm::eventFilter(QObject* watched, QEvent* event) {
  // A click on a dot of the map (a press and a release at one place) charts that dot.
  if (watched != FMainForm.PaintBox() || !Attached())
    return QDockWidget::eventFilter(watched, event);
  auto* mouse = dynamic_cast<QMouseEvent*>(event);
  if (mouse == nullptr || mouse->button() != Qt::LeftButton)
    return QDockWidget::eventFilter(watched, event);
  const QPoint at = mouse->position().toPoint();
  if (event->type() == QEvent::MouseButtonPress) FPressedAt = at;
  if (event->type() == QEvent::MouseButtonRelease && FPressedAt &&
      (at - *FPressedAt).manhattanLength() <= 3) {
    FPressedAt.reset();
    const QPoint pixel = FMainForm.PaintBox()->ToPicture(at);
    const TPlotGeometry* geometry = FOverlay->Geometry();
    const int32_t k = geometry ? geometry->NearestPoint(*FField, QPointF(pixel)) : -1;
    if (k >= 0) {
      const TStrainPair& pair = FField->Points()[static_cast<size_t>(k)].Pair;
      FMainForm.RunCommand([&] { ShowDot(pair.Nx, pair.Ny); });
    }
  }
  return QDockWidget::eventFilter(watched, event);
}
