#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/Dotinfo.h"
#include "image/Grayimage.h"

// The dot extraction exactly as described step by step: one flood fill per blob and per pass,
// with a backup copy around every counting pass. Slow, plain and independent of the one-pass
// labelling that TEncode uses: the reference it is checked against.
class TPlainExtraction {
 public:
  TPlainExtraction(const TGrayImage& image, uint8_t background);

  // Erases the 8-connected blob at (x, y), adding to Area and the weighted sums.
  void Fill(int32_t x, int32_t y);
  bool Dot(int32_t x, int32_t y) const { return Img[Offset(x, y)] != Bg; }
  void ClearBorder();
  void CountBlobs();
  // ClearBorder, CountBlobs, AreaThreshold = mean blob area (0 without blobs).
  void PrepareImage();
  // The message the job raises, empty when dots are left.
  std::string RemoveNoise();
  void BuildDotInfo();

  int32_t W, H;
  uint8_t Bg;
  std::vector<uint8_t> Img;
  int64_t Area = 0, SumX = 0, SumY = 0, SumW = 0, TotalArea = 0;
  int32_t DotSum = 0, AreaThreshold = 0;
  std::vector<TDotInfo> Dots;

 private:
  size_t Offset(int32_t x, int32_t y) const { return static_cast<size_t>(y) * W + x; }
};
