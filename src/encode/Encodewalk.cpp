// The grid walk: propagating grid indices from dot to dot, and the manual corrections.
#include <cmath>

#include "base/Cancel.h"
#include "base/Error.h"
#include "base/Surface.h"
#include "encode/Encode.h"

namespace {

float F(double v) {
  return static_cast<float>(v);
}

}  // namespace

int32_t TEncode::GridNeighbour(int32_t i, int32_t d) const {
  const int64_t nx = int64_t{FDotInfo[i].Nx} + FDirX[d];
  const int64_t ny = int64_t{FDotInfo[i].Ny} + FDirY[d];
  // The table's own bounds: positions outside it hold no dot.
  if (nx < -FMaxNx || nx > FMaxNx || ny < -FMaxNy || ny > FMaxNy) return -1;
  return FCoordinate.GetIndex(static_cast<int32_t>(nx), static_cast<int32_t>(ny));
}

bool TEncode::IsConsistent(int32_t a, int32_t b, int32_t d) const {
  return int64_t{FDotInfo[b].Nx} == int64_t{FDotInfo[a].Nx} + FDirX[d] &&
         int64_t{FDotInfo[b].Ny} == int64_t{FDotInfo[a].Ny} + FDirY[d];
}

void TEncode::AssignDot(int32_t i, const int32_t neighbour[4], int32_t nx, int32_t ny) {
  const int32_t count = static_cast<int32_t>(FDotInfo.size());
  if (i < 0 || i >= count) return;
  TDotInfo& dot = FDotInfo[i];
  dot.Nx = nx;
  dot.Ny = ny;
  dot.Neted = true;
  dot.Coded = true;
  FCoordinate.SetIndex(nx, ny, i);
  // (nx, ny) is inside the table now, so the neighbours' indices cannot overflow.
  for (int32_t d = 0; d < 4; ++d) {
    const int32_t n = neighbour[d] < count ? neighbour[d] : -1;
    dot.Neighbour[d] = n;
    if (n < 0) continue;
    TDotInfo& other = FDotInfo[n];
    other.Neighbour[(d + 2) % 4] = i;
    other.Nx = nx + FDirX[d];
    other.Ny = ny + FDirY[d];
    other.Coded = true;
    FCoordinate.SetIndex(other.Nx, other.Ny, n);
  }
}

// The four neighbours of v, reached from u by a step in direction d: a dot already registered
// at the grid position, else the nearest dot in a box around the predicted place.
void TEncode::FindNeighbours(int32_t u, int32_t v, int32_t d, int32_t n[4]) {
  const TDotInfo& du = FDotInfo[u];
  const TDotInfo& dv = FDotInfo[v];
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t g = GridNeighbour(v, k);
    if (g >= 0) {
      if (!IsConsistent(v, g, k)) throw TError("Error when Encoding, direct correct it");
      n[k] = g;
    } else if (k == d) {  // straight on
      const double ax = std::fabs(static_cast<double>(dv.x) - du.x);
      const double ay = std::fabs(static_cast<double>(dv.y) - du.y);
      FTolX = ax > ay ? F(0.45 * ax) : F(0.45 * ay / FRatio);
      FTolY = F(static_cast<double>(FTolX) * FRatio);
      n[k] = NearestDotWithin(F(2.0 * dv.x - du.x), F(2.0 * dv.y - du.y));
    } else if (const int32_t w = GridNeighbour(u, k); w >= 0) {  // parallelogram
      const TDotInfo& dw = FDotInfo[w];
      if (k % 2 == 1) {
        FTolX = F(0.45 * std::fabs(static_cast<double>(dv.x) - du.x));
        FTolY = F(0.45 * std::fabs(static_cast<double>(dw.y) - du.y));
      } else {
        FTolX = F(0.45 * std::fabs(static_cast<double>(dw.x) - du.x));
        FTolY = F(0.45 * std::fabs(static_cast<double>(dv.y) - du.y));
      }
      n[k] = NearestDotWithin(F(static_cast<double>(dv.x) + dw.x - du.x),
                              F(static_cast<double>(dv.y) + dw.y - du.y));
    } else {  // perpendicular to the known step
      double ex = static_cast<double>(dv.x) - du.x;
      double ey = static_cast<double>(dv.y) - du.y;
      if (k == (d + 1) % 4)
        ey = -ey;
      else
        ex = -ex;
      const double step = std::fabs(ey) > std::fabs(ex) ? std::fabs(ey) : std::fabs(ex);
      // dy = FRatio * dx: across a horizontal step the offset is the step times the ratio,
      // across a vertical one the step divided by it; the box is 0.45 pitch either way.
      if (d % 2 == 0) {
        FTolX = F(0.45 * step);
        FTolY = F(static_cast<double>(FTolX) * FRatio);
        n[k] = NearestDotWithin(F(dv.x + FRatio * ey), F(dv.y + FRatio * ex));
      } else {
        FTolX = F(0.45 * step / FRatio);
        FTolY = F(static_cast<double>(FTolX) * FRatio);
        n[k] = NearestDotWithin(F(dv.x + ey / FRatio), F(dv.y + ex / FRatio));
      }
    }
  }
}

