// Dot extraction and grid encoding on synthetic segmented grid pictures.
//
//   extraction: PrepareImage + RemoveNoise + BuildDotInfo, per pixel, beside one OpenCV
//               connectedComponentsWithStats call (8-connectivity, one thread) on the same
//               picture;
//   encoding:   FindOrigin + Encode without drawing or pause, per dot;
//   encode run: extraction, centroids plain or refined, origin and walk, per picture;
//   refinement: RefineCentroids alone, per dot, on one thread and on as many as it takes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>

#include "BenchSupport.h"
#include "encode/Encode.h"
#include "encode/Encoderun.h"
#include "encode/Refinecentroid.h"
#include "image/Grayimage.h"
#include "synth/Synth.h"

#ifdef LATTICOR_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

std::unique_ptr<TEncode> NewJob(int64_t which) {
  const TGrayImage& source = SegmentedPicture(which);
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(source.Width());
  image->SetHeight(source.Height());
  std::memcpy(image->Data(), source.Data(), static_cast<size_t>(source.Size()));
  auto job = std::make_unique<TEncode>(std::move(image), true, false, 160, 160);
  job->SetDelay(0);
  return job;
}

void Extract(TEncode& job) {
  ExtractDots(job, {});
}

void PerPixel(benchmark::State& state, int64_t which) {
  const TGrayImage& p = SegmentedPicture(which);
  state.counters["pixels"] = static_cast<double>(p.Size());
  CountTimePer(state, "time/px", p.Size());
}

void BM_Extraction(benchmark::State& state) {
  int32_t dots = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto job = NewJob(state.range(0));
    state.ResumeTiming();
    Extract(*job);
    dots = job->DotSum();
    state.PauseTiming();
    job.reset();
    state.ResumeTiming();
  }
  state.counters["dots"] = dots;
  PerPixel(state, state.range(0));
}
BENCHMARK(BM_Extraction)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef LATTICOR_HAVE_OPENCV
void BM_OpenCvConnectedComponents(benchmark::State& state) {
  cv::setNumThreads(1);
  const TGrayImage& p = SegmentedPicture(state.range(0));
  const cv::Mat image(p.Height(), p.Width(), CV_8UC1, const_cast<uint8_t*>(p.Data()));
  cv::Mat labels, stats, centroids;
  int count = 0;
  for (auto _ : state) {
    count = cv::connectedComponentsWithStats(image, labels, stats, centroids, 8, CV_32S);
    benchmark::DoNotOptimize(count);
  }
  state.counters["dots"] = count - 1;  // label 0 is the background
  PerPixel(state, state.range(0));
}
BENCHMARK(BM_OpenCvConnectedComponents)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif

void BM_Encoding(benchmark::State& state) {
  int32_t dots = 0, coded = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto job = NewJob(state.range(0));
    Extract(*job);
    dots = job->DotSum();
    state.ResumeTiming();
    job->Encode(job->FindOrigin(2));
    state.PauseTiming();
    coded = 0;
    for (int32_t i = 0; i < job->DotSum(); ++i) coded += job->DotInfo()[i].Coded ? 1 : 0;
    job.reset();
    state.ResumeTiming();
  }
  state.counters["dots"] = dots;
  state.counters["coded"] = coded;
  CountTimePer(state, "time/dot", static_cast<int64_t>(dots));
}
BENCHMARK(BM_Encoding)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole encoding run on a picture in memory: extraction, plain (0) or refined (1) centroids
// measured on the camera picture the segmented one came from, origin and walk.
void BM_EncodeRun(benchmark::State& state) {
  const bool refined = state.range(1) == 1;
  const TGrayImage& camera = CameraPicture(state.range(0));  // rendered before the clock runs
  int32_t coded = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto job = NewJob(state.range(0));
    state.ResumeTiming();
    Extract(*job);
    if (refined) RefineCentroids(*job, camera);
    job->Encode(job->FindOrigin(2));
    state.PauseTiming();
    coded = 0;
    for (int32_t i = 0; i < job->DotSum(); ++i) coded += job->DotInfo()[i].Coded ? 1 : 0;
    job.reset();
    state.ResumeTiming();
  }
  state.counters["coded"] = coded;
  state.SetLabel(refined ? "refined" : "plain");
}
BENCHMARK(BM_EncodeRun)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The refined centroids alone, on dots extracted before the clock runs.
void BM_RefineCentroids(benchmark::State& state) {
  const TGrayImage& camera = CameraPicture(state.range(0));
  auto extracted = NewJob(state.range(0));
  Extract(*extracted);
  const std::vector<TDotInfo> plain = extracted->DotInfo();
  for (auto _ : state) {
    state.PauseTiming();
    extracted->ReplaceDots(plain);
    state.ResumeTiming();
    RefineCentroids(*extracted, camera, static_cast<int32_t>(state.range(1)));
  }
  CountTimePer(state, "time/dot", static_cast<int64_t>(extracted->DotSum()));
  state.SetLabel(state.range(1) == 0 ? "threads as the machine has" : "one thread");
}
BENCHMARK(BM_RefineCentroids)
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
