#pragma once

#include <cstdint>
#include <vector>

class TEncode;
class TGrayImage;

// Refined centroids by a least-squares fit of each dot's edge: the picture around a dot is
// modelled as its local background plane (Refinecentroid.h) plus a contrast times the share of
// each pixel inside a disc of free centre and radius, with the edge profile of the picture's blur
// (Edgeprofile.h, one sigma for the picture, estimated from a sample of its dots). Only pixels
// that can carry the dot's edge enter the fit, and none that something else may have lit: where
// a neighbouring dot comes within reach (touching or merged dots, blurred neighbours) its side
// is left out, and so is the ground around every junk pixel, except inside the dot itself. A fit
// on any subset of a dot's own pixels is unbiased, so what is left out costs only precision.
// Unlike a weighted centroid, the fit weighs the pixels by how much they tell of the position
// (the edge), which brings it close to the Cramer-Rao bound on clean pictures.
struct TFitHints {
  // Per dot, a radius better than its area gives (0 or missing: from its area), for dots whose
  // blob was cut by their neighbours.
  std::vector<float> Radius;
  // Offsets y * width + x of the pixels that belong to no dot (specks and what was cut away from
  // dots), ascending.
  std::vector<uint32_t> Junk;
};

struct TFitReport {
  double Sigma = 0;    // the edge's blur found, pixels
  int32_t Fitted = 0;  // dots whose fit held
  int32_t Kept = 0;    // dots left where they were: their fit did not hold (too few pixels, a fit
                       // that ran away)
};

// Call after the dot records are built and before the origin is found; the records get the
// fitted x and y, nothing else changes. A picture of another size than the job's is refused.
// The dots are fitted independently on threads (0: as the refined centroid shares them out);
// the result is the same to the bit whatever their number.
TFitReport FitCentroids(TEncode& job, const TGrayImage& picture, const TFitHints& hints = {},
                        int32_t threads = 0);
