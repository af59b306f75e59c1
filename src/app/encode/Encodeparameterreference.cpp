// The encode parameter dialog: its "Reference and Centroids" group on the "Encode" page. The
// automatic run reads these fields through the getters; nothing here reads a file.
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/Formparts.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "app/encode/Encodeparameter.h"
#include "base/Convert.h"

namespace {

QPushButton* SmallButton(const char* name, const char* text, const char* tip, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  button->setToolTip(tip);
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(text) + 20);
  return button;
}

// A read-only field for a path that takes the width the group has.
QLineEdit* PathEdit(const char* name, const char* placeholder, QWidget* parent, int width) {
  QLineEdit* edit = NewEdit(name, "", parent, width, true);
  edit->setMinimumWidth(width);
  edit->setMaximumWidth(QWIDGETSIZE_MAX);
  edit->setPlaceholderText(placeholder);
  return edit;
}

// A path shown whole in a read-only field, its start hidden when it is long.
void ShowPath(QLineEdit* edit, const std::string& path) {
  edit->setText(QString::fromStdString(path));
  edit->setToolTip(QString::fromStdString(path));
  edit->setCursorPosition(static_cast<int>(edit->text().size()));
}

}  // namespace

QGroupBox* TEncodeParameterForm::BuildReferenceGroup(QWidget* page) {
  ReferenceGroupBox = new QGroupBox("Reference and Centroids", page);
  ReferenceGroupBox->setObjectName("ReferenceGroupBox");
  QWidget* box = ReferenceGroupBox;
  const int pathWidth = fontMetrics().horizontalAdvance("0") * 24;
  ReferenceEdit = PathEdit("ReferenceEdit", "none: the origin method above", box, pathWidth);
  ReferenceButton = SmallButton("ReferenceButton", "...",
                                "Choose the code file of an earlier picture of the same grid: "
                                "this picture's dots get the same indices",
                                box);
  ReferenceClearButton = SmallButton("ReferenceClearButton", "Clear", "No reference", box);
  ShiftDxEdit = NewEdit("ShiftDxEdit", "", box, 60);
  ShiftDyEdit = NewEdit("ShiftDyEdit", "", box, 60);
  ShiftDxEdit->setToolTip(
      "Motion of the grid since the reference picture, pixels (empty: found from the pictures)");
  ShiftDyEdit->setToolTip(ShiftDxEdit->toolTip());

  PlainCentroidRadioButton = new QRadioButton("Plain", box);
  PlainCentroidRadioButton->setObjectName("PlainCentroidRadioButton");
  PlainCentroidRadioButton->setToolTip("Gray-weighted centroid of the segmented blob");
  RefinedCentroidRadioButton = new QRadioButton("Refined", box);
  RefinedCentroidRadioButton->setObjectName("RefinedCentroidRadioButton");
  RefinedCentroidRadioButton->setToolTip(
      "Weighted by the gray value above the local background of the unsegmented picture");
  CentroidRadioGroup = new QButtonGroup(this);
  CentroidRadioGroup->setObjectName("CentroidRadioGroup");
  CentroidRadioGroup->addButton(PlainCentroidRadioButton, 0);
  CentroidRadioGroup->addButton(RefinedCentroidRadioButton, 1);
  PlainCentroidRadioButton->setChecked(true);

  BlobDotsRadioButton = new QRadioButton("Every blob", box);
  BlobDotsRadioButton->setObjectName("BlobDotsRadioButton");
  BlobDotsRadioButton->setToolTip("Every blob of at least the least area is a dot");
  LatticeDotsRadioButton = new QRadioButton("Lattice rules", box);
  LatticeDotsRadioButton->setObjectName("LatticeDotsRadioButton");
  LatticeDotsRadioButton->setToolTip(
      "A blob is a dot by its size, shape and place in the grid: specks dropped or cut away, "
      "touching dots split, small and large dots alike; refined centroids fit each dot's edge");
  DotsRadioGroup = new QButtonGroup(this);
  DotsRadioGroup->setObjectName("DotsRadioGroup");
  DotsRadioGroup->addButton(BlobDotsRadioButton, 0);
  DotsRadioGroup->addButton(LatticeDotsRadioButton, 1);
  BlobDotsRadioButton->setChecked(true);

  RefinePictureEdit = PathEdit("RefinePictureEdit", "the picture last segmented", box, pathWidth);
  RefinePictureButton = SmallButton("RefinePictureButton", "...",
                                    "Choose the unsegmented picture (the same size)", box);
  RefinePictureClearButton =
      SmallButton("RefinePictureClearButton", "Clear", "The picture last segmented", box);

  OnClick(ReferenceButton, &TEncodeParameterForm::ReferenceButtonClick);
  OnClick(RefinePictureButton, &TEncodeParameterForm::RefinePictureButtonClick);
  connect(ReferenceClearButton, &QPushButton::clicked, this, [this] { SetReferenceFile(""); });
  connect(RefinePictureClearButton, &QPushButton::clicked, this,
          [this] { SetRefinePictureFile(""); });
  connect(CentroidRadioGroup, &QButtonGroup::idClicked, this, [this] { UpdateReferenceGroup(); });

  auto* grid = new QGridLayout(box);
  grid->addWidget(NewLabel("ReferenceLabel", "Reference code file", box), 0, 0, 1, 3);
  grid->addWidget(ReferenceEdit, 1, 0);
  grid->addWidget(ReferenceButton, 1, 1);
  grid->addWidget(ReferenceClearButton, 1, 2);
  auto* shift = new QHBoxLayout;
  shift->addWidget(NewLabel("ShiftLabel", "Shift  dx", box));
  shift->addWidget(ShiftDxEdit);
  shift->addWidget(NewLabel("ShiftDyLabel", "dy", box));
  shift->addWidget(ShiftDyEdit);
  shift->addStretch(1);
  grid->addLayout(shift, 2, 0, 1, 3);
  auto* centroids = new QHBoxLayout;
  centroids->addWidget(NewLabel("CentroidLabel", "Centroids", box));
  centroids->addWidget(PlainCentroidRadioButton);
  centroids->addWidget(RefinedCentroidRadioButton);
  centroids->addStretch(1);
  grid->addLayout(centroids, 3, 0, 1, 3);
  auto* dots = new QHBoxLayout;
  dots->addWidget(NewLabel("DotsLabel", "Dots", box));
  dots->addWidget(BlobDotsRadioButton);
  dots->addWidget(LatticeDotsRadioButton);
  dots->addStretch(1);
  grid->addLayout(dots, 4, 0, 1, 3);
  grid->addWidget(NewLabel("RefinePictureLabel", "Unsegmented picture", box), 5, 0, 1, 3);
  grid->addWidget(RefinePictureEdit, 6, 0);
  grid->addWidget(RefinePictureButton, 6, 1);
  grid->addWidget(RefinePictureClearButton, 6, 2);
  grid->setColumnStretch(0, 1);
  UpdateReferenceGroup();
  return ReferenceGroupBox;
}

