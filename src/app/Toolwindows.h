#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

// The tool windows of the main window (parameter dialogs, result windows): the first time one
// is shown in a run it goes where the user last left it, when that is still on a screen
// (setting "Windows/<objectName>"), else beside the picture (TToolPlacement). Where the user
// moves it is stored when it is hidden and when the application ends.
class TToolWindows : public QObject {
  Q_OBJECT
 public:
  // picture: the picture's part of the screen, in global coordinates; controls: the menus, tool
  // bars, docks and the view's controls, which a window is never put over when there is another
  // place.
  TToolWindows(std::function<QRect()> picture, std::function<QList<QRect>()> controls,
               QObject* parent = nullptr);

  // Watches a window with an object name of its own.
  void Track(QWidget* window);
  // Stores the positions of the windows shown now (the application ends).
  void RememberAll();
  // Moves the windows this run placed that a control or dock covers now (a dock opened since)
  // to a free place; a window the user has moved stays where it is.
  void KeepClear();

  static QString Key(const QWidget* window) { return "Windows/" + window->objectName(); }
  // The available geometry of every screen.
  static QList<QRect> Screens();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place(QWidget* window);
  void PlaceFree(QWidget* window);
  void Remember(QWidget* window);

  std::function<QRect()> FPicture;
  std::function<QList<QRect>()> FControls;
  QList<QPointer<QWidget>> FWindows;
  // Where this run put each window that has been shown; a window found elsewhere was moved.
  QMap<QWidget*, QPoint> FPlaced;
};
