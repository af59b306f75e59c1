#include "app/sequence/Sequencesetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "app/Formparts.h"
#include "app/platform/Platform.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "strain/Strainoptions.h"
#include "track/Tracksequence.h"

TSequenceSetupForm::TSequenceSetupForm(TPlatform& platform, QWidget* parent)
    : QDialog(parent), FPlatform(platform) {
  setObjectName("SequenceSetupForm");
  setWindowTitle("Track Sequence");
  PicturesMemo = new QPlainTextEdit(this);
  PicturesMemo->setObjectName("PicturesMemo");
  PicturesMemo->setPlaceholderText(
      "A folder (its pictures in natural order), pictures one per line (the first is the "
      "reference), or one multi-page TIFF");
  PicturesMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  PicturesMemo->setMinimumSize(460, 110);
  FolderButton = NewButton("FolderButton", "Folder...", this);
  PicturesButton = NewButton("PicturesButton", "Pictures...", this);
  OutEdit = new QLineEdit(this);
  OutEdit->setObjectName("OutEdit");
  OutButton = NewButton("OutButton", "Browse...", this);
  BlackDotsCheckBox = new QCheckBox("Black dots on a bright background", this);
  BlackDotsCheckBox->setObjectName("BlackDotsCheckBox");
  LeastAreaEdit = NewEdit("LeastAreaEdit", "robust", this, 90);
  LeastAreaEdit->setToolTip(
      "robust: a third of the area-weighted median blob; auto: 2 x mean blob area div 3; or "
      "a number of pixels");
  CentroidComboBox = new QComboBox(this);
  CentroidComboBox->setObjectName("CentroidComboBox");
  CentroidComboBox->addItems({"refined", "plain"});
  CentroidComboBox->setToolTip(
      "refined: weighted above the local background on the picture as taken; plain: on the "
      "segmented picture");
  NeighbourhoodSpinBox = new QSpinBox(this);
  NeighbourhoodSpinBox->setObjectName("NeighbourhoodSpinBox");
  NeighbourhoodSpinBox->setRange(1, 50);
  NeighbourhoodSpinBox->setValue(TStrainOptions().Neighbourhood);
  NeighbourhoodSpinBox->setToolTip("Half-width K of the (2K+1) x (2K+1) grid neighbourhood");
  ScaleXEdit = NewEdit("ScaleXEdit", "1", this, 90);
  ScaleYEdit = NewEdit("ScaleYEdit", "1", this, 90);
  PlotsCheckBox = new QCheckBox("Also summary.png and the last step's maps in plots/", this);
  PlotsCheckBox->setObjectName("PlotsCheckBox");
  const TDialogButtons buttons = MakeDialogButtons(this, "OKButton", "CancelButton");
  OKButton = buttons.Ok;
  CancelButton = buttons.Cancel;

  auto* pictureButtons = new QVBoxLayout;
  pictureButtons->addWidget(FolderButton);
  pictureButtons->addWidget(PicturesButton);
  pictureButtons->addStretch(1);
  auto* pictures = new QHBoxLayout;
  pictures->addWidget(PicturesMemo, 1);
  pictures->addLayout(pictureButtons);
  auto* out = new QHBoxLayout;
  out->addWidget(OutEdit, 1);
  out->addWidget(OutButton);
  auto* scale = new QHBoxLayout;
  scale->addWidget(ScaleXEdit);
  scale->addWidget(ScaleYEdit);
  scale->addStretch(1);
  auto* form = new QFormLayout;
  form->addRow(NewLabel("PicturesLabel", "Pictures", this), pictures);
  form->addRow(NewLabel("OutLabel", "Results folder", this), out);
  form->addRow("", BlackDotsCheckBox);
  form->addRow(NewLabel("LeastAreaLabel", "Least dot area", this), LeastAreaEdit);
  form->addRow(NewLabel("CentroidLabel", "Dot centres", this), CentroidComboBox);
  form->addRow(NewLabel("NeighbourhoodLabel", "Neighbourhood K", this), NeighbourhoodSpinBox);
  form->addRow(NewLabel("ScaleLabel", "Scale x, y (units per pixel)", this), scale);
  form->addRow("", PlotsCheckBox);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons.Row);

  connect(FolderButton, &QPushButton::clicked, this, &TSequenceSetupForm::FolderButtonClick);
  connect(PicturesButton, &QPushButton::clicked, this, &TSequenceSetupForm::PicturesButtonClick);
  connect(OutButton, &QPushButton::clicked, this, &TSequenceSetupForm::OutButtonClick);
}

