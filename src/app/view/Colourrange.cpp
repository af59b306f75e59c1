#include "app/view/Colourrange.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLineEdit>

#include "base/Convert.h"

TColourRangeBox::TColourRangeBox(QWidget* parent) : QWidget(parent) {
  setObjectName("ColourRangeBox");
  RangeComboBox = new QComboBox(this);
  RangeComboBox->setObjectName("RangeComboBox");
  RangeComboBox->addItems({"whole range", "percentiles", "symmetric", "limits"});
  RangeComboBox->setToolTip(
      "whole range: every value unless a wild few; percentiles: the values between the "
      "percentiles; symmetric: about 0 from those percentiles; limits: as typed");
  PercentSpinBox = new QDoubleSpinBox(this);
  PercentSpinBox->setObjectName("PercentSpinBox");
  PercentSpinBox->setRange(0, 49);
  PercentSpinBox->setDecimals(1);
  PercentSpinBox->setValue(TColourRange().Percent);
  PercentSpinBox->setSuffix(" %");
  PercentSpinBox->setToolTip("The share of the dots left out at each end");
  LowEdit = new QLineEdit(this);
  LowEdit->setObjectName("LowEdit");
  LowEdit->setPlaceholderText("low");
  HighEdit = new QLineEdit(this);
  HighEdit->setObjectName("HighEdit");
  HighEdit->setPlaceholderText("high");
  for (QLineEdit* edit : {LowEdit, HighEdit}) edit->setMaximumWidth(90);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(RangeComboBox);
  row->addWidget(PercentSpinBox);
  row->addWidget(LowEdit);
  row->addWidget(HighEdit);
  row->addStretch(1);
  ShowFields();
  connect(RangeComboBox, &QComboBox::currentIndexChanged, this, [this] {
    ShowFields();
    emit Changed();
  });
  connect(PercentSpinBox, &QDoubleSpinBox::valueChanged, this, &TColourRangeBox::Changed);
  for (QLineEdit* edit : {LowEdit, HighEdit})
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
      // Leaving an unchanged field is no change.
      if (edit->isModified()) emit Changed();
      edit->setModified(false);
    });
}

void TColourRangeBox::ShowFields() {
  const auto mode = static_cast<TRangeMode>(RangeComboBox->currentIndex());
  PercentSpinBox->setVisible(mode == TRangeMode::Percentiles || mode == TRangeMode::Symmetric);
  LowEdit->setVisible(mode == TRangeMode::Limits);
  HighEdit->setVisible(mode == TRangeMode::Limits);
}

void TColourRangeBox::ShowLimits(double low, double high) {
  if (RangeComboBox->currentIndex() == static_cast<int>(TRangeMode::Limits)) return;
  LowEdit->setText(QString::number(low, 'g', 6));
  HighEdit->setText(QString::number(high, 'g', 6));
}

TColourRange TColourRangeBox::Range() const {
  TColourRange range;
  range.Mode = static_cast<TRangeMode>(std::max(RangeComboBox->currentIndex(), 0));
  range.Percent = PercentSpinBox->value();
  if (range.Mode == TRangeMode::Limits) {
    range.Low = StrToFloat(LowEdit->text().trimmed().toStdString());
    range.High = StrToFloat(HighEdit->text().trimmed().toStdString());
  }
  return range;
}
