#pragma once

#include <cstddef>
#include <vector>

#include "strain/Strainpair.h"

// The displacement gradient of one dot by its definition: the neighbours found by scanning every
// pair, the normal equations of u = a + b x + c y (and the same for v) in absolute coordinates
// solved by Gaussian elimination with pivoting. False when the neighbourhood lacks another
// column or another row or the equations are singular. The reference the direct-indexed,
// centred fit is checked against.
bool PlainGradient(const std::vector<TStrainPair>& pairs, size_t centre, int k, double g[2][2]);