void TSequenceSetupForm::SetDefaults(bool whiteDots, float scaleX, float scaleY,
                                     const std::string& folder) {
  BlackDotsCheckBox->setChecked(!whiteDots);
  ScaleXEdit->setText(QString::fromStdString(ShortFloatToStr(scaleX)));
  ScaleYEdit->setText(QString::fromStdString(ShortFloatToStr(scaleY)));
  FFolder = folder;
}

std::vector<std::string> TSequenceSetupForm::PictureArguments() const {
  std::vector<std::string> lines;
  for (const QString& line : PicturesMemo->toPlainText().split('\n')) {
    const QString trimmed = line.trimmed();
    if (!trimmed.isEmpty()) lines.push_back(trimmed.toStdString());
  }
  return lines;
}

std::string TSequenceSetupForm::OutDir() const {
  return OutEdit->text().trimmed().toStdString();
}

TTrackOptions TSequenceSetupForm::Options() const {
  TTrackOptions o = BatchTrackOptions();
  o.BlackDots = BlackDotsCheckBox->isChecked();
  const std::string least = LeastAreaEdit->text().trimmed().toStdString();
  o.AutoLeastArea = least == "auto";
  if (least != "auto" && least != "robust") {
    const int32_t area = StrToInt(least);
    if (area < 0) throw TError("The least dot area must be robust, auto or 0 or more pixels");
    o.LeastArea = area;
  }
  o.RefinedCentroids = CentroidComboBox->currentIndex() == 0;
  o.Neighbourhood = NeighbourhoodSpinBox->value();
  o.ScaleX = static_cast<float>(StrToFloat(ScaleXEdit->text().toStdString()));
  o.ScaleY = static_cast<float>(StrToFloat(ScaleYEdit->text().toStdString()));
  if (!(std::isfinite(o.ScaleX) && o.ScaleX > 0 && std::isfinite(o.ScaleY) && o.ScaleY > 0))
    throw TError("The scale factors must be numbers above 0");
  o.Plots = PlotsCheckBox->isChecked();
  return o;
}

void TSequenceSetupForm::FolderButtonClick() {
  const auto folder = FPlatform.ChooseFolder("Select the folder of the sequence's pictures");
  if (!folder) return;
  PicturesMemo->setPlainText(QString::fromStdString(*folder));
  FFolder = *folder;
  ProposeOutDir();
}

void TSequenceSetupForm::PicturesButtonClick() {
  const auto files = FPlatform.OpenFiles("Select the pictures of the sequence", FFolder);
  if (!files || files->empty()) return;
  QStringList lines;
  for (const std::string& file : *files) lines << QString::fromStdString(file);
  PicturesMemo->setPlainText(lines.join('\n'));
  FFolder = std::filesystem::path(files->front()).parent_path().string();
  ProposeOutDir();
}

void TSequenceSetupForm::OutButtonClick() {
  const auto folder = FPlatform.ChooseFolder("Select a folder for the results");
  if (folder) OutEdit->setText(QString::fromStdString(*folder));
}

void TSequenceSetupForm::ProposeOutDir() {
  // Beside the pictures' folder, not inside it, where it would hold pictures of its own: for
  // .../test1/ or .../test1.tif, .../test1-track.
  const std::vector<std::string> lines = PictureArguments();
  if (lines.empty()) return;
  namespace fs = std::filesystem;
  fs::path base = lines.size() == 1 ? fs::path(lines[0]) : fs::path(lines[0]).parent_path();
  if (base.filename().empty()) base = base.parent_path();  // a trailing slash
  std::error_code failure;
  const std::string name = lines.size() == 1 && !fs::is_directory(base, failure)
                               ? base.stem().string()
                               : base.filename().string();
  OutEdit->setText(QString::fromStdString((base.parent_path() / (name + "-track")).string()));
}
