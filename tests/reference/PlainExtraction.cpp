#include "reference/PlainExtraction.h"

#include <utility>

TPlainExtraction::TPlainExtraction(const TGrayImage& image, uint8_t background)
    : W(image.Width()),
      H(image.Height()),
      Bg(background),
      Img(image.Data(), image.Data() + image.Size()) {}

void TPlainExtraction::Fill(int32_t x, int32_t y) {
  std::vector<std::pair<int32_t, int32_t>> stack{{x, y}};
  while (!stack.empty()) {
    auto [px, py] = stack.back();
    stack.pop_back();
    if (px < 0 || py < 0 || px >= W || py >= H) continue;
    uint8_t& p = Img[Offset(px, py)];
    if (p == Bg) continue;
    const int64_t weight = Bg == 255 ? 255 - p : p;
    ++Area;
    SumX += weight * px;
    SumY += weight * py;
    SumW += weight;
    p = Bg;
    for (auto [dx, dy] :
         {std::pair{-1, 0}, {0, -1}, {1, 0}, {0, 1}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}})
      stack.push_back({px + dx, py + dy});
  }
}

void TPlainExtraction::ClearBorder() {
  for (int32_t x = 0; x < W; ++x) {
    if (Dot(x, 0)) Fill(x, 0);
    if (Dot(x, H - 1)) Fill(x, H - 1);
  }
  for (int32_t y = 0; y < H; ++y) {
    if (Dot(0, y)) Fill(0, y);
    if (Dot(W - 1, y)) Fill(W - 1, y);
  }
}

void TPlainExtraction::CountBlobs() {
  DotSum = 0;
  TotalArea = 0;
  std::vector<uint8_t> backup = Img;
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x)
      if (Dot(x, y)) {
        ++DotSum;
        Area = 0;
        Fill(x, y);
        TotalArea += Area;
      }
  Img = backup;
}

void TPlainExtraction::PrepareImage() {
  ClearBorder();
  CountBlobs();
  AreaThreshold = DotSum > 0 ? static_cast<int32_t>(TotalArea / DotSum) : 0;
}

std::string TPlainExtraction::RemoveNoise() {
  CountBlobs();
  if (AreaThreshold < 0) AreaThreshold = 10;
  std::vector<uint8_t> mask(Img.size(), 0), backup = Img;
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      Area = 0;
      if (Dot(x, y)) {
        Fill(x, y);
        if (Area < AreaThreshold) mask[Offset(x, y)] = 255;
      }
    }
  Img = backup;
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x)
      if (mask[Offset(x, y)] != 0) {
        Fill(x, y);
        --DotSum;
      }
  return DotSum <= 0 ? "No dots in this image\nmay be you should give a small noise threshold" : "";
}

void TPlainExtraction::BuildDotInfo() {
  Dots.clear();
  std::vector<uint8_t> backup = Img;
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x)
      if (Dot(x, y)) {
        Area = SumX = SumY = SumW = 0;
        Fill(x, y);
        if (Area < AreaThreshold) continue;
        TDotInfo d;
        d.x = static_cast<float>(static_cast<double>(SumX) / static_cast<double>(SumW));
        d.y = static_cast<float>(static_cast<double>(SumY) / static_cast<double>(SumW));
        d.Area = static_cast<int32_t>(Area);
        Dots.push_back(d);
      }
  Img = backup;
}
