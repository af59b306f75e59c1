#include "app/encode/Resetcoordinate.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include "app/Formparts.h"

TReSetCoordinateForm::TReSetCoordinateForm(QWidget* parent) : QDialog(parent) {
  setObjectName("ReSetCoordinateForm");
  setWindowTitle("Re-Set the Coordinate System");

  NoteLabel = new QLabel(
      "If you change it, it will effect the next NEW encode, not effect currently encode", this);
  NoteLabel->setObjectName("NoteLabel");
  NoteLabel->setTextFormat(Qt::PlainText);
  NoteLabel->setWordWrap(true);
  QFont bold = NoteLabel->font();
  bold.setBold(true);
  NoteLabel->setFont(bold);
  QPalette red = NoteLabel->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  NoteLabel->setPalette(red);

  // The note above is the dialog's own text; this one says exactly when the size is used.
  SizeNoteLabel = new QLabel(
      "The size is used by New Encode and by every Do Encoding of the automatic stage, which "
      "makes the job afresh; Start Encode Again keeps the table of the job in hand.",
      this);
  SizeNoteLabel->setObjectName("SizeNoteLabel");
  SizeNoteLabel->setTextFormat(Qt::PlainText);
  SizeNoteLabel->setWordWrap(true);

  Label1 = new QLabel("Maxium  X", this);
  Label1->setObjectName("Label1");
  MaxNxEdit = new QLineEdit(this);
  MaxNxEdit->setObjectName("MaxNxEdit");
  Label2 = new QLabel("Maxuim Y", this);
  Label2->setObjectName("Label2");
  MaxNyEdit = new QLineEdit(this);
  MaxNyEdit->setObjectName("MaxNyEdit");

  const TDialogButtons buttons = MakeDialogButtons(this, "OKButton", "CancelButton");
  OKButton = buttons.Ok;
  CancelButton = buttons.Cancel;

  auto* fields = new QGridLayout;
  fields->addWidget(Label1, 0, 0);
  fields->addWidget(MaxNxEdit, 0, 1);
  fields->addWidget(Label2, 1, 0);
  fields->addWidget(MaxNyEdit, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(NoteLabel);
  layout->addWidget(SizeNoteLabel);
  layout->addLayout(fields);
  layout->addLayout(buttons.Row);
  setFixedWidth(300);
}

void TReSetCoordinateForm::SetTableSize(int32_t maxNx, int32_t maxNy) {
  MaxNxEdit->setText(QString::number(maxNx));
  MaxNyEdit->setText(QString::number(maxNy));
}

void TReSetCoordinateForm::SetNeededSize(int32_t maxNx, int32_t maxNy) {
  SizeNoteLabel->setText(SizeNoteLabel->text() +
                         QString(" A table of %1 by %2 holds every dot of the picture in hand "
                                 "whatever its origin.")
                             .arg(maxNx)
                             .arg(maxNy));
}

int32_t TReSetCoordinateForm::MaxNx() const {
  return IntOf(MaxNxEdit);
}

int32_t TReSetCoordinateForm::MaxNy() const {
  return IntOf(MaxNyEdit);
}

void TReSetCoordinateForm::showEvent(QShowEvent* event) {
  // Centred on the screen, not over the main window.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    adjustSize();
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  QDialog::showEvent(event);
}
