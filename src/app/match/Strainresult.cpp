#include "app/match/Strainresult.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Formparts.h"
#include "app/Shell.h"
#include "app/match/Strainbar.h"
#include "app/match/Strainoverlay.h"
#include "app/platform/Platform.h"
#include "app/view/Colourrange.h"
#include "app/view/Paintbox.h"
#include "app/view/Zoomview.h"
#include "base/Error.h"
#include "base/Path.h"
#include "base/SaveGroup.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "strain/Plotgeometry.h"
#include "strain/Plotpaint.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"
#include "strain/Strainsummary.h"

namespace {

// The field choices in the order of TPlotQuantity.
constexpr const char* FieldNames[] = {"dx",  "dy", "|d|", "exx",     "eyy",
                                      "exy", "e1", "e2",  "rotation"};
constexpr int FirstStrainField = 3;

}  // namespace

TStrainResultForm::TStrainResultForm(TShell& mainForm)
    : QDockWidget("Strain Result", &mainForm.Window()),
      FMainForm(mainForm),
      FOverlay(std::make_unique<TStrainOverlay>()),
      FBar(new TStrainBar(mainForm.ImageView())) {
  setObjectName("StrainResultForm");
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  FBar->hide();
  auto* body = new QWidget(this);

  SummaryMemo = new QPlainTextEdit(body);
  SummaryMemo->setObjectName("SummaryMemo");
  SummaryMemo->setReadOnly(true);
  // The long lines of the heading wrap; the table's rows fit the width set below.
  SummaryMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  SummaryMemo->setFont(fixed);
  // Wide enough for the summary's three columns without scrolling.
  SummaryMemo->setMinimumWidth(
      SummaryMemo->fontMetrics().horizontalAdvance(QString(52, QChar('0'))) + 24);

  FieldComboBox = new QComboBox(body);
  FieldComboBox->setObjectName("FieldComboBox");
  for (const char* name : FieldNames) FieldComboBox->addItem(name);
  FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Exx));
  NeighbourhoodSpinBox = new QSpinBox(body);
  NeighbourhoodSpinBox->setObjectName("NeighbourhoodSpinBox");
  NeighbourhoodSpinBox->setRange(1, 50);
  NeighbourhoodSpinBox->setValue(TStrainOptions().Neighbourhood);
  NeighbourhoodSpinBox->setToolTip("Half-width K of the (2K+1) x (2K+1) grid neighbourhood");
  MeasureComboBox = new QComboBox(body);
  MeasureComboBox->setObjectName("MeasureComboBox");
  MeasureComboBox->addItem("small");
  MeasureComboBox->addItem("green");
  MeasureComboBox->setToolTip(
      "small: engineering strain of the gradient; green: Green-Lagrange strain");
  RangeBox = new TColourRangeBox(body);
  VectorsCheckBox = new QCheckBox("Vectors", body);
  VectorsCheckBox->setObjectName("VectorsCheckBox");
  NoteLabel = NewLabel("NoteLabel", "", body);
  NoteLabel->setWordWrap(true);
  NoteLabel->setStyleSheet("color: #a00000;");
  NoteLabel->hide();
  SaveCsvButton = NewButton("SaveCsvButton", "Save Strain CSV...", body);
  SavePlotsButton = NewButton("SavePlotsButton", "Save Plots...", body);
  CloseButton = NewButton("CloseButton", "Close", body);

  auto* choices = new QGridLayout;
  choices->addWidget(NewLabel("FieldLabel", "Field", body), 0, 0);
  choices->addWidget(FieldComboBox, 0, 1);
  choices->addWidget(VectorsCheckBox, 0, 2);
  choices->addWidget(NewLabel("NeighbourhoodLabel", "Neighbourhood K", body), 1, 0);
  choices->addWidget(NeighbourhoodSpinBox, 1, 1);
  choices->addWidget(NewLabel("MeasureLabel", "Measure", body), 2, 0);
  choices->addWidget(MeasureComboBox, 2, 1);
  choices->addWidget(NewLabel("RangeLabel", "Colours", body), 3, 0);
  choices->addWidget(RangeBox, 3, 1, 1, 3);
  choices->setColumnStretch(3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(SaveCsvButton);
  buttons->addWidget(SavePlotsButton);
  buttons->addStretch(1);
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(body);
  layout->addWidget(SummaryMemo, 1);
  layout->addLayout(choices);
  layout->addWidget(NoteLabel);
  layout->addLayout(buttons);
  setWidget(body);

  auto run = [this](void (TStrainResultForm::*handler)()) {
    return [this, handler] {
      if (!FShowing) FMainForm.RunCommand([this, handler] { (this->*handler)(); });
    };
  };
  connect(FieldComboBox, &QComboBox::currentIndexChanged, this,
          run(&TStrainResultForm::FieldComboBoxChange));
  connect(NeighbourhoodSpinBox, &QSpinBox::valueChanged, this,
          run(&TStrainResultForm::OptionsChange));
  connect(MeasureComboBox, &QComboBox::currentIndexChanged, this,
          run(&TStrainResultForm::OptionsChange));
  connect(RangeBox, &TColourRangeBox::Changed, this, run(&TStrainResultForm::RangeChange));
  connect(VectorsCheckBox, &QCheckBox::toggled, this,
          run(&TStrainResultForm::VectorsCheckBoxClick));
  connect(SaveCsvButton, &QPushButton::clicked, this, run(&TStrainResultForm::SaveCsvButtonClick));
  connect(SavePlotsButton, &QPushButton::clicked, this,
          run(&TStrainResultForm::SavePlotsButtonClick));
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
  connect(mainForm.ImageView(), &TZoomView::ZoomChanged, this,
          [this] { ShowArrowMagnification(); });
}