void TEncodeParameterForm::UpdateReferenceGroup() {
  const bool reference = !ReferenceEdit->text().isEmpty();
  ShiftDxEdit->setEnabled(reference);
  ShiftDyEdit->setEnabled(reference);
  ReferenceClearButton->setEnabled(reference);
  const bool refined = RefinedCentroids();
  RefinePictureEdit->setEnabled(refined);
  RefinePictureButton->setEnabled(refined);
  RefinePictureClearButton->setEnabled(refined && !RefinePictureEdit->text().isEmpty());
}

std::string TEncodeParameterForm::ReferenceFile() const {
  return ReferenceEdit->text().toStdString();
}

std::optional<std::array<float, 2>> TEncodeParameterForm::Shift() const {
  const std::string dx = ShiftDxEdit->text().trimmed().toStdString();
  const std::string dy = ShiftDyEdit->text().trimmed().toStdString();
  if (dx.empty() && dy.empty()) return std::nullopt;
  // One field given: the other is 0.
  return std::array<float, 2>{dx.empty() ? 0.0f : static_cast<float>(StrToFloat(dx)),
                              dy.empty() ? 0.0f : static_cast<float>(StrToFloat(dy))};
}

bool TEncodeParameterForm::RefinedCentroids() const {
  return CentroidRadioGroup->checkedId() == 1;
}

bool TEncodeParameterForm::LatticeDots() const {
  return DotsRadioGroup->checkedId() == 1;
}

std::string TEncodeParameterForm::RefinePictureFile() const {
  return RefinePictureEdit->text().toStdString();
}

void TEncodeParameterForm::SetReferenceFile(const std::string& path) {
  ShowPath(ReferenceEdit, path);
  UpdateReferenceGroup();
}

void TEncodeParameterForm::SetRefinePictureFile(const std::string& path) {
  ShowPath(RefinePictureEdit, path);
  UpdateReferenceGroup();
}

void TEncodeParameterForm::ReferenceButtonClick() {
  auto chosen =
      FMainForm.Platform().OpenFile("select the reference code file", 2, FMainForm.FWorkDir, "");
  if (chosen) SetReferenceFile(*chosen);
}

void TEncodeParameterForm::RefinePictureButtonClick() {
  auto chosen =
      FMainForm.Platform().OpenFile("select the unsegmented picture", 1, FMainForm.FWorkDir, "");
  if (chosen) SetRefinePictureFile(*chosen);
}
