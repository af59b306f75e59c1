#pragma once

#include <cstdint>
#include <string>

class TMatch;

// A check of a matching against a whole-pitch offset: when the two code files index the grid
// from origins some dots apart, every pair joins a dot with its neighbour and the median
// displacement is about a whole pitch.
struct TMatchAlignment {
  int32_t Pairs = 0;
  double Pitch = 0;  // median distance between grid neighbours of the initial file
  // Median displacement of the pairs in the picture's frame (x right, y down), scaled units.
  double MedianDx = 0, MedianDy = 0;
  // The median displacement in grid steps along the initial grid's Nx and Ny axes.
  double StepsNx = 0, StepsNy = 0;
  // The whole offset that brings it below half a step on both axes.
  int32_t OffsetNx = 0, OffsetNy = 0;
  // The turn from the initial file's Nx axis to the deformed file's, degrees counterclockwise:
  // far from 0 when the files chose different axes (or the grid turned that far).
  double TurnDeg = 0;
  bool AxesDiffer() const { return TurnDeg > 30 || TurnDeg < -30; }
  // The median displacement exceeds half a pitch on a grid axis, or the axes differ.
  bool Suspicious() const { return OffsetNx != 0 || OffsetNy != 0 || AxesDiffer(); }
};

// Measures a matching after Match. Without pairs or without two neighbouring dots in the initial
// file there is nothing to measure and the offset is 0.
TMatchAlignment MeasureAlignment(const TMatch& match);

// Gives every dot of the deformed file the indices R (Nx, Ny) + (offsetNx, offsetNy), R a turn by
// quarterTurns right angles ((Nx, Ny) to (-Ny, Nx) for one), enlarging its table as needed, and
// pairs again.
void AlignDeformed(TMatch& match, int32_t offsetNx, int32_t offsetNy, int32_t quarterTurns = 0);

// The warning for a suspicious matching: the displacement in pitches (or the turn between the
// axes), which is real motion or two different origins, and the way to be sure.
std::string AlignmentWarning(const TMatchAlignment& alignment);
// The warning when the dots' patterns show the deformed indices off by a map (R turning by
// quarterTurns right angles, then the offset), so that every pair joins two different dots.
std::string PatternWarning(int32_t offsetNx, int32_t offsetNy, int32_t quarterTurns);
// What AlignDeformed did.
std::string AlignmentNote(int32_t offsetNx, int32_t offsetNy, int32_t quarterTurns);
