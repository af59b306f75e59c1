#pragma once

#include <QPointF>
#include <vector>

#include "strain/Strainfield.h"

// Where the dots of a strain field lie in the initial picture (pixels, y down), and the lattice
// steps that size each dot's cell.
class TPlotGeometry {
 public:
  // Uses the field's picture size and scale factors; without a picture size, a picture that
  // holds every dot with a margin of one pitch. Deformed: the dots where they have moved to (the
  // initial position plus the displacement), to draw over the deformed picture.
  explicit TPlotGeometry(const TStrainField& field, bool deformed = false);

  QPointF Pixel(const TStrainPair& pair) const;
  bool Deformed() const { return FDeformed; }
  // Picture pixels per unit of displacement along x and y (down).
  double UnitX() const { return 1 / FScaleX; }
  double UnitY() const { return 1 / FScaleY; }
  // Median step of the grid in pixels from a dot to its neighbour at Nx + 1 and at Ny + 1.
  QPointF StepX() const { return FStepX; }
  QPointF StepY() const { return FStepY; }
  double Pitch() const;
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // The index of the point whose dot lies nearest a picture pixel, within half a pitch; -1 when
  // none does.
  int32_t NearestPoint(const TStrainField& field, QPointF pixel) const;

 private:
  bool FDeformed = false;
  double FScaleX = 1, FScaleY = 1;
  double FTop = 0;  // the picture height in field units
  double FShiftX = 0, FShiftY = 0;
  QPointF FStepX{1, 0}, FStepY{0, -1};
  int32_t FWidth = 0, FHeight = 0;
};
