#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One labelling pass over an 8-bit picture: the 8-connected blobs of pixels that differ from the
// background, each with what the dot extraction needs (area, weighted sums, first pixel in scan
// order, whether it touches the picture border), and the runs of pixels that make them up, so
// that a blob can be erased or painted without another search.
//
// Blobs are numbered in scan order of their first pixel: by top-most row, then by the column of
// their left-most pixel in that row. The weight of a pixel p is 255 - p on a background of 255
// and p on a background of 0 (p XOR background), never 0 for a blob pixel.
// A 64-bit fingerprint of a picture, to tell whether it changed since it was labelled without
// keeping a copy of it: a change of any one 8-byte word always changes it (every step is a
// bijection), and a scattered change goes unnoticed with a chance of about 2^-64.
uint64_t PixelFingerprint(const uint8_t* pixels, size_t size);

class TBlobScan {
 public:
  struct TBlob {
    int64_t SumX = 0;  // sum of weight * column
    int64_t SumY = 0;  // sum of weight * row
    int64_t SumW = 0;  // sum of weights
    int32_t Area = 0;  // pixel count
    int32_t FirstX = 0, FirstY = 0;
    bool Border = false;
    bool Erased = false;  // set by the owner when it removed the blob from the picture
  };
  struct TRun {
    int32_t X0 = 0, X1 = 0;  // both inclusive
    int32_t Blob = 0;
  };

  void Scan(const uint8_t* pixels, int32_t width, int32_t height, uint8_t background);
  void Clear();

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  std::vector<TBlob>& Blobs() { return FBlobs; }
  const std::vector<TBlob>& Blobs() const { return FBlobs; }
  // The runs of row y, left to right.
  const TRun* RowBegin(int32_t y) const { return FRuns.data() + FRowStart[y]; }
  const TRun* RowEnd(int32_t y) const { return FRuns.data() + FRowStart[y + 1]; }

 private:
  int32_t Find(int32_t label);
  int32_t Union(int32_t a, int32_t b);

  int32_t FWidth = 0, FHeight = 0;
  std::vector<TRun> FRuns;
  std::vector<int64_t> FRowStart;
  std::vector<TBlob> FBlobs;
  // Provisional labels: union-find parents and per-label sums, merged into the root.
  std::vector<int32_t> FParent;
  std::vector<TBlob> FLabel;
};
