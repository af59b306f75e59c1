#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a tool window opens: beside the picture where a screen has room for it, stacked below
// or beside the tool windows already there; where no screen has room beside the picture, in a
// screen corner that leaves the picture's centre free, overlapping the picture as little as
// possible, and never over the main window's controls and docks where the screen leaves room
// elsewhere. Pure geometry in global screen coordinates, so it is tested without a screen.
class TToolPlacement {
 public:
  static constexpr int Gap = 8;  // between the picture, the tool windows and each other

  // The top-left corner of a window frame of the given size. screens: the available geometry
  // of every screen; taken: the frames of the tool windows already shown; kept: the menus,
  // tool bars, docks and status bar of the main window and the view's own controls.
  static QPoint Place(QSize frame, const QRect& picture, const QList<QRect>& screens,
                      const QList<QRect>& taken = {}, const QList<QRect>& kept = {});
  // True when the frame's title bar (its top strip, as far as the user grabs it) lies on one of
  // the screens, so that a window put there can be seen and moved.
  static bool OnScreen(const QRect& frame, const QList<QRect>& screens);
};
