#include "app/Toolwindows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <limits>
#include <utility>

#include "app/Settings.h"
#include "app/Toolplacement.h"

namespace {

// Before a window is first shown its frame is not known yet: a title bar and a thin border.
QSize FrameSize(const QWidget* window) {
  const QSize frame = window->frameGeometry().size();
  if (frame != window->size()) return frame;
  return window->size() + QSize(2, 30);
}

// The frame's top-left corner to p. Before a window is first shown its frame is not known, and
// a move places its inside: by the frame of its main window, which the same window manager drew.
void MoveFrame(QWidget* window, QPoint p) {
  const QWidget* owner = window->parentWidget();
  if (window->frameGeometry() == window->geometry() && owner != nullptr)
    p += owner->geometry().topLeft() - owner->frameGeometry().topLeft();
  window->move(p);
}

}  // namespace

TToolWindows::TToolWindows(std::function<QRect()> picture, std::function<QList<QRect>()> controls,
                           QObject* parent)
    : QObject(parent), FPicture(std::move(picture)), FControls(std::move(controls)) {}

void TToolWindows::Track(QWidget* window) {
  FWindows.push_back(window);
  window->installEventFilter(this);
}

QList<QRect> TToolWindows::Screens() {
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens())
    screens.push_back(screen->availableGeometry());
  return screens;
}

bool TToolWindows::eventFilter(QObject* watched, QEvent* event) {
  auto* window = qobject_cast<QWidget*>(watched);
  if (window != nullptr && !event->spontaneous()) {
    // Shown: moved before it appears. Hidden: where the user left it is kept.
    if (event->type() == QEvent::Show && !FPlaced.contains(window)) Place(window);
    if (event->type() == QEvent::Hide) Remember(window);
  }
  return QObject::eventFilter(watched, event);
}

void TToolWindows::Place(QWidget* window) {
  const QList<QRect> screens = Screens();
  const QSize frame = FrameSize(window);
  QSettings settings(Settings::Organisation, Settings::Application);
  const QVariant stored = settings.value(Key(window));
  if (stored.canConvert<QPoint>() && stored.isValid() &&
      TToolPlacement::OnScreen(QRect(stored.toPoint(), frame), screens)) {
    MoveFrame(window, stored.toPoint());
    FPlaced[window] =
        QPoint(std::numeric_limits<int>::min(), 0);  // the user's place: kept as it is moved
    return;
  }
  PlaceFree(window);
}

void TToolWindows::PlaceFree(QWidget* window) {
  const QList<QRect> screens = Screens();
  const QSize frame = FrameSize(window);
  QList<QRect> taken;
  for (const QPointer<QWidget>& other : FWindows)
    if (other && other != window && other->isVisible()) taken.push_back(other->frameGeometry());
  const QPoint p = TToolPlacement::Place(frame, FPicture(), screens, taken, FControls());
  MoveFrame(window, p);
  FPlaced[window] = p;
}

void TToolWindows::Remember(QWidget* window) {
  // A place this run chose is not stored: the next run chooses again for its own picture.
  if (!FPlaced.contains(window) || FPlaced[window] == window->pos()) return;
  QSettings settings(Settings::Organisation, Settings::Application);
  settings.setValue(Key(window), window->pos());
}

void TToolWindows::KeepClear() {
  const QList<QRect> kept = FControls();
  for (const QPointer<QWidget>& window : FWindows) {
    if (!window || !window->isVisible() || !FPlaced.contains(window) ||
        FPlaced[window] != window->pos())
      continue;
    const QRect frame = window->frameGeometry();
    if (std::any_of(kept.begin(), kept.end(), [&](const QRect& k) { return k.intersects(frame); }))
      PlaceFree(window);
  }
}

void TToolWindows::RememberAll() {
  for (const QPointer<QWidget>& window : FWindows)
    if (window && window->isVisible()) Remember(window);
}
