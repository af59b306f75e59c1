#include "app/Maillabel.h"

#include <QMouseEvent>

void TMailLabel::mouseMoveEvent(QMouseEvent* event) {
  emit Moved();
  event->accept();
}

void TMailLabel::mousePressEvent(QMouseEvent* event) {
  event->accept();
}

void TMailLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit Clicked();
  event->accept();
}
