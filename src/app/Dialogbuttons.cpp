#include "app/Dialogbuttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

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
