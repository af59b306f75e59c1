#pragma once

#include <QElapsedTimer>
#include <QObject>

// While a long command runs on the user-interface thread: input for the windows is dropped, not
// queued for after the command (a click on a menu, a key of a shortcut, a movement that would
// pick a dot), except Esc, which asks the command to stop. The command asks Cancelled() at its
// checkpoints; the event loop is run from there at most every PollInterval milliseconds, so a
// run is hardly slower for it.
class TBusyFilter : public QObject {
  Q_OBJECT
 public:
  explicit TBusyFilter(QObject* parent = nullptr);

  // Installs the filter on the application; Esc not yet pressed. Begin and End pair up; only
  // the outermost pair installs and removes the filter.
  void Begin();
  // Drops the input that arrived since the last poll, then removes the filter.
  void End();

  // Runs the event loop when the last run is PollInterval ago; true once Esc was pressed.
  bool Cancelled();
  // Runs the event loop now (after a pause, which cost more than this anyway).
  bool PollNow();

  static constexpr int PollInterval = 100;  // milliseconds
  // The tests poll at every checkpoint.
  void SetPollInterval(int milliseconds) { FInterval = milliseconds; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int FDepth = 0;  // Begin without its End yet: a command runs
  bool FEscPressed = false;
  int FInterval = PollInterval;
  QElapsedTimer FLastPoll;
};
