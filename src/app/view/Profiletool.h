#pragma once

#include <QLineF>
#include <QObject>
#include <QPointer>
#include <optional>
#include <string>

#include "strain/Curvechart.h"
#include "strain/Lineprofile.h"

class QAction;
class TMainForm;
class TProfileForm;
class TProfileLine;

// The line profile of the View menu: while it is on, a drag with the left button on the view
// draws a line instead of the rubber band, and its release shows in the profile window the gray
// values of the picture along the line, or the mapped quantity of a strain map at the dots near
// it. Off, the view's own mouse handling is untouched.
class TProfileTool : public QObject {
  Q_OBJECT
 public:
  TProfileTool(TMainForm& form, QAction* toggle);

  bool Active() const;
  // The profile of the line from one picture pixel to another, into the profile window; raises
  // TError when the view shows no picture.
  void ShowProfile(QPointF from, QPointF to);
  TProfileForm* Window() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TMainForm& FForm;
  QAction* FToggle;
  TProfileLine* FLine;
  std::optional<QPointF> FFrom;  // picture pixel where the drag began
  QPointer<TProfileForm> FWindow;
};
