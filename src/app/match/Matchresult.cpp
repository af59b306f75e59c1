#include "app/match/Matchresult.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include "app/Formparts.h"

namespace {

void Style(QWidget* widget, const QColor& colour) {
  QFont font = widget->font();
  font.setBold(true);
  widget->setFont(font);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::ButtonText, colour);
  palette.setColor(QPalette::Text, colour);
  widget->setPalette(palette);
}

}  // namespace

TMatchResultForm::TMatchResultForm(QWidget* parent) : QDialog(parent) {
  setObjectName("MatchResultForm");
  setWindowTitle("Select Result Type");
  const QColor navy(0, 0, 128);
  const QColor green(0, 128, 0);

  Label1 = new QLabel("Select Result Type", this);
  Label1->setObjectName("Label1");
  Style(Label1, navy);
  MatchResultTypeComboBox = new QComboBox(this);
  MatchResultTypeComboBox->setObjectName("MatchResultTypeComboBox");
  MatchResultTypeComboBox->addItems({"x y  Theta  R", "x y  dx     dy", "x y  dx", "x y  dy",
                                     "index x y dx   dy", "index x y Theta R", "nx ny x y dx   dy",
                                     "nx ny x y Theta R"});
  MatchResultTypeComboBox->setCurrentIndex(0);
  Style(MatchResultTypeComboBox, green);
  MatchResultTypeComboBox->setMinimumWidth(200);
  ChangeYaxisCheckBox = new QCheckBox("Change Y axis", this);
  ChangeYaxisCheckBox->setObjectName("ChangeYaxisCheckBox");
  ChangeYaxisCheckBox->setChecked(true);
  Style(ChangeYaxisCheckBox, navy);

  const TDialogButtons buttons = MakeDialogButtons(this, "OKButton", "CancelButton");
  OKButton = buttons.Ok;
  CancelButton = buttons.Cancel;

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(MatchResultTypeComboBox);
  layout->addWidget(ChangeYaxisCheckBox);
  layout->addSpacing(8);
  layout->addLayout(buttons.Row);
  setMinimumWidth(300);  // the whole caption in the title bar
}

int32_t TMatchResultForm::Layout() const {
  return MatchResultTypeComboBox->currentIndex();
}

bool TMatchResultForm::ChangeYAxis() const {
  return ChangeYaxisCheckBox->isChecked();
}

void TMatchResultForm::showEvent(QShowEvent* event) {
  // Centred on the screen, not over the main window.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    adjustSize();
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  QDialog::showEvent(event);
}
