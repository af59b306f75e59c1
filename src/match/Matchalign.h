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
  // The median displacement exceeds half a pitch on a grid axis.
  bool Suspicious() const { return OffsetNx != 0 || OffsetNy != 0; }
};

// Measures a matching after Match. Without pairs or without two neighbouring dots in the initial
// file there is nothing to measure and the offset is 0.
TMatchAlignment MeasureAlignment(const TMatch& match);

// Adds (offsetNx, offsetNy) to the grid indices of every dot of the deformed file, enlarging its
// table as needed, and pairs again.
void AlignDeformed(TMatch& match, int32_t offsetNx, int32_t offsetNy);

// The warning for a suspicious matching, naming the two ways out.
std::string AlignmentWarning(const TMatchAlignment& alignment);
// What AlignDeformed did.
std::string AlignmentNote(const TMatchAlignment& alignment);

// Match, then the check: with align a suspicious matching is shifted by its offset. Returns what
// to tell the user, AlignmentNote or AlignmentWarning, or nothing when the pairs look right.
std::string MatchAndCheck(TMatch& match, bool align);
