// The job's records changed from outside the extraction and the walk: replaced, indexed from a
// reference, put back by an undo, or saved and restored around a walk that may be cancelled.
#include <utility>

#include "encode/Encode.h"

void TEncode::ResizeTable(int32_t maxNx, int32_t maxNy) {
  FCoordinate = TCoordinate(maxNx, maxNy);
  FMaxNx = maxNx;
  FMaxNy = maxNy;
}

void TEncode::ReplaceDots(std::vector<TDotInfo> dots) {
  FDotInfo = std::move(dots);
  FDotSum = FDotIndex = static_cast<int32_t>(FDotInfo.size());
  FGridValid = false;
}

void TEncode::ClearIndices() {
  InitDotInfo();
}

void TEncode::IndexDot(int32_t i, int32_t nx, int32_t ny) {
  TDotInfo& d = FDotInfo[static_cast<size_t>(i)];
  d.Nx = nx;
  d.Ny = ny;
  d.Coded = d.Neted = true;
  FCoordinate.SetIndex(nx, ny, i);
}

void TEncode::LinkIndexedDots() {
  FCodedSum = 0;
  for (TDotInfo& d : FDotInfo) {
    if (!d.Coded) continue;
    ++FCodedSum;
    for (int32_t dir = 0; dir < 4; ++dir) {
      const int32_t x = d.Nx + FDirX[dir], y = d.Ny + FDirY[dir];
      if (FCoordinate.Contains(x, y)) d.Neighbour[dir] = FCoordinate.GetIndex(x, y);
    }
  }
}

void TEncode::RestoreDot(int32_t index, const TDotInfo& dot) {
  if (index < 0 || index >= static_cast<int32_t>(FDotInfo.size())) return;
  TDotInfo& d = FDotInfo[static_cast<size_t>(index)];
  d.Nx = dot.Nx;
  d.Ny = dot.Ny;
  d.Coded = dot.Coded;
  d.Neted = dot.Neted;
}

TEncode::TWalkState::TWalkState(const TEncode& job)
    : FDots(job.FDotInfo),
      FTable(job.FCoordinate),
      FTolX(job.FTolX),
      FTolY(job.FTolY),
      FRatio(job.FRatio),
      FDelay(job.FDelay),
      FCodedSum(job.FCodedSum),
      FCanvas(job.FCanvas),
      FPause(job.FPause),
      FCancel(job.FCancel) {}

void TEncode::RestoreWalk(TWalkState state) {
  FDotInfo = std::move(state.FDots);
  FCoordinate = std::move(state.FTable);
  FTolX = state.FTolX, FTolY = state.FTolY, FRatio = state.FRatio;
  FDelay = state.FDelay, FCodedSum = state.FCodedSum;
  FCanvas = state.FCanvas, FPause = std::move(state.FPause), FCancel = std::move(state.FCancel);
}
