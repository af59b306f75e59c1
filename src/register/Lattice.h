#pragma once

#include <cstdint>
#include <vector>

class TPointGrid;

// A picture's dots indexed by their own lattice, with no reference: each dot's neighbours are
// looked for one local step away, the steps taken from the dots already indexed around it, so
// that the indexing follows perspective, strain and lens distortion. Dots that no such step
// joins (across a crack or a gap wider than a third of a pitch) start a component of their
// own; each component has its own index origin and axes, which the registration against a
// reference then finds.
struct TLatticeDot {
  int32_t Component = -1;  // -1: not indexed
  int32_t Mx = 0, My = 0;
  // The local steps to (Mx + 1, My) and to (Mx, My + 1), pixels.
  float Ax = 0, Ay = 0, Bx = 0, By = 0;
};

struct TLattice {
  std::vector<TLatticeDot> Dots;  // one per point, in the points' order
  // The points of each component, largest component first.
  std::vector<std::vector<int32_t>> Components;
  double Pitch = 0;  // the median distance between nearest dots
};

// The median distance from a point to its nearest other point, over a sample; 0 with fewer
// than two points.
double NearestSpacing(const TPointGrid& points);

// Indexes the points. orientation is the sign that cross(A, B) = Ax By - Ay Bx must have (the
// reference's own), so that no component is a mirror image. Components of fewer than
// minimumSize points are left unindexed.
TLattice IndexLattice(const TPointGrid& points, double pitch, int32_t orientation,
                      int32_t minimumSize = 6);
