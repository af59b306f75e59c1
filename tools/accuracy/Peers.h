#pragma once

#include <cstdint>

#include "reference/Truthgrid.h"

// Three ways other programs find dot centres, built here from OpenCV's parts, measured on the
// same picture pairs: 0 a blob detector with a shape filter (SimpleBlobDetector), 1 an Otsu
// threshold with connected components and their centroids, 2 a local-fit tracker (seeds at the
// maxima of the smoothed picture, an iterated masked centroid, then a least-squares fit of a
// blurred disc on a window around each dot). Each is told the dots' radius and pitch, as a user
// would set it. The dots are paired by the truth (each true centre's nearest detection within a
// third of the pitch in either picture): the peers get the indexing for free.
constexpr int32_t PeerCount = 3;

struct TPeerResult {
  bool Available = false;  // false when the build has no OpenCV
  double Rms = 0, Max = 0;
  double Found = 0;  // share of the true dots paired
};

TPeerResult MeasurePeer(const TTruthOptions& o, int32_t peer);
