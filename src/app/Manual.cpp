#include "app/Manual.h"

#include <QFile>
#include <QTextBrowser>

static void InitHelp() {
  // The manual lives in the GUI library; a static library's resources need registering.
  Q_INIT_RESOURCE(help);
}

TManualForm::TManualForm(QWidget* parent) : QDockWidget("Manual", parent) {
  InitHelp();
  setObjectName("ManualForm");
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  ManualBrowser = new QTextBrowser(this);
  ManualBrowser->setObjectName("ManualBrowser");
  ManualBrowser->setOpenExternalLinks(true);
  QFile file(":/help/manual.md");
  if (file.open(QIODevice::ReadOnly)) ManualBrowser->setMarkdown(QString::fromUtf8(file.readAll()));
  // Wide enough for the manual's lines, no wider: the picture keeps most of the window.
  ManualBrowser->setMinimumWidth(ManualBrowser->fontMetrics().horizontalAdvance(QString(60, 'n')));
  setWidget(ManualBrowser);
}