TStrainResultForm::~TStrainResultForm() {
  Detach();
}

TPlotQuantity TStrainResultForm::Quantity() const {
  return static_cast<TPlotQuantity>(std::max(FieldComboBox->currentIndex(), 0));
}

TStrainOptions TStrainResultForm::Options() const {
  TStrainOptions options;
  options.Neighbourhood = NeighbourhoodSpinBox->value();
  options.Measure =
      MeasureComboBox->currentIndex() == 1 ? TStrainMeasure::Green : TStrainMeasure::Small;
  return options;
}

bool TStrainResultForm::VectorsShown() const {
  return VectorsCheckBox->isChecked();
}

void TStrainResultForm::ShowResult() {
  if (!FMainForm.Workflow().FMatcher) throw TError("Do matching first");
  // Computed before anything changes: a job without pairs leaves the window as it was.
  auto field = std::make_shared<const TStrainField>(
      StrainOfMatch(*FMainForm.Workflow().FMatcher, Options()));
  std::string note;
  FPicture = ReadInitialPicture(note);
  FPictureNote = note;
  FField = std::move(field);
  FOverlay->SetPicture(FPicture.get(), *FField);
  if (FField->StrainCount() == 0 && FieldComboBox->currentIndex() >= FirstStrainField) {
    // Without strain anywhere the displacements are still worth a look.
    FShowing = true;
    FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Dx));
    FShowing = false;
  }
  Compute();
  show();
  raise();
  Attach();
}

void TStrainResultForm::Compute() {
  if (FField->Options().Neighbourhood != Options().Neighbourhood ||
      FField->Options().Measure != Options().Measure) {
    if (!FMainForm.Workflow().FMatcher) throw TError("Do matching first");
    FField = std::make_shared<const TStrainField>(
        StrainOfMatch(*FMainForm.Workflow().FMatcher, Options()));
  }
  FOverlay->SetField(FField);
  FOverlay->SetVectors(VectorsShown());
  ShowArrowMagnification();
  SummaryMemo->setPlainText(QString::fromStdString(TStrainSummary(*FField).Text()));
  ShowQuantity();
}

void TStrainResultForm::ShowQuantity() {
  std::string note = FPictureNote;
  auto addNote = [&note](const std::string& text) { note += (note.empty() ? "" : "\n") + text; };
  try {
    RequireStrain(*FField);
  } catch (const TError& e) {
    addNote(e.Message());
  }
  const TPlotQuantity quantity = Quantity();
  bool mapped = false;
  try {
    FOverlay->SetQuantity(quantity);
    FBar->SetScale(quantity, FOverlay->Scale(), UnitText(*FField, quantity, FOverlay->Scale()));
    RangeBox->ShowLimits(FOverlay->Scale().Low(), FOverlay->Scale().High());
    mapped = true;
  } catch (const TError& e) {
    if (FField->StrainCount() > 0) addNote(e.Message());  // else said just above
  }
  NoteLabel->setText(QString::fromStdString(note));
  NoteLabel->setVisible(!note.empty());
  if (FMainForm.ImageView()->PaintBox()->Overlay() == FOverlay.get())
    FMainForm.ImageView()->SetLegend(mapped ? FBar : nullptr);
  FMainForm.PaintBox()->update();
}

