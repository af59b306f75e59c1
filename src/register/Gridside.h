#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class TPointGrid;

// One side of a registration: the dots of one picture in one index space (a code file's
// (Nx, Ny), or one component of a picture's own lattice), with what is not periodic about them.
// A cell of the index space is occupied (a dot is there), visible and empty (its place, from the
// local steps of a dot at most two cells away, lies well inside the picture and no dot of the
// picture lies near it: a missing dot or the grid's outline), or unknown (outside the picture,
// near its border, or holding a dot of another component). Dots whose area differs much from
// their neighbours' (damaged or stained ones) are marked too.
struct TSideDot {
  float X = 0, Y = 0;
  int32_t Ix = 0, Iy = 0;
  int32_t Area = 0;
  float Ax = 0, Ay = 0, Bx = 0, By = 0;  // local steps to (Ix + 1, Iy) and (Ix, Iy + 1)
  int32_t Source = -1;                   // the dot's index in the caller's array
  bool Odd = false;                      // damaged: area far from its neighbours'
};

struct TSideCell {
  int32_t Ix = 0, Iy = 0;
  int32_t Dir = -1;  // a feature: the direction 0..3 (+x, +y, -x, -y) to an empty cell; -1 odd dot
};

class TGridSide {
 public:
  // dots must have distinct indices. all holds every dot of the picture (for the emptiness
  // test); width and height are the picture's. Steps left at 0 are measured from the
  // neighbours (or the median step). others, when given, marks the dots of all that belong to
  // other components: a cell with one of them within a few pitches lies at a crack's lip or a
  // gap, where the other side's motion is its own, and is not taken as empty.
  TGridSide(std::vector<TSideDot> dots, const TPointGrid& all, int32_t width, int32_t height,
            const std::vector<char>* others = nullptr);

  const std::vector<TSideDot>& Dots() const { return FDots; }
  // The dot at (ix, iy), -1 where none.
  int32_t At(int64_t ix, int64_t iy) const {
    const int64_t x = ix - FMinX, y = iy - FMinY;
    if (x < 0 || y < 0 || x >= FSizeX || y >= FSizeY) return -1;
    return FCell[static_cast<size_t>(y * FSizeX + x)];
  }
  bool Empty(int64_t ix, int64_t iy) const { return State(ix, iy) == Vacant; }
  const std::vector<TSideCell>& EmptyCells() const { return FEmpty; }
  const std::vector<TSideCell>& Features() const { return FFeatures; }
  double Pitch() const { return FPitch; }
  // The median steps.
  double Ax() const { return FAx; }
  double Ay() const { return FAy; }
  double Bx() const { return FBx; }
  double By() const { return FBy; }
  int32_t MinX() const { return FMinX; }
  int32_t MinY() const { return FMinY; }
  int32_t SizeX() const { return FSizeX; }
  int32_t SizeY() const { return FSizeY; }

 private:
  enum : uint8_t { Unknown = 0, Taken = 1, Vacant = 2 };
  uint8_t State(int64_t ix, int64_t iy) const;
  size_t Stride() const { return std::max<size_t>(1, FDots.size() / 3000); }
  void MeasureSteps();
  void MarkOddDots();
  void FindEmptyCells(const TPointGrid& all, int32_t width, int32_t height,
                      const std::vector<char>* others);

  std::vector<TSideDot> FDots;
  // Over the dots' index box grown by two cells on each side.
  int32_t FMinX = 0, FMinY = 0, FSizeX = 0, FSizeY = 0;
  std::vector<int32_t> FCell;
  std::vector<uint8_t> FState;
  std::vector<TSideCell> FEmpty, FFeatures;
  double FPitch = 0, FAx = 0, FAy = 0, FBx = 0, FBy = 0;
};
