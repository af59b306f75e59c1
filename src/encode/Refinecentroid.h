#pragma once

#include <cstdint>
#include <vector>

class TEncode;
class TGrayImage;

// Refined centroids: the thresholded blob's gray-weighted centroid carries a bias that depends
// on where the dot sits within its pixels, because the threshold cuts the dot's soft edge. The
// refined centroid weights every pixel by its gray value minus the local background, over a
// soft-edged disc around the dot that reaches three quarters of a pixel beyond the blob's
// equivalent radius but never the neighbouring dot, and re-centres the disc on the result until it
// settles. (Half a pixel leaves more of the edge's bias on small dots: 0.0121 instead of 0.0112 px
// at pitch 20, 0.023 instead of 0.014 at pitch 8; a wider disc gathers more noise than it removes
// bias: 2 px costs a third more error at noise 2 and half as much again at noise 15.)
//
// The local background is a smooth surface: the mean of the picture's background pixels (those
// well away from every dot) in blocks of a few pitches, interpolated between block centres, and
// taken as a plane across each dot.
//
// picture is the unsegmented picture of the job (the segmented one serves as well: its
// background is one gray value, and the result is then close to the plain centroid); one read
// from a file of more than 8 bits is measured at its full depth (picture.Deep(), the values as
// the camera gave them, which segmentation leaves alone). Call after
// BuildDotInfo and before the origin is found; the dot records get the refined x and y, nothing
// else changes. A picture of another size than the job's is refused.
//
// The dots are refined independently, so threads share them out and the result is the same to
// the bit whatever their number: threads 0 takes one for fewer than 4096 dots and otherwise one
// per processor (at most 8).
void RefineCentroids(TEncode& job, const TGrayImage& picture, int32_t threads = 0);

// The local background of each dot as the refined centroid takes it: the level at the dot and
// the slopes along x and y (gray levels per pixel) of the smooth surface through the picture's
// pixels well away from every dot (at least gap beyond their blobs; a blurred picture needs
// more). Without such pixels the planes are 0. A picture of another size than the job's is
// refused.
struct TBackgroundPlane {
  double Level = 0, X = 0, Y = 0;
};
std::vector<TBackgroundPlane> BackgroundPlanes(const TEncode& job, const TGrayImage& picture,
                                               double gap = 0);

// The sum of row[from .. to] and the sum of row[x] * x over it, exactly (SSE2 where the build has
// it); nothing for to < from.
void SpanSums(const uint8_t* row, int32_t from, int32_t to, int64_t& sum, int64_t& weighted);
