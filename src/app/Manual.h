#pragma once

#include <QDockWidget>

class QTextBrowser;

// "Manual": the short user's manual (help/manual.md, built in), docked beside the picture so
// that it covers nothing; F1 opens it.
class TManualForm : public QDockWidget {
  Q_OBJECT
 public:
  explicit TManualForm(QWidget* parent);

  QTextBrowser* ManualBrowser;
};
