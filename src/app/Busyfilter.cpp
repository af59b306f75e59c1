#include "app/Busyfilter.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace {

// A question the command asks while it runs (a modal box opened on top) takes its answer.
bool InModalDialog(QObject* watched) {
  const QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) return false;
  if (auto* window = qobject_cast<QWindow*>(watched)) return window == modal->windowHandle();
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget != nullptr && (widget == modal || modal->isAncestorOf(widget));
}

}  // namespace

TBusyFilter::TBusyFilter(QObject* parent) : QObject(parent) {}

void TBusyFilter::Begin() {
  if (FDepth++ > 0) return;  // a command run from inside another one is part of it
  FEscPressed = false;
  FLastPoll.start();
  QCoreApplication::instance()->installEventFilter(this);
}

void TBusyFilter::End() {
  if (FDepth == 0) return;
  if (FDepth > 1) {
    --FDepth;
    return;
  }
  // What was clicked or typed while the command ran arrives now, and is dropped.
  QCoreApplication::processEvents();
  QCoreApplication::instance()->removeEventFilter(this);
  FDepth = 0;
}

bool TBusyFilter::Cancelled() {
  if (FDepth == 0) return false;  // no command runs: nothing to stop
  if (FEscPressed) return true;
  if (FLastPoll.elapsed() < FInterval) return false;
  return PollNow();
}

bool TBusyFilter::PollNow() {
  if (FDepth > 0) {
    QCoreApplication::processEvents();
    FLastPoll.start();
  }
  return FEscPressed;
}

bool TBusyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (InModalDialog(watched)) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) FEscPressed = true;
      return true;
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    case QEvent::Close:  // a window the user closes stays until the command has ended
      return event->spontaneous();
    default:
      return QObject::eventFilter(watched, event);
  }
}