int32_t TEncode::ExpandStep(int32_t u, int32_t d) {
  const int32_t v = FDotInfo[u].Neighbour[d];
  if (v < 0) return -1;
  TDotInfo& dv = FDotInfo[v];
  if (dv.Neted) {
    if (IsConsistent(u, v, d)) return -1;
    throw TError(" Error when encoding, Direct correct it");
  }
  if (!dv.Coded) return -1;
  int32_t n[4];
  FindNeighbours(u, v, d, n);
  AssignDot(v, n, dv.Nx, dv.Ny);
  // The expanded dot vanishes from the screen. Without painting nothing would show it, and the
  // walk never reads the picture, so the picture is left alone.
  if (Painting()) {
    FloodFill(static_cast<int32_t>(dv.x), static_cast<int32_t>(dv.y));
    FCanvas->Flush();
  }
  if (FDelay != 0 && FPause) FPause(FDelay);
  if (FCancel && FCancel()) throw TCancelled();
  return v;
}

// Depth first, as the recursive walk Expand(v, d + 1), Expand(v, d + 3), Expand(v, d) from each
// expanded dot v, with the frames on the heap: the walk can be as deep as the grid has dots.
void TEncode::Expand(int32_t u, int32_t d) {
  struct TFrame {
    int32_t Dot;
    int8_t Dir;
    int8_t Next;  // which of the three calls comes next
  };
  static constexpr int32_t Turn[3] = {1, 3, 0};
  if (u < 0 || u >= static_cast<int32_t>(FDotInfo.size())) return;
  const int32_t first = ExpandStep(u, d);
  if (first < 0) return;
  std::vector<TFrame> stack{{first, static_cast<int8_t>(d), 0}};
  while (!stack.empty()) {
    TFrame& top = stack.back();
    const int32_t from = top.Dot;
    const int32_t dir = (top.Dir + Turn[top.Next]) % 4;
    if (++top.Next == 3) stack.pop_back();  // the last call ends the frame
    const int32_t next = ExpandStep(from, dir);
    if (next >= 0) stack.push_back({next, static_cast<int8_t>(dir), 0});
  }
}

void TEncode::Encode(int32_t origin) {
  if (origin < 0 || origin >= static_cast<int32_t>(FDotInfo.size())) return;
  // The painted walk erases the expanded dots; the picture is put back however it ends.
  FUndo.clear();
  FRecordUndo = true;
  try {
    for (int32_t d : {0, 2, 1, 3}) Expand(origin, d);
  } catch (...) {
    UndoFills();
    Redraw();
    throw;
  }
  UndoFills();
  Redraw();
  ShowUnNeted(FCanvas);
}

void TEncode::ModifyOrigin(int32_t i) {
  if (i < 0 || i >= FDotSum || i >= static_cast<int32_t>(FDotInfo.size())) return;
  if (!FDotInfo[i].Coded) throw TError(" this grid are not encoded, Encode this grid first !");
  const int32_t sx = FDotInfo[i].Nx, sy = FDotInfo[i].Ny;
  for (TDotInfo& dot : FDotInfo) {
    if (!dot.Coded) continue;
    dot.Nx = static_cast<int32_t>(int64_t{dot.Nx} - sx);
    dot.Ny = static_cast<int32_t>(int64_t{dot.Ny} - sy);
  }
}

void TEncode::ModifyDot(int32_t index, int32_t nx, int32_t ny, bool neted) {
  if (index < 0 || index >= FDotSum || index >= static_cast<int32_t>(FDotInfo.size())) return;
  TDotInfo& dot = FDotInfo[index];
  dot.Nx = nx;
  dot.Ny = ny;
  dot.Coded = true;
  dot.Neted = neted;
}
