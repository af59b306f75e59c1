#include "cli/Trackprogress.h"

#include <string>

TTrackProgress::TTrackProgress(std::FILE* out, bool bar)
    : FOut(out), FBar(bar), FStart(std::chrono::steady_clock::now()) {}

void TTrackProgress::Step(const TTrackStep& step, int32_t done, int32_t total) {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
  // On a terminal the line of a failed step goes above the bar, which is drawn again below it.
  const char* clear = FBar ? "\r\033[K" : "";
  // How a step was registered, when not simply as predicted, and a warning of an ambiguous one.
  const std::string note =
      step.Note.empty() ? "" : (step.Flagged() ? "; WARNING: " : "; ") + step.Note;
  if (!step.Good()) {
    std::fprintf(FOut, "%sstep %d %s: failed: %s\n", clear, step.Step, step.Picture.c_str(),
                 step.Reason.c_str());
  } else if (!FBar) {
    std::fprintf(FOut,
                 "step %d %s: %d dots, %d pairs, %d lost, mean dx %.3f dy %.3f, exx %.6f eyy "
                 "%.6f exy %.6f%s\n",
                 step.Step, step.Picture.c_str(), step.Dots, step.Pairs, step.Lost, step.MeanDx,
                 step.MeanDy, step.Exx, step.Eyy, step.Exy, note.c_str());
  } else if (!note.empty()) {
    std::fprintf(FOut, "%sstep %d %s: %s\n", clear, step.Step, step.Picture.c_str(),
                 note.c_str() + 2);
  }
  if (FBar) DrawBar(done, total, seconds);
  std::fflush(FOut);
}

void TTrackProgress::DrawBar(int32_t done, int32_t total, double seconds) {
  constexpr int32_t Width = 30;
  const int32_t filled = total > 0 ? Width * done / total : Width;
  const std::string bar = std::string(static_cast<size_t>(filled), '#') +
                          std::string(static_cast<size_t>(Width - filled), '.');
  const double rate = seconds > 0 ? done / seconds : 0;
  std::fprintf(FOut, "\r\033[K[%s] %d/%d pictures  %.1f pictures/s", bar.c_str(), done, total,
               rate);
  if (rate > 0 && done < total) std::fprintf(FOut, "  %.0f s left", (total - done) / rate);
  FOpen = done < total;
  if (!FOpen) std::fputc('\n', FOut);
}

void TTrackProgress::End() {
  if (FOpen) std::fputc('\n', FOut);
  FOpen = false;
  std::fflush(FOut);
}
