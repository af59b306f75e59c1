#pragma once

#include <cstdint>
#include <vector>

#include "encode/Encode.h"

// The encoding walk as its recursive definition, on the job's public operations: the rules in
// their order, then the three calls (d + 1), (d + 3), d. Appends every dot it expands to order.
// Its depth grows with the grid, so it is only for small grids; it is the reference the
// stacked walk of TEncode::Encode is checked against.
void PlainExpand(TEncode& job, int32_t u, int32_t d, std::vector<int32_t>& order);
