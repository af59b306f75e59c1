// Segmentation speed on synthetic grid pictures, in ns per pixel, side by side with OpenCV's
// mean adaptive threshold (multi-area) and with a plain copy of the picture (simple).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "segment/Thresholdrow.h"
#include "synth/Synth.h"

#ifdef LATTICOR_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

// A dark-dotted grid lit unevenly, with a little noise, rendered once per size.
const std::vector<uint8_t>& Picture(int32_t width, int32_t height) {
  static std::map<std::pair<int32_t, int32_t>, std::vector<uint8_t>> cache;
  auto& pixels = cache[{width, height}];
  if (pixels.empty()) {
    TSynthOptions options;
    options.Width = width;
    options.Height = height;
    options.PitchX = options.PitchY = 24;
    options.Radius = 6;
    options.NoiseSigma = 4;
    options.Gradient = 60;
    options.RotationDeg = 2;
    TGrayImage image;
    TSynthGrid(options).Render(false, image);
    pixels.assign(image.Data(), image.Data() + image.Size());
  }
  return pixels;
}

std::unique_ptr<TSegment> MakeJob(int32_t width, int32_t height) {
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(width);
  image->SetHeight(height);
  const auto& pixels = Picture(width, height);
  std::memcpy(image->Data(), pixels.data(), pixels.size());
  return std::make_unique<TSegment>(std::move(image), false);
}

void Restore(TSegment& job) {
  const auto& pixels = Picture(job.Width(), job.Height());
  std::memcpy(job.Image().Data(), pixels.data(), pixels.size());
}

void PerPixel(benchmark::State& state, int64_t pixels) {
  CountTimePer(state, "time/px", pixels);
}

// Multi-area runs on a fresh copy of the picture each time.
void RunMultiArea(benchmark::State& state, TSegment& job, int64_t pixels) {
  for (auto _ : state) {
    state.PauseTiming();
    Restore(job);
    state.ResumeTiming();
    job.MultiAreaSegment(false, nullptr);
    benchmark::DoNotOptimize(job.Image().Data());
  }
  PerPixel(state, pixels);
}

void BM_MultiAreaSegment(benchmark::State& state) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  auto job = MakeJob(w, h);  // window width div 4, as a new job has
  RunMultiArea(state, *job, static_cast<int64_t>(w) * h);
}

// The same run as the desktop application makes it: asked before every row whether to stop,
// with a clock read each time and a poll (here a no-op) every 100 ms, and keeping each row's
// original to put back on a cancel.
void BM_MultiAreaSegmentCancellable(benchmark::State& state) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  auto job = MakeJob(w, h);
  auto last = std::chrono::steady_clock::now();
  job->FCancel = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (now - last >= std::chrono::milliseconds(100)) last = now;
    return false;
  };
  RunMultiArea(state, *job, static_cast<int64_t>(w) * h);
}

// The plain per-pixel definition (cell search and interpolation for every pixel), for scale.
void BM_MultiAreaSegmentPerPixel(benchmark::State& state) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  auto job = MakeJob(w, h);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(*job);
    state.ResumeTiming();
    job->ComputeThresholds();
    TGrayImage& image = job->Image();
    for (int32_t y = 0; y < h; ++y) {
      uint8_t* row = image.Row(y);
      for (int32_t x = 0; x < w; ++x)
        if (row[x] < TSegment::InterpolateThreshold(job->LocateCell(x, y))) row[x] = 0;
    }
    benchmark::DoNotOptimize(image.Data());
  }
  PerPixel(state, static_cast<int64_t>(w) * h);
}

void BM_SimpleSegment(benchmark::State& state) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  auto job = MakeJob(w, h);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(*job);
    state.ResumeTiming();
    job->SimpleSegment(nullptr, 128);
    benchmark::DoNotOptimize(job->Image().Data());
  }
  PerPixel(state, static_cast<int64_t>(w) * h);
}

void BM_Memcpy(benchmark::State& state) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const auto& pixels = Picture(w, h);
  std::vector<uint8_t> copy(pixels.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), pixels.data(), pixels.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  PerPixel(state, static_cast<int64_t>(w) * h);
}

// The row kernel alone (one 2000-pixel row of thresholds) per instruction set:
// 0 portable, 1 SSE2, 2 AVX.
void BM_ThresholdRowKernel(benchmark::State& state) {
  const TLaneSet sets[] = {TLaneSet::Portable, TLaneSet::Sse2, TLaneSet::Avx};
  TThresholdRow rows;
  if (!rows.SelectLanes(sets[state.range(0)])) {
    state.SkipWithError("instruction set not available");
    return;
  }
  const int32_t count = 2000, h = 500;
  rows.Reset(count, h);
  for (int32_t i = 0; i < count; ++i)
    rows.SetColumn(i, EdgeQuotient(i % 500, 500, 90 + i / 500, 97 + i / 500),
                   EdgeQuotient(i % 500, 500, 101 - i / 500, 93));
  int32_t dy = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(rows.Compute(dy));
    dy = (dy + 1) % h;
  }
  PerPixel(state, count);
}
BENCHMARK(BM_ThresholdRowKernel)->DenseRange(0, 2);

#ifdef LATTICOR_HAVE_OPENCV
void BM_OpenCvAdaptiveThreshold(benchmark::State& state) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  cv::setNumThreads(1);
  const auto& pixels = Picture(w, h);
  cv::Mat source(h, w, CV_8UC1, const_cast<uint8_t*>(pixels.data()));
  cv::Mat result(h, w, CV_8UC1);
  const int block = (w / 4) | 1;  // the job's window size, made odd
  for (auto _ : state) {
    cv::adaptiveThreshold(source, result, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY, block,
                          0);
    benchmark::DoNotOptimize(result.data);
  }
  PerPixel(state, static_cast<int64_t>(w) * h);
}
BENCHMARK(BM_OpenCvAdaptiveThreshold)
    ->Args({2000, 1500})
    ->Args({6000, 4000})
    ->Unit(benchmark::kMillisecond);
#endif

BENCHMARK(BM_MultiAreaSegment)
    ->Args({2000, 1500})
    ->Args({6000, 4000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MultiAreaSegmentCancellable)
    ->Args({2000, 1500})
    ->Args({6000, 4000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MultiAreaSegmentPerPixel)->Args({2000, 1500})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimpleSegment)->Args({2000, 1500})->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Args({2000, 1500})->Args({6000, 4000})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
