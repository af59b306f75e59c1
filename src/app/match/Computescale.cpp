#include "app/match/Computescale.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/Formparts.h"
#include "app/Main.h"
#include "base/Convert.h"
#include "match/Scale.h"

namespace {

QLabel* NewCentredLabel(const char* name, const char* text, QWidget* parent) {
  QLabel* label = NewLabel(name, text, parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TComputeScaleForm::TComputeScaleForm(TMainForm& mainForm)
    : QWidget(&mainForm, ToolWindowFlags), FMainForm(mainForm) {
  setObjectName("ComputeScaleForm");
  setWindowTitle("Compute Scale");

  ComputeScaleGroupBox = new QGroupBox("Compute Scale", this);
  ComputeScaleGroupBox->setObjectName("ComputeScaleGroupBox");
  QWidget* box = ComputeScaleGroupBox;
  ScaleXRadioButton = new QRadioButton("X", box);
  ScaleXRadioButton->setObjectName("ScaleXRadioButton");
  ScaleYRadioButton = new QRadioButton("Y", box);
  ScaleYRadioButton->setObjectName("ScaleYRadioButton");
  ScaleXYRadioGroup = new QButtonGroup(this);
  ScaleXYRadioGroup->setObjectName("ScaleXYRadioGroup");
  ScaleXYRadioGroup->addButton(ScaleXRadioButton, 0);
  ScaleXYRadioGroup->addButton(ScaleYRadioButton, 1);
  ScaleXRadioButton->setChecked(true);
  ImageScaleXEdit = NewEdit("ImageScaleXEdit", "1", box, 96);
  ActualScaleXEdit = NewEdit("ActualScaleXEdit", "1.0", box, 96);
  ImageScaleYEdit = NewEdit("ImageScaleYEdit", "1", box, 96);
  ActualScaleYEdit = NewEdit("ActualScaleYEdit", "1.0", box, 96);
  auto* compute = new QGridLayout(box);
  compute->addWidget(NewCentredLabel("ImageLabel", "In  The Image", box), 0, 1);
  compute->addWidget(NewCentredLabel("ActualLabel", "Actual Length", box), 0, 2);
  compute->addWidget(NewCentredLabel("PixelsLabel", "(pixels)", box), 1, 1);
  compute->addWidget(NewCentredLabel("UnitLabel", "(actual unit)", box), 1, 2);
  compute->addWidget(ScaleXRadioButton, 2, 0);
  compute->addWidget(ImageScaleXEdit, 2, 1);
  compute->addWidget(ActualScaleXEdit, 2, 2);
  compute->addWidget(ScaleYRadioButton, 3, 0);
  compute->addWidget(ImageScaleYEdit, 3, 1);
  compute->addWidget(ActualScaleYEdit, 3, 2);

  SetScaleCheckBox = new QCheckBox("Set Scale", this);
  SetScaleCheckBox->setObjectName("SetScaleCheckBox");
  SetScaleGroupBox = new QGroupBox("Set Scale", this);
  SetScaleGroupBox->setObjectName("SetScaleGroupBox");
  ScaleXEdit = NewEdit("ScaleXEdit", "1.0", SetScaleGroupBox, 140);
  ScaleYEdit = NewEdit("ScaleYEdit", "1.0", SetScaleGroupBox, 140);
  auto* set = new QGridLayout(SetScaleGroupBox);
  set->addWidget(new QLabel("Scale X", SetScaleGroupBox), 0, 0);
  set->addWidget(ScaleXEdit, 0, 1);
  set->addWidget(new QLabel("Scale Y", SetScaleGroupBox), 1, 0);
  set->addWidget(ScaleYEdit, 1, 1);
  set->setColumnStretch(2, 1);
  SetScaleGroupBox->setEnabled(false);

  ApplyScaleButton = new QPushButton("Apply", this);
  ApplyScaleButton->setObjectName("ApplyScaleButton");
  CloseButton = new QPushButton("Close", this);
  CloseButton->setObjectName("CloseButton");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ApplyScaleButton);
  buttons->addWidget(CloseButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ComputeScaleGroupBox);
  layout->addWidget(SetScaleCheckBox);
  layout->addWidget(SetScaleGroupBox);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(SetScaleCheckBox, &QCheckBox::clicked, this, [this] { SetScaleCheckBoxClick(); });
  connect(ApplyScaleButton, &QPushButton::clicked, this,
          [this] { FMainForm.RunCommand([this] { ApplyScaleButtonClick(); }); });
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::hide);
  // At the left of the screen, where it covers the least of a picture centred in the view.
  const QRect area = mainForm.screen()->availableGeometry();
  move(area.left() + 16, area.top() + 118);
}

void TComputeScaleForm::showEvent(QShowEvent* event) {
  FScaleX = FMainForm.FScaleX;
  FScaleY = FMainForm.FScaleY;
  ShowFactors();
  QWidget::showEvent(event);
}

void TComputeScaleForm::ShowFactors() {
  ScaleXEdit->setText(Text(ScaleText(FScaleX)));
  ScaleYEdit->setText(Text(ScaleText(FScaleY)));
}

void TComputeScaleForm::SetScaleCheckBoxClick() {
  const bool set = SetScaleCheckBox->isChecked();
  SetScaleGroupBox->setEnabled(set);
  ComputeScaleGroupBox->setEnabled(!set);
}

void TComputeScaleForm::SetImageLength(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (SetScaleCheckBox->isChecked()) return;
  // 64 bits: the corners may lie anywhere an int holds.
  if (ScaleXYRadioGroup->checkedId() == 0)
    ImageScaleXEdit->setText(Text(IntToStr(std::llabs(int64_t{x2} - x1))));
  else
    ImageScaleYEdit->setText(Text(IntToStr(std::llabs(int64_t{y2} - y1))));
  update();
}

void TComputeScaleForm::ApplyScaleButtonClick() {
  // Both factors are read before either changes: a bad field changes nothing.
  const TScaleFactors factors =
      SetScaleCheckBox->isChecked()
          ? ReadScaleFactors(ScaleXEdit->text().toStdString(), ScaleYEdit->text().toStdString())
          : ComputeScaleFactors(
                ImageScaleXEdit->text().toStdString(), ActualScaleXEdit->text().toStdString(),
                ImageScaleYEdit->text().toStdString(), ActualScaleYEdit->text().toStdString());
  FScaleX = factors.X;
  FScaleY = factors.Y;
  if (!SetScaleCheckBox->isChecked()) ShowFactors();
  const float formerX = FMainForm.FScaleX, formerY = FMainForm.FScaleY;
  FMainForm.FScaleX = FScaleX;
  FMainForm.FScaleY = FScaleY;
  FMainForm.ScaleApplied(formerX, formerY, SetScaleCheckBox->isChecked());
}
