#include "encode/Blobscan.h"

#include <cstring>
#include <utility>

namespace {

// First column at or after x whose pixel is not the background, or width. Eight background
// pixels are skipped at a time: most of a grid picture is background.
int32_t SkipBackground(const uint8_t* row, int32_t x, int32_t width, uint8_t background) {
  const uint64_t pattern = 0x0101010101010101ULL * background;
  while (x + 8 <= width) {
    uint64_t block;
    std::memcpy(&block, row + x, sizeof block);
    if (block != pattern) break;
    x += 8;
  }
  while (x < width && row[x] == background) ++x;
  return x;
}

uint64_t Mix(uint64_t h, uint64_t word, uint64_t multiplier) {
  h = (h ^ word) * multiplier;
  return (h << 29) | (h >> 35);
}

}  // namespace

// Four independent lanes keep the multiplier latency off the critical path.
uint64_t PixelFingerprint(const uint8_t* pixels, size_t size) {
  constexpr uint64_t M[4] = {0x9E3779B97F4A7C15ULL, 0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL,
                             0xD6E8FEB86659FD93ULL};
  uint64_t h[4] = {size, ~size, 0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL};
  size_t i = 0;
  for (; i + 32 <= size; i += 32) {
    uint64_t w[4];
    std::memcpy(w, pixels + i, sizeof w);
    for (int k = 0; k < 4; ++k) h[k] = Mix(h[k], w[k], M[k]);
  }
  uint64_t tail[4] = {0, 0, 0, 0};
  std::memcpy(tail, pixels + i, size - i);
  for (int k = 0; k < 4; ++k) h[k] = Mix(h[k], tail[k], M[k]);
  uint64_t all = 0;
  for (int k = 0; k < 4; ++k) all = Mix(all, h[k], M[k]);
  return all;
}

void TBlobScan::Clear() {
  FWidth = FHeight = 0;
  FRuns.clear();
  FRowStart.assign(1, 0);
  FBlobs.clear();
  FParent.clear();
  FLabel.clear();
}

int32_t TBlobScan::Find(int32_t label) {
  while (FParent[label] != label) {
    FParent[label] = FParent[FParent[label]];
    label = FParent[label];
  }
  return label;
}

// The smaller label survives: labels are made in scan order, so the root is always the label of
// the blob's first pixel.
int32_t TBlobScan::Union(int32_t a, int32_t b) {
  a = Find(a);
  b = Find(b);
  if (a == b) return a;
  if (b < a) std::swap(a, b);
  FParent[b] = a;
  TBlob& to = FLabel[a];
  const TBlob& from = FLabel[b];
  to.SumX += from.SumX;
  to.SumY += from.SumY;
  to.SumW += from.SumW;
  to.Area += from.Area;
  to.Border = to.Border || from.Border;
  return a;
}

void TBlobScan::Scan(const uint8_t* pixels, int32_t width, int32_t height, uint8_t background) {
  Clear();
  FWidth = width;
  FHeight = height;
  FRowStart.assign(static_cast<size_t>(height) + 1, 0);
  size_t prevBegin = 0, prevEnd = 0;
  for (int32_t y = 0; y < height; ++y) {
    FRowStart[y] = static_cast<int64_t>(FRuns.size());
    const uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    const bool borderRow = y == 0 || y == height - 1;
    size_t p = prevBegin;
    int32_t x = 0;
    for (;;) {
      x = SkipBackground(row, x, width, background);
      if (x >= width) break;
      const int32_t x0 = x;
      int64_t sumW = 0, sumWX = 0;
      while (x < width && row[x] != background) {
        const int64_t w = row[x] ^ background;
        sumW += w;
        sumWX += w * x;
        ++x;
      }
      const int32_t x1 = x - 1;
      // Runs of the row above that touch this one, diagonals included.
      while (p < prevEnd && FRuns[p].X1 < x0 - 1) ++p;
      int32_t label = -1;
      for (size_t q = p; q < prevEnd && FRuns[q].X0 <= x1 + 1; ++q)
        label = label < 0 ? Find(FRuns[q].Blob) : Union(label, FRuns[q].Blob);
      if (label < 0) {
        label = static_cast<int32_t>(FParent.size());
        FParent.push_back(label);
        TBlob fresh;
        fresh.FirstX = x0;
        fresh.FirstY = y;
        FLabel.push_back(fresh);
      }
      TBlob& blob = FLabel[label];
      blob.Area += x1 - x0 + 1;
      blob.SumW += sumW;
      blob.SumX += sumWX;
      blob.SumY += sumW * y;
      blob.Border = blob.Border || borderRow || x0 == 0 || x1 == width - 1;
      FRuns.push_back(TRun{x0, x1, label});
    }
    prevBegin = static_cast<size_t>(FRowStart[y]);
    prevEnd = FRuns.size();
  }
  FRowStart[height] = static_cast<int64_t>(FRuns.size());

  // Roots in ascending label order are the blobs in scan order of their first pixels.
  std::vector<int32_t> number(FParent.size(), -1);
  for (size_t l = 0; l < FParent.size(); ++l) {
    if (FParent[l] != static_cast<int32_t>(l)) continue;
    number[l] = static_cast<int32_t>(FBlobs.size());
    FBlobs.push_back(FLabel[l]);
  }
  for (TRun& run : FRuns) run.Blob = number[Find(run.Blob)];
  FParent.clear();
  FParent.shrink_to_fit();
  FLabel.clear();
  FLabel.shrink_to_fit();
}
