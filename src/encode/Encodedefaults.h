#pragma once

#include <cstdint>

class TEncode;
class TGrayImage;

// Choices of an encoding run made from the dots themselves, for runs without a person to set
// them.

// The least dot area from the dot population: a third of the area-weighted median blob area
// (the area of the blob that holds the middle one of all blob pixels, in order of blob size).
// Specks, however many, hold few of the pixels and a few merged blobs hold few of the blobs, so
// neither moves it, unlike the mean area behind the Auto button. Call after PrepareImage; 0
// without blobs.
int32_t RobustLeastArea(TEncode& job);

// The area of the largest blob of the prepared picture, 0 without blobs: a least area above it
// leaves no dot. Call after PrepareImage.
int32_t LargestBlobArea(TEncode& job);

// What a picture given to encoding looks like. A segmented picture has its background set to
// one value, 0 behind white dots and 255 behind black ones, over a good part of its pixels and
// more of them than the other value; a camera picture has either at a few pixels at most.
enum class TSegmentedLook {
  Segmented,    // for the dots chosen
  OtherDots,    // segmented, but with the other background
  Unsegmented,  // neither value covers a fifth of the picture
};
TSegmentedLook LookOfSegmentation(const TGrayImage& image, bool whiteDots);

// A grid table large enough for every dot of the job: the grid can reach at most the diagonal
// of the dots' bounding box divided by the smaller pitch (from the median distance between
// nearest dots, allowing 25 % for strain and unequal pitches) on either side of an origin at
// (0, 0), plus the origin's own indices when it gets others (a reference origin).
struct TTableSize {
  int32_t MaxNx = 0;
  int32_t MaxNy = 0;
};
TTableSize AutoTableSize(TEncode& job, int32_t originNx, int32_t originNy);

// Replaces the job's empty grid table with one of the given size (before the origin is found).
void ResizeTable(TEncode& job, TTableSize size);
