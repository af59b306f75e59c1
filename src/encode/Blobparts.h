#pragma once

#include <cstdint>
#include <vector>

class TBlobScan;

// The lattice rules' first look at the blobs of a segmented picture: which blobs look like one
// dot, and how the others come apart. A blob is one dot when it is shaped like a disc (its
// second moment that of a disc of its area, no pixel well beyond that disc's edge) and not much
// larger than the typical dot. Any other blob is opened with a disc of 0.7 of its largest inner
// radius (the distance of its deepest pixel from the background): what the opening cuts off is
// junk (specks on a dot, the necks between merged dots), and what is left falls into parts, one
// for each core (the pixels deeper than that radius), each pixel going to its nearest core.
struct TBlobPart {
  int32_t Blob = 0;     // index in the labelling
  double X = 0, Y = 0;  // the part's centroid (the blob's own, weighted, for a whole blob)
  int32_t Area = 0;     // pixels
  double Radius = 0;    // the deepest pixel's distance from the background, or from the area
  int32_t FirstX = 0, FirstY = 0;  // its first pixel in scan order
  bool Whole = true;               // the blob as it is: nothing cut away, not split
  bool Compact = false;            // a disc-shaped whole blob, or a part round a core
  bool Border = false;             // it touches the outermost rows or columns of the picture
  std::vector<uint32_t> Pixels;    // a part's pixels (y * width + x, ascending); empty when whole
};

struct TBlobParts {
  std::vector<TBlobPart> Parts;  // in the order of the blobs, a blob's parts by first pixel
  std::vector<uint32_t> Cut;     // the pixels cut away from blobs, ascending
  int32_t Blobs = 0;  // blobs looked at (those the labelling holds, not erased), on the border too
  double TypicalArea = 0;  // median area of the disc-shaped blobs of at least leastArea
};

// pixels and background are the segmented picture the labelling was made of; blobs smaller
// than leastArea take no part in the typical area. A blob on the picture's border is opened when
// it is larger than a typical dot (merged dots reach the border as one blob), and its parts on
// the border, like the smaller blobs there, are marked.
TBlobParts SplitBlobs(const TBlobScan& scan, const uint8_t* pixels, uint8_t background,
                      int32_t leastArea);
