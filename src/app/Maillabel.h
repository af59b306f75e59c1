#pragma once

#include <QLabel>

class QMouseEvent;

// The mail link of the About box: it reports movements over it and clicks on it.
class TMailLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void Moved();
  void Clicked();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};
