#include "workflow/Edithistory.h"

#include <algorithm>
#include <utility>

#include "base/Convert.h"
#include "encode/Encode.h"
#include "segment/Segment.h"

namespace {

// What a correction changes, and the centre that tells one dot from another.
bool SameDot(const TDotInfo& a, const TDotInfo& b) {
  return a.x == b.x && a.y == b.y && a.Nx == b.Nx && a.Ny == b.Ny && a.Coded == b.Coded &&
         a.Neted == b.Neted;
}

}  // namespace

TEditHistory::TEditHistory(std::function<TEncode*()> encoder, std::function<TSegment*()> segmenter)
    : FEncoder(std::move(encoder)), FSegmenter(std::move(segmenter)) {}

void TEditHistory::Clear() {
  FUndo.clear();
  FRedo.clear();
  FBytes = 0;
}

void TEditHistory::Push(TStep step) {
  for (const TStep& s : FRedo) FBytes -= s.Bytes();
  FRedo.clear();
  FBytes += step.Bytes();
  FUndo.push_back(std::move(step));
  while (FUndo.size() > 1 && (FUndo.size() > MaxSteps || FBytes > MaxBytes)) {
    FBytes -= FUndo.front().Bytes();
    FUndo.pop_front();
  }
}

void TEditHistory::DotStep(TEncode& job, std::string name, int32_t dot,
                           const std::function<void()>& change) {
  const std::vector<TDotInfo> before = job.DotInfo();
  change();
  TStep step;
  step.Kind = TKind::Dots;
  step.Name = std::move(name);
  step.Job = &job;
  step.Dot = dot;
  for (size_t i = 0; i < before.size() && i < job.DotInfo().size(); ++i)
    if (!SameDot(before[i], job.DotInfo()[i]))
      step.Dots.push_back({static_cast<int32_t>(i), before[i], job.DotInfo()[i]});
  if (!step.Dots.empty()) Push(std::move(step));
}

void TEditHistory::ModifyDot(TEncode& job, int32_t index, int32_t nx, int32_t ny, bool neted) {
  DotStep(job, "the grid indices of dot " + IntToStr(index), index,
          [&] { job.ModifyDot(index, nx, ny, neted); });
}

void TEditHistory::ModifyOrigin(TEncode& job, int32_t index) {
  DotStep(job, "the origin moved to dot " + IntToStr(index), index,
          [&] { job.ModifyOrigin(index); });
}

void TEditHistory::Pick(int32_t& slot, int32_t value, const std::string& name, bool merge) {
  const int32_t before = slot;
  slot = value;
  if (before == value) return;
  if (merge && FRedo.empty() && !FUndo.empty() && FUndo.back().Kind == TKind::Pick &&
      FUndo.back().Slot == &slot && FUndo.back().Merge) {
    FUndo.back().After = value;
    FUndo.back().Dot = value;
    return;
  }
  TStep step;
  step.Kind = TKind::Pick;
  step.Name = "the pick of the " + name;
  step.Slot = &slot;
  step.Before = before;
  step.After = value;
  step.Dot = value;
  step.Merge = merge;
  Push(std::move(step));
}

void TEditHistory::Erase(TSegment& job, bool whiteDots, int32_t x, int32_t y, int32_t dx,
                         int32_t dy) {
  TGrayImage& image = job.Image();
  // The rectangle the fill covers (TGrayImage::FillRect clamps it to the picture).
  TStep step;
  step.Kind = TKind::Erase;
  step.Job = &job;
  step.Width = image.Width();
  step.Height = image.Height();
  step.X1 = std::max(x, 0);
  step.Y1 = std::max(y, 0);
  step.X2 = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + dx, step.Width - 1));
  step.Y2 = static_cast<int32_t>(std::min<int64_t>(int64_t{y} + dy, step.Height - 1));
  step.Fill = whiteDots ? 0 : 255;
  const bool empty = step.X1 > step.X2 || step.Y1 > step.Y2;
  if (!empty) {
    const TGrayImage& shown = image;
    for (int32_t row = step.Y1; row <= step.Y2; ++row)
      step.Pixels.insert(step.Pixels.end(), shown.Row(row) + step.X1, shown.Row(row) + step.X2 + 1);
  }
  job.ModifyRect(whiteDots, x, y, dx, dy);
  const bool changed = std::any_of(step.Pixels.begin(), step.Pixels.end(),
                                   [&](uint8_t p) { return p != step.Fill; });
  if (!changed) return;
  step.Name = Format("the erasure of (%d, %d) to (%d, %d)", step.X1, step.Y1, step.X2, step.Y2);
  Push(std::move(step));
}

bool TEditHistory::Apply(const TStep& step, bool undo) {
  switch (step.Kind) {
    case TKind::Pick:
      if (*step.Slot != (undo ? step.After : step.Before)) return false;
      *step.Slot = undo ? step.Before : step.After;
      return true;
    case TKind::Dots: {
      TEncode* job = FEncoder();
      if (job == nullptr || job != step.Job) return false;
      for (const TDotChange& c : step.Dots)
        if (static_cast<size_t>(c.Index) >= job->DotInfo().size() ||
            !SameDot(job->DotInfo()[static_cast<size_t>(c.Index)], undo ? c.After : c.Before))
          return false;
      for (const TDotChange& c : step.Dots) job->RestoreDot(c.Index, undo ? c.Before : c.After);
      return true;
    }
    case TKind::Erase: {
      TSegment* job = FSegmenter();
      if (job == nullptr || job != step.Job || job->Image().Width() != step.Width ||
          job->Image().Height() != step.Height)
        return false;
      const TGrayImage& shown = job->Image();
      const int32_t w = step.X2 - step.X1 + 1;
      for (int32_t row = step.Y1; row <= step.Y2; ++row) {
        const uint8_t* now = shown.Row(row) + step.X1;
        const uint8_t* before = step.Pixels.data() + static_cast<size_t>(row - step.Y1) * w;
        for (int32_t k = 0; k < w; ++k)
          if (now[k] != (undo ? step.Fill : before[k])) return false;
      }
      for (int32_t row = step.Y1; row <= step.Y2; ++row) {
        uint8_t* now = job->Image().Row(row) + step.X1;
        if (undo)
          std::copy_n(step.Pixels.data() + static_cast<size_t>(row - step.Y1) * w, w, now);
        else
          std::fill_n(now, w, step.Fill);
      }
      return true;
    }
  }
  return false;
}

std::optional<TEditHistory::TDone> TEditHistory::Move(bool undo) {
  std::deque<TStep>& from = undo ? FUndo : FRedo;
  std::deque<TStep>& to = undo ? FRedo : FUndo;
  if (from.empty()) return std::nullopt;
  TStep step = std::move(from.back());
  from.pop_back();
  TDone done{step.Kind, step.Name, step.Dot, true};
  if (!Apply(step, undo)) {
    Clear();
    done.Applied = false;
    return done;
  }
  if (step.Kind == TKind::Pick) done.Dot = undo ? step.Before : step.After;
  step.Merge = false;  // a pick undone and redone is a step of its own
  to.push_back(std::move(step));
  return done;
}

std::optional<TEditHistory::TDone> TEditHistory::Undo() {
  return Move(true);
}

std::optional<TEditHistory::TDone> TEditHistory::Redo() {
  return Move(false);
}
