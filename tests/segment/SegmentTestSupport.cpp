#include "SegmentTestSupport.h"

std::unique_ptr<TSegment> MakeJob(int32_t w, int32_t h,
                                  const std::function<uint8_t(int32_t, int32_t)>& value) {
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(w);
  image->SetHeight(h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) image->Row(y)[x] = value(x, y);
  return std::make_unique<TSegment>(std::move(image), false);
}

std::vector<uint8_t> Pixels(const TGrayImage& image) {
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}
