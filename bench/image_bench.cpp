// Median filter speed on grid pictures, with a memcpy of the same picture as the floor and, when
// OpenCV is installed, its medianBlur on the same picture for comparison. Single thread.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "image/Grayimage.h"
#include "image/Median.h"

#ifdef LATTICOR_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

// Stand-in grid picture: dark dots on a bright, slightly graded background with noise.
const std::vector<uint8_t>& GridPicture(int w, int h) {
  static std::map<std::pair<int, int>, std::vector<uint8_t>> cache;
  auto it = cache.find({w, h});
  if (it != cache.end()) return it->second;
  std::vector<uint8_t> p(static_cast<size_t>(w) * h);
  std::mt19937 rng(1);
  std::normal_distribution<double> noise(0.0, 4.0);
  const double pitch = 20.0, radius = 5.0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double dx = std::remainder(x, pitch), dy = std::remainder(y, pitch);
      const double d = std::sqrt(dx * dx + dy * dy);
      double v = 200.0 + 20.0 * x / w - 150.0 * std::clamp(radius + 0.5 - d, 0.0, 1.0);
      v += noise(rng);
      p[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
    }
  return cache.emplace(std::make_pair(w, h), std::move(p)).first->second;
}

void SetNsPerPixel(benchmark::State& state, int w, int h) {
  state.counters["ns_per_px"] = benchmark::Counter(
      static_cast<double>(w) * h * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The product's operation: in place on a TGrayImage (includes its copy of the picture).
void BM_MedianFilter(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int p = static_cast<int>(state.range(2));
  const std::vector<uint8_t>& src = GridPicture(w, h);
  TGrayImage image;
  image.SetWidth(w);
  image.SetHeight(h);
  std::memcpy(image.Data(), src.data(), src.size());
  for (auto _ : state) {
    image.MedianFilter(p, p);
    benchmark::DoNotOptimize(image.Data());
    benchmark::ClobberMemory();
  }
  SetNsPerPixel(state, w, h);
}

// The filter alone, from one picture into another, as medianBlur works.
void BM_MedianPlane(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int p = static_cast<int>(state.range(2));
  const std::vector<uint8_t>& src = GridPicture(w, h);
  std::vector<uint8_t> dst(src.size());
  for (auto _ : state) {
    MedianFilterPlane(src.data(), dst.data(), w, h, p, p);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  SetNsPerPixel(state, w, h);
}

void BM_Memcpy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const std::vector<uint8_t>& src = GridPicture(w, h);
  std::vector<uint8_t> dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  SetNsPerPixel(state, w, h);
}

#ifdef LATTICOR_HAVE_OPENCV
void BM_OpenCvMedianBlur(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int p = static_cast<int>(state.range(2));
  cv::setNumThreads(1);
  std::vector<uint8_t>& src = const_cast<std::vector<uint8_t>&>(GridPicture(w, h));
  const cv::Mat in(h, w, CV_8UC1, src.data());
  cv::Mat out(h, w, CV_8UC1);
  for (auto _ : state) {
    cv::medianBlur(in, out, p);
    benchmark::DoNotOptimize(out.data);
    benchmark::ClobberMemory();
  }
  SetNsPerPixel(state, w, h);
}
#endif

void Windows(benchmark::internal::Benchmark* b) {
  for (auto [w, h] : {std::pair{2000, 1500}, std::pair{6000, 4000}})
    for (int p : {3, 5, 7, 9, 11}) b->Args({w, h, p});
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (auto [w, h] : {std::pair{2000, 1500}, std::pair{6000, 4000}}) b->Args({w, h});
}

}  // namespace

BENCHMARK(BM_Memcpy)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MedianFilter)->Apply(Windows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MedianPlane)->Apply(Windows)->Unit(benchmark::kMillisecond);
#ifdef LATTICOR_HAVE_OPENCV
BENCHMARK(BM_OpenCvMedianBlur)->Apply(Windows)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK_MAIN();
