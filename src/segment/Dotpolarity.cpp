#include "segment/Dotpolarity.h"

#include <algorithm>
#include <vector>

#include "image/Grayimage.h"

namespace {

// Below this many gray levels between the classes' means the picture holds no dots to speak of.
constexpr double MinContrast = 16;
// The side of the middle part of the picture that is looked at.
constexpr int32_t MaxSide = 1024;

struct TClassBlobs {
  int64_t Pixels = 0;
  int32_t Blobs = 0;
  int64_t Largest = 0;
};

// The 8-connected blobs of the pixels on one side of the threshold, by flood fill with an
// explicit stack; visited marks the pixels already counted.
TClassBlobs CountBlobs(const uint8_t* data, size_t w, size_t h, int32_t threshold, bool bright,
                       std::vector<uint8_t>& visited) {
  const auto inClass = [&](size_t i) { return (data[i] > threshold) == bright; };
  std::fill(visited.begin(), visited.end(), uint8_t{0});
  TClassBlobs result;
  std::vector<size_t> stack;
  for (size_t start = 0; start < w * h; ++start) {
    if (visited[start] || !inClass(start)) continue;
    int64_t area = 0;
    visited[start] = 1;
    stack.push_back(start);
    while (!stack.empty()) {
      const size_t p = stack.back();
      stack.pop_back();
      ++area;
      const size_t x = p % w, y = p / w;
      for (size_t ny = y > 0 ? y - 1 : 0; ny <= std::min(y + 1, h - 1); ++ny)
        for (size_t nx = x > 0 ? x - 1 : 0; nx <= std::min(x + 1, w - 1); ++nx) {
          const size_t q = ny * w + nx;
          if (visited[q] || !inClass(q)) continue;
          visited[q] = 1;
          stack.push_back(q);
        }
    }
    result.Pixels += area;
    ++result.Blobs;
    result.Largest = std::max(result.Largest, area);
  }
  return result;
}

double Share(int64_t part, int64_t whole) {
  return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0;
}

// Many blobs, none holding a quarter of the class: dots.
bool Fragmented(const TClassBlobs& c) {
  return c.Blobs >= 4 && 4 * c.Largest <= c.Pixels;
}

// One blob holding more than half of the class: background.
bool Connected(const TClassBlobs& c) {
  return 2 * c.Largest > c.Pixels;
}

}  // namespace

int32_t OtsuThreshold(const int64_t (&counts)[256]) {
  double total = 0, sum = 0;
  for (int32_t v = 0; v < 256; ++v) {
    total += static_cast<double>(counts[v]);
    sum += static_cast<double>(v) * static_cast<double>(counts[v]);
  }
  double below = 0, sumBelow = 0, best = 0;
  int32_t threshold = 0;
  for (int32_t t = 0; t < 255; ++t) {
    below += static_cast<double>(counts[t]);
    sumBelow += static_cast<double>(t) * static_cast<double>(counts[t]);
    const double above = total - below;
    if (below == 0 || above == 0) continue;
    const double meanBelow = sumBelow / below, meanAbove = (sum - sumBelow) / above;
    const double between = below * above * (meanAbove - meanBelow) * (meanAbove - meanBelow);
    if (between > best) best = between, threshold = t;
  }
  return threshold;
}

TPolarityGuess GuessDotPolarity(const TGrayImage& image) {
  TPolarityGuess guess;
  if (image.Width() <= 0 || image.Height() <= 0) return guess;
  const int32_t w = std::min(image.Width(), MaxSide), h = std::min(image.Height(), MaxSide);
  const int32_t left = (image.Width() - w) / 2, top = (image.Height() - h) / 2;
  std::vector<uint8_t> middle(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int32_t y = 0; y < h; ++y)
    std::copy_n(image.Row(top + y) + left, w, middle.begin() + static_cast<std::ptrdiff_t>(y) * w);
  const int64_t size = int64_t{w} * h;
  int64_t counts[256] = {};
  for (uint8_t v : middle) ++counts[v];
  guess.Threshold = OtsuThreshold(counts);
  double darkSum = 0, brightSum = 0;
  int64_t dark = 0;
  for (int32_t v = 0; v < 256; ++v) {
    const double weighted = static_cast<double>(v) * static_cast<double>(counts[v]);
    if (v <= guess.Threshold) {
      darkSum += weighted;
      dark += counts[v];
    } else {
      brightSum += weighted;
    }
  }
  const int64_t bright = size - dark;
  guess.BrightShare = Share(bright, size);
  if (dark == 0 || bright == 0) return guess;  // a single gray level
  guess.Contrast = brightSum / static_cast<double>(bright) - darkSum / static_cast<double>(dark);
  if (guess.Contrast < MinContrast) return guess;

  std::vector<uint8_t> visited(middle.size());
  const auto cw = static_cast<size_t>(w), ch = static_cast<size_t>(h);
  const TClassBlobs b = CountBlobs(middle.data(), cw, ch, guess.Threshold, true, visited);
  const TClassBlobs d = CountBlobs(middle.data(), cw, ch, guess.Threshold, false, visited);
  guess.BrightBlobs = b.Blobs;
  guess.DarkBlobs = d.Blobs;
  guess.BrightLargest = Share(b.Largest, b.Pixels);
  guess.DarkLargest = Share(d.Largest, d.Pixels);
  if (Fragmented(b) && Connected(d))
    guess.Polarity = TDotPolarity::White;
  else if (Fragmented(d) && Connected(b))
    guess.Polarity = TDotPolarity::Black;
  return guess;
}
