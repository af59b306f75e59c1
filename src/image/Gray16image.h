#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/Pixelbuffer.h"

// A picture as the camera gave it, for pictures of more than 8 bits: FWidth x FHeight 16-bit
// values, row-major, row 0 at the top, exactly as stored (a 12-bit camera's values stay
// 0..4095). Refined centroids measure on it; segmentation and the specified files use the 8-bit
// gray image made from it.
class TGray16Image {
 public:
  // One fresh, uninitialised buffer; sizes are checked as for the gray image.
  void SetSize(int32_t width, int32_t height);

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  const uint16_t* Data() const { return FData.get(); }
  uint16_t* Row(int32_t y) { return FData.get() + static_cast<size_t>(y) * FWidth; }
  const uint16_t* Row(int32_t y) const { return FData.get() + static_cast<size_t>(y) * FWidth; }

  // The largest value the container can hold: 65535 for 16-bit samples, 4095 for samples
  // packed in 12 bits, the declared largest value of a PGM.
  uint32_t FullScale() const { return FFullScale; }
  void SetFullScale(uint32_t value) { FFullScale = value; }

 private:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  uint32_t FFullScale = 65535;
  TPixelBuffer<uint16_t> FData;
};

// The depth of a picture's data, from its largest value: the number of bits that value needs,
// at least 8 and at most the container's (the bits of fullScale). A 16-bit picture whose values
// all lie below 4096 holds 12-bit data.
int32_t DataDepth(uint32_t largest, uint32_t fullScale);
