#pragma once

#include <cstdint>
#include <vector>

// The exact Euclidean distance transform of a small grid: for every cell of a w x h grid
// (row-major) the squared distance to the nearest site (a cell with site[k] != 0) and, when
// nearest is given, that site's cell index; -1 and a huge distance where there is no site at
// all (distances are exact for grids of fewer than 2^15 cells a side). Two passes of the lower
// envelope of parabolas, one per column and one per row, in time linear in the cells.
void DistanceMap(const std::vector<char>& site, int32_t w, int32_t h, std::vector<int32_t>& d2,
                 std::vector<int32_t>* nearest = nullptr);