std::unique_ptr<TGrayImage> TStrainResultForm::ReadInitialPicture(std::string& note) const {
  const TMatch& match = *FMainForm.Workflow().FMatcher;
  const std::string& name = match.FImageName[0];
  const std::string blank = ": the map is drawn on a blank area";
  if (name.empty()) {
    note = "The initial code file names no picture" + blank;
    return nullptr;
  }
  // Beside the code file, where the encoding saved it.
  const std::string& code = match.FCodeFileName[0];
  const std::string path = code.substr(0, code.size() - ExtractFileName(code).size()) + name;
  if (!FileExists(path)) {
    note = "The initial picture " + path + " was not found" + blank;
    return nullptr;
  }
  std::unique_ptr<TGrayImage> picture;
  try {
    picture = std::make_unique<TGrayImage>(path);
  } catch (const TError& e) {
    note = "The initial picture " + path + " cannot be read (" + e.Message() + ")" + blank;
    return nullptr;
  }
  if (picture->Width() != match.FImageWidth || picture->Height() != match.FImageHeight) {
    note = "The initial picture " + path + " is not the size the code files give" + blank;
    return nullptr;
  }
  return picture;
}

void TStrainResultForm::FieldComboBoxChange() {
  if (FField) ShowQuantity();
}

void TStrainResultForm::RangeChange() {
  FOverlay->SetRange(RangeBox->Range());
  if (FField) ShowQuantity();
}

void TStrainResultForm::OptionsChange() {
  if (FField) Compute();
}

void TStrainResultForm::VectorsCheckBoxClick() {
  FOverlay->SetVectors(VectorsShown());
  ShowArrowMagnification();
  FMainForm.PaintBox()->update();
}

void TStrainResultForm::ShowArrowMagnification() {
  const double zoom = FMainForm.ImageView()->Zoom();
  FBar->SetArrows(FField && VectorsShown() ? FOverlay->ArrowMagnification(zoom) : 0);
  if (FMainForm.ImageView()->Legend() == FBar) FMainForm.ImageView()->SetLegend(FBar);  // resized
}

void TStrainResultForm::SaveCsvButtonClick() {
  if (!FField) throw TError("Do matching first");
  RequireStrain(*FField);
  TPlatform& platform = FMainForm.Platform();
  auto chosen = platform.SaveFile("Save strain results to", 4, FMainForm.Workflow().FWorkDir,
                                  "Strain0", "csv");
  if (!chosen) return;
  const std::string path = FMainForm.FollowChoice(*chosen);
  WriteStrainCsv(path, *FField);
  FMainForm.Report("Strain of " + std::to_string(FField->Points().size()) + " dots written to " +
                   path);
}

void TStrainResultForm::SavePlotsButtonClick() {
  if (!FField) throw TError("Do matching first");
  RequireStrain(*FField);
  auto folder = FMainForm.Platform().ChooseFolder("Select a folder for the strain plots",
                                                  FMainForm.Workflow().FWorkDir);
  if (!folder) return;
  CheckPlotFolder(*folder);
  FMainForm.LongCommand([&] {
    // All five files or none: a failure at the last leaves the earlier ones as they were.
    TSaveGroup group;
    SavePlots(*folder, *FField, FPicture.get());
    group.Commit();
  });
  FMainForm.Report("Plots exx.png, eyy.png, exy.png, e1.png and displacement.png written to " +
                   IncludeTrailingSlash(*folder));
}

void TStrainResultForm::Attach() {
  TZoomView* view = FMainForm.ImageView();
  view->SetOverlay(FOverlay.get());
  view->SetLegend(FOverlay->HasMap() ? FBar : nullptr);
  ShowArrowMagnification();  // at the zoom the picture got
}

void TStrainResultForm::Detach() {
  TZoomView* view = FMainForm.ImageView();
  if (view->PaintBox()->Overlay() != FOverlay.get()) return;
  view->SetLegend(nullptr);
  view->SetOverlay(nullptr);
}

void TStrainResultForm::closeEvent(QCloseEvent* event) {
  Detach();
  QDockWidget::closeEvent(event);
}
