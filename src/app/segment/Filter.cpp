#include "app/segment/Filter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QValidator>
#include "app/Formparts.h"

namespace {

// The list's text field takes at most one typed character, as a text limit of one does: a
// longer text (an entry's, set by the program) may be shortened, but nothing typed makes a text
// longer than one character.
class TOneCharValidator : public QValidator {
 public:
  explicit TOneCharValidator(QLineEdit& edit) : QValidator(&edit), FLast(edit.text()) {
    connect(&edit, &QLineEdit::textChanged, this, [this](const QString& text) { FLast = text; });
  }
  State validate(QString& input, int&) const override {
    return input.size() <= 1 || input.size() < FLast.size() ? Acceptable : Invalid;
  }

 private:
  QString FLast;
};

}  // namespace

TFilterForm::TFilterForm(QWidget* parent) : QDialog(parent) {
  setObjectName("FilterForm");
  setWindowTitle("Remove Noise");
  // A small tool window without title-bar buttons: it closes with OK or Cancel.
  setWindowFlags(Qt::Dialog | Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  Label1 = new QLabel("Select  Filter  Type", this);
  Label1->setObjectName("Label1");
  Label1->setTextFormat(Qt::PlainText);
  FilterTypeComboBox = new QComboBox(this);
  FilterTypeComboBox->setObjectName("FilterTypeComboBox");
  FilterTypeComboBox->setEditable(true);
  FilterTypeComboBox->setInsertPolicy(QComboBox::NoInsert);
  FilterTypeComboBox->setCompleter(nullptr);  // what is typed stays what was typed
  FilterTypeComboBox->addItem("Median Filter");
  FilterTypeComboBox->lineEdit()->setValidator(
      new TOneCharValidator(*FilterTypeComboBox->lineEdit()));
  FilterTypeComboBox->setMinimumWidth(150);

  MedianFilterTrackBar = new QSlider(Qt::Horizontal, this);
  MedianFilterTrackBar->setObjectName("MedianFilterTrackBar");
  MedianFilterTrackBar->setRange(0, 10);
  MedianFilterTrackBar->setSingleStep(1);
  MedianFilterTrackBar->setPageStep(1);
  MedianFilterTrackBar->setTickPosition(QSlider::TicksBelow);
  MedianFilterTrackBar->setTickInterval(1);
  MedianFilterTrackBar->setValue(3);
  MedianFilterTrackBar->setMinimumWidth(180);
  TrackBarValueLabel = new QLabel("3", this);
  TrackBarValueLabel->setObjectName("TrackBarValueLabel");
  TrackBarValueLabel->setMinimumWidth(24);
  connect(MedianFilterTrackBar, &QSlider::valueChanged, this,
          [this](int value) { TrackBarValueLabel->setText(QString::number(value)); });

  const TDialogButtons buttons = MakeDialogButtons(this, "BitBtn1", "BitBtn2");
  BitBtn1 = buttons.Ok;
  BitBtn2 = buttons.Cancel;

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(FilterTypeComboBox, 0, 1, 1, 2);
  grid->addWidget(MedianFilterTrackBar, 1, 0, 1, 2);
  grid->addWidget(TrackBarValueLabel, 1, 2);
  grid->addLayout(buttons.Row, 2, 0, 1, 3);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

int TFilterForm::FilterType() const {
  return FilterTypeComboBox->findText(FilterTypeComboBox->currentText(), Qt::MatchExactly);
}

int TFilterForm::WindowSize() const {
  return MedianFilterTrackBar->value();
}
