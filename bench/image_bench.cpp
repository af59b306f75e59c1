// Median filter speed on synthetic grid pictures, in ns per pixel, with a memcpy of the same
// picture as the floor and, when OpenCV is installed, its medianBlur on the same picture for
// comparison (one thread; medianBlur treats the borders differently, so compare speed only).
//   argument 0: 0 = 2000 x 1500, 1 = 6000 x 4000; argument 1: the window size.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "image/Grayimage.h"
#include "image/Median.h"
#include "synth/Synth.h"

#ifdef LATTICOR_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

// The product's operation, in place on the picture (restored between runs, untimed).
void BM_MedianFilter(benchmark::State& state) {
  const TGrayImage& p = CameraPicture(state.range(0));
  const int32_t window = static_cast<int32_t>(state.range(1));
  TGrayImage image;
  image.SetWidth(p.Width());
  image.SetHeight(p.Height());
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(image.Data(), p.Data(), static_cast<size_t>(p.Size()));
    state.ResumeTiming();
    image.MedianFilter(window, window);
    benchmark::ClobberMemory();
  }
  CountTimePer(state, "time/px", p.Size());
}

// The filter from one plane into another, as medianBlur works.
void BM_MedianFilterPlane(benchmark::State& state) {
  const TGrayImage& p = CameraPicture(state.range(0));
  const int32_t window = static_cast<int32_t>(state.range(1));
  std::vector<uint8_t> out(static_cast<size_t>(p.Size()));
  for (auto _ : state) {
    MedianFilterPlane(p.Data(), out.data(), p.Width(), p.Height(), window, window);
    benchmark::ClobberMemory();
  }
  CountTimePer(state, "time/px", p.Size());
}

// The floor: one pass reading and one writing every pixel.
void BM_Memcpy(benchmark::State& state) {
  const TGrayImage& p = CameraPicture(state.range(0));
  std::vector<uint8_t> out(static_cast<size_t>(p.Size()));
  for (auto _ : state) {
    std::memcpy(out.data(), p.Data(), out.size());
    benchmark::ClobberMemory();
  }
  CountTimePer(state, "time/px", p.Size());
}

#ifdef LATTICOR_HAVE_OPENCV
void BM_OpenCvMedianBlur(benchmark::State& state) {
  cv::setNumThreads(1);
  const TGrayImage& p = CameraPicture(state.range(0));
  const cv::Mat in(p.Height(), p.Width(), CV_8UC1, const_cast<uint8_t*>(p.Data()));
  cv::Mat out(p.Height(), p.Width(), CV_8UC1);
  for (auto _ : state) {
    cv::medianBlur(in, out, static_cast<int>(state.range(1)));
    benchmark::ClobberMemory();
  }
  CountTimePer(state, "time/px", p.Size());
}
#endif

void Windows(benchmark::internal::Benchmark* b) {
  for (int64_t which : {0, 1})
    for (int64_t window : {3, 5, 7, 9, 11}) b->Args({which, window});
}

}  // namespace

BENCHMARK(BM_Memcpy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MedianFilter)->Apply(Windows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MedianFilterPlane)->Apply(Windows)->Unit(benchmark::kMillisecond);
#ifdef LATTICOR_HAVE_OPENCV
BENCHMARK(BM_OpenCvMedianBlur)->Apply(Windows)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK_MAIN();
