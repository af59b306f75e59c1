#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "encode/Dotinfo.h"

class TEncode;
class TSegment;

// The hand corrections of the main window's jobs, undone and redone in order: the dot
// corrections of the encode parameter dialog (Modify Coord., Modify Origin), the picks of the
// origin and its neighbours, and the erasures of the segment parameter dialog (Modify). Each
// change is made here, through the job's own operation, and kept with what it replaced. A step
// is undone only on the job it was made on, while that job still shows what the step left: a
// job released, rebuilt or changed otherwise since ends the history there. No Qt: the window
// owns one and binds its keys to it.
class TEditHistory {
 public:
  enum class TKind { Dots, Pick, Erase };
  // What Undo or Redo did, for the window to redraw and report.
  struct TDone {
    TKind Kind = TKind::Dots;
    std::string Name;     // "the grid indices of dot 12", ...
    int32_t Dot = -1;     // the dot corrected or picked; -1 for erasures
    bool Applied = true;  // false: the step no longer fits its job, and the history is cleared
  };

  // The jobs the window holds at the time of an undo or redo.
  TEditHistory(std::function<TEncode*()> encoder, std::function<TSegment*()> segmenter);

  // TEncode::ModifyDot and TEncode::ModifyOrigin (whose error passes through, recording nothing).
  void ModifyDot(TEncode& job, int32_t index, int32_t nx, int32_t ny, bool neted);
  void ModifyOrigin(TEncode& job, int32_t index);
  // A pick slot of the window (a field that outlives the history) gets value. With merge, a pick
  // that follows one of the same slot joins it (the hover of Pass View is one step).
  void Pick(int32_t& slot, int32_t value, const std::string& name, bool merge);
  // TSegment::ModifyRect.
  void Erase(TSegment& job, bool whiteDots, int32_t x, int32_t y, int32_t dx, int32_t dy);

  // Nothing when there is no step to take.
  std::optional<TDone> Undo();
  std::optional<TDone> Redo();
  // The step Undo or Redo would take, "" for none.
  std::string UndoName() const { return FUndo.empty() ? "" : FUndo.back().Name; }
  std::string RedoName() const { return FRedo.empty() ? "" : FRedo.back().Name; }
  void Clear();

  // At most this many steps, keeping erased pixels and dot records of at most this many bytes
  // (the oldest steps go first; the newest always stays).
  static constexpr size_t MaxSteps = 200;
  static constexpr size_t MaxBytes = size_t{64} << 20;

 private:
  struct TDotChange {
    int32_t Index = 0;
    TDotInfo Before, After;
  };
  struct TStep {
    TKind Kind = TKind::Dots;
    std::string Name;
    const void* Job = nullptr;  // the TEncode or TSegment, null for picks
    int32_t Dot = -1;
    std::vector<TDotChange> Dots;
    int32_t* Slot = nullptr;
    int32_t Before = 0, After = 0;
    bool Merge = false;
    // Erase: columns X1..X2 and rows Y1..Y2 of a picture of Width x Height, the pixels there
    // before, row by row, and the background value that replaced them.
    int32_t X1 = 0, Y1 = 0, X2 = -1, Y2 = -1, Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;
    uint8_t Fill = 0;
    size_t Bytes() const { return Dots.size() * sizeof(TDotChange) + Pixels.size(); }
  };
  void Push(TStep step);
  void DotStep(TEncode& job, std::string name, int32_t dot, const std::function<void()>& change);
  // Puts the step's job into the state before the step (undo) or after it; false, changing
  // nothing, when the job does not show the other state.
  bool Apply(const TStep& step, bool undo);
  std::optional<TDone> Move(bool undo);

  std::function<TEncode*()> FEncoder;
  std::function<TSegment*()> FSegmenter;
  std::deque<TStep> FUndo;
  std::deque<TStep> FRedo;
  size_t FBytes = 0;
};
