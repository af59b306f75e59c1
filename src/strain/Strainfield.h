#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "strain/Strainoptions.h"
#include "strain/Strainpoint.h"

// Strain at every dot of a displacement field given as pairs of grid position, initial position
// and displacement. The displacement gradient at a dot is the least-squares plane through the
// displacements of the dots in its (2K + 1) x (2K + 1) grid neighbourhood (itself included);
// missing neighbours are allowed while the fit stays well posed: the neighbourhood needs a dot
// of another column and a dot of another row, and its positions may not all lie on one line.
class TStrainField {
 public:
  // Raises TError when there are no pairs, two pairs share a grid position, K is below 1 or the
  // grid is too large to index.
  static TStrainField Compute(const std::vector<TStrainPair>& pairs, const TStrainOptions& options);

  const std::vector<TStrainPoint>& Points() const { return FPoints; }
  const TStrainOptions& Options() const { return FOptions; }
  int32_t StrainCount() const;

  // The unit of positions and displacements, for reports ("px" by default).
  std::string FUnit = "px";
  // The initial picture the positions were measured in, to draw over it: its size in pixels
  // (0 when unknown) and the scale factors that turned its pixels into FUnit.
  int32_t FPictureWidth = 0;
  int32_t FPictureHeight = 0;
  double FScaleX = 1;
  double FScaleY = 1;

 private:
  std::vector<TStrainPoint> FPoints;
  TStrainOptions FOptions;
};

// One least-squares gradient through every pair: the best estimate of a uniform strain, where
// measurement errors of neighbouring dots do not add up. False when the pairs lie on one line.
bool WholeFieldGradient(const std::vector<TStrainPair>& pairs, double gradient[2][2]);

// The strains of a displacement gradient G = [[du/dx, du/dy], [dv/dx, dv/dy]], filled into
// point (all fields but Pair).
void StrainFromGradient(const double gradient[2][2], TStrainMeasure measure, TStrainPoint& point);
