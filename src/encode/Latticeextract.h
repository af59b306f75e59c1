#pragma once

#include <cstdint>
#include <string>

#include "encode/Discfit.h"

class TEncode;
class TSurface;

// What the lattice rules did with the blobs of a picture, for the summary of a run. A piece is
// a whole blob or one part of a blob that came apart (Blobparts.h).
struct TDotSorting {
  bool Ran = false;       // the rules sorted the dots (else every blob of the least area is one)
  int32_t Blobs = 0;      // blobs
  int32_t Border = 0;     // pieces on the picture's border
  int32_t Small = 0;      // pieces below the least dot area
  int32_t OffGrid = 0;    // pieces away from every lattice node, or second at an occupied one
  int32_t Cut = 0;        // dots that had something cut away (a speck, a neck to a neighbour)
  int32_t Merged = 0;     // blobs that held several dots
  int32_t Split = 0;      // the dots they held
  int32_t Dots = 0;       // dots kept
  int32_t LeastArea = 0;  // the least dot area the rules used
  double Pitch = 0;       // the lattice's shorter step, pixels (0: no lattice was needed)
};

// "B blobs: D dots kept (M merged blobs split into S dots, C dots cut free); removed E on the
// border, F too small, G off the grid; pitch P px", or empty when the rules did not run.
std::string SortingText(const TDotSorting& sorting);

// The lattice rules in place of RemoveNoise and BuildDotInfo, after PrepareImage: the blobs are
// opened and split where they do not look like one dot (Blobparts.h), the lattice found from the
// dot-like pieces (Lattice.h), and a piece is a dot when it lies within a quarter step of a
// lattice node, is the largest piece there, and has at least the least area: leastArea when it
// was given, else a tenth of the typical dot (so small and large dots of one grid, or dots
// growing across it, all count). Everything else is erased from FImage as RemoveNoise erases
// small blobs, and split dots are cut apart in it. The records come in the scan order of the
// dots' first pixels; a whole blob's centroid is the one BuildDotInfo takes, that of a dot with
// something cut away the weighted centroid over the pixels point-symmetric about it that are
// clear of what was cut (the side of a cut is left out on the other side too).
//
// Too few dot-like pieces for a lattice (fewer than 12): the specified extraction with the least
// area. A picture whose pieces show no lattice, or one that holds less than half of their area,
// raises "No grid of dots found...". Returns what the edge fit needs; job.Sorting() gets the
// counts.
TFitHints SortDots(TEncode& job, int32_t leastArea, bool areaGiven, TSurface* canvas);
