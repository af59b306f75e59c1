#include "image/Gray16image.h"

#include <bit>
#include <new>

#include "base/Convert.h"
#include "base/Error.h"
#include "image/Grayimage.h"

void TGray16Image::SetSize(int32_t width, int32_t height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  CheckImageSize(width, height, "An image");
  try {
    FData = AllocatePixels<uint16_t>(static_cast<size_t>(width) * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    throw TError("Not enough memory for an image of " + IntToStr(width) + " x " + IntToStr(height) +
                 " pixels");
  }
  FWidth = width;
  FHeight = height;
}

int32_t DataDepth(uint32_t largest, uint32_t fullScale) {
  const int32_t container = std::bit_width(fullScale);
  const int32_t used = std::bit_width(largest);
  return used < 8 ? 8 : used > container ? container : used;
}
