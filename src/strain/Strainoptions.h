#pragma once

#include <cstdint>

enum class TStrainMeasure { Small, Green };

// How strain is computed: the half-width K of the (2K + 1) x (2K + 1) grid neighbourhood whose
// displacements are fitted, and the strain measure.
struct TStrainOptions {
  int32_t Neighbourhood = 1;
  TStrainMeasure Measure = TStrainMeasure::Small;
};

// "small" or "green".
const char* MeasureName(TStrainMeasure measure);
