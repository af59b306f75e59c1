#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "track/Trackoptions.h"

// What the track command tells while it runs. On a terminal, one bar redrawn in place (pictures
// done, rate, time left) and a line for each failed step; elsewhere (a log file, a pipe) one
// line per step, so a log keeps every step's figures.
class TTrackProgress {
 public:
  TTrackProgress(std::FILE* out, bool bar);

  void Step(const TTrackStep& step, int32_t done, int32_t total);
  // Ends a bar left open by a run that stopped early, so the next message starts a line.
  void End();

 private:
  void DrawBar(int32_t done, int32_t total, double seconds);

  std::FILE* FOut;
  bool FBar;
  std::chrono::steady_clock::time_point FStart;
  bool FOpen = false;  // a bar is drawn and its line not ended
};
