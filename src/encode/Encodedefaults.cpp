#include "encode/Encodedefaults.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "encode/Blobscan.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"

int32_t RobustLeastArea(TEncode& job) {
  // The labelling PrepareImage made: no second scan of the picture.
  std::vector<int32_t> areas = job.LiveBlobAreas();
  int64_t total = 0;
  for (int32_t a : areas) total += a;
  if (areas.empty()) return 0;
  std::sort(areas.begin(), areas.end());
  int64_t seen = 0;
  for (int32_t a : areas) {
    seen += a;
    if (2 * seen >= total) return std::max(1, a / 3);
  }
  return std::max(1, areas.back() / 3);
}

int32_t LargestBlobArea(TEncode& job) {
  const std::vector<int32_t> areas = job.LiveBlobAreas();
  return areas.empty() ? 0 : *std::max_element(areas.begin(), areas.end());
}

TSegmentedLook LookOfSegmentation(const TGrayImage& image, bool whiteDots) {
  const int64_t size = int64_t{image.Width()} * image.Height();
  int64_t zeros = 0, full = 0;
  const uint8_t* data = image.Data();
  for (size_t i = 0; i < static_cast<size_t>(size); ++i) {
    zeros += data[i] == 0;
    full += data[i] == 255;
  }
  // Dots of pure white or black count too, but they cover less than the background does.
  const int64_t chosen = whiteDots ? zeros : full, other = whiteDots ? full : zeros;
  const auto covers = [size](int64_t count) { return size > 0 && 5 * count >= size; };
  if (covers(chosen) && chosen >= other) return TSegmentedLook::Segmented;
  if (covers(other)) return TSegmentedLook::OtherDots;
  return TSegmentedLook::Unsegmented;
}

TTableSize AutoTableSize(TEncode& job, int32_t originNx, int32_t originNy) {
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  TTableSize size;
  size.MaxNx = size.MaxNy = 1;
  if (count >= 2) {
    double minX = job.DotInfo()[0].x, maxX = minX, minY = job.DotInfo()[0].y, maxY = minY;
    std::vector<double> gaps;
    gaps.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
      const TDotInfo& d = job.DotInfo()[i];
      minX = std::min<double>(minX, d.x);
      maxX = std::max<double>(maxX, d.x);
      minY = std::min<double>(minY, d.y);
      maxY = std::max<double>(maxY, d.y);
      const int32_t j = job.NearestOtherDot(i);
      if (j >= 0) gaps.push_back(std::hypot(job.DotInfo()[j].x - d.x, job.DotInfo()[j].y - d.y));
    }
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2),
                     gaps.end());
    const double pitch = gaps.empty() ? 0 : gaps[gaps.size() / 2];
    // Dots closer than a pixel are no grid; the table then only has to hold the dot count.
    const double steps = pitch >= 1 ? std::hypot(maxX - minX, maxY - minY) / (0.75 * pitch)
                                    : static_cast<double>(count);
    const int32_t reach = static_cast<int32_t>(std::min(std::ceil(steps), 1.0e6)) + 1;
    size.MaxNx = size.MaxNy = reach;
  }
  // Both ranges the same: a grid rotated by a right angle swaps the axes.
  const int32_t shift = static_cast<int32_t>(
      std::min<int64_t>(std::max(std::llabs(originNx), std::llabs(originNy)), 1 << 30));
  size.MaxNx = size.MaxNy =
      static_cast<int32_t>(std::min<int64_t>(int64_t{size.MaxNx} + shift, 1 << 30));
  return size;
}

void ResizeTable(TEncode& job, TTableSize size) {
  job.ResizeTable(size.MaxNx, size.MaxNy);
}
