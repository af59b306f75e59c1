#include "app/Formparts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/Convert.h"

TDialogButtons MakeDialogButtons(QDialog* dialog, const char* okName, const char* cancelName) {
  TDialogButtons buttons;
  buttons.Ok = new QPushButton("OK", dialog);
  buttons.Ok->setObjectName(okName);
  buttons.Ok->setDefault(true);
  buttons.Cancel = new QPushButton("Cancel", dialog);
  buttons.Cancel->setObjectName(cancelName);
  QObject::connect(buttons.Ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(buttons.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  buttons.Row = new QHBoxLayout;
  buttons.Row->addStretch(1);
  buttons.Row->addWidget(buttons.Ok);
  buttons.Row->addWidget(buttons.Cancel);
  return buttons;
}

QPushButton* NewButton(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QLabel* NewLabel(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLineEdit* NewEdit(const char* name, const char* text, QWidget* parent, int width, bool readOnly) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setFixedWidth(width);
  edit->setReadOnly(readOnly);
  return edit;
}

int32_t IntOf(const QLineEdit* edit) {
  return StrToInt(edit->text().toStdString());
}
