// The motion found between two pictures of a 6000 x 4000 grid of pitch 20 (about 60,000 dots):
// the dots of the new picture indexed by their own lattice, placed on the reference by the
// dots' pattern and given the reference's indices. The dots are given (extraction is measured
// in encode_bench): this is what a picture indexed from a reference adds to one indexed alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "register/Registerpicture.h"

namespace {

constexpr int32_t Width = 6000, Height = 4000;
constexpr double Pitch = 20;

struct TPair {
  TRegisterReference Reference;
  std::unique_ptr<TEncode> Job;
};

// outlined: a grid of 280 x 180 dots inside the pictures; else one that fills them. The grid
// moves by 3.3 pitches and turns by 1 degree.
TPair MakePair(bool outlined) {
  TPair pair;
  auto picture = std::make_unique<TGrayImage>();
  picture->SetWidth(Width);
  picture->SetHeight(Height);
  pair.Job = std::make_unique<TEncode>(std::move(picture), true, false, 1, 1);
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0, 0.05);
  const double turn = 1 * 3.14159265358979 / 180;
  std::vector<TDotInfo> dots;
  pair.Reference.Width = Width, pair.Reference.Height = Height;
  for (int32_t j = -110; j <= 110; ++j)
    for (int32_t i = -160; i <= 160; ++i) {
      if (outlined && (std::abs(i) > 140 || std::abs(j) > 90)) continue;
      const double x = i * Pitch + Width / 2.0 + 0.3, y = j * Pitch + Height / 2.0 - 0.2;
      const double mx = Width / 2.0 + (x - Width / 2.0) * std::cos(turn) +
                        (y - Height / 2.0) * std::sin(turn) + 66 + noise(rng);
      const double my = Height / 2.0 - (x - Width / 2.0) * std::sin(turn) +
                        (y - Height / 2.0) * std::cos(turn) + 10 + noise(rng);
      auto inside = [](double px, double py) {
        return px > 8 && py > 8 && px < Width - 9 && py < Height - 9;
      };
      if (inside(x, y)) {
        TDotInfo d;
        d.x = static_cast<float>(x), d.y = static_cast<float>(y), d.Nx = i, d.Ny = -j;
        d.Area = 78, d.Coded = true;
        pair.Reference.Dots.push_back(d);
      }
      if (inside(mx, my)) {
        TDotInfo d;
        d.x = static_cast<float>(mx), d.y = static_cast<float>(my), d.Area = 78;
        dots.push_back(d);
      }
    }
  pair.Job->ReplaceDots(std::move(dots));
  return pair;
}

// Found from the outline, with nothing known of the motion (encode --reference, track A B).
void BM_RegisterOutlined(benchmark::State& state) {
  TPair pair = MakePair(true);
  for (auto _ : state) {
    const TRegisterReport report = RegisterPicture(*pair.Job, pair.Reference, {});
    benchmark::DoNotOptimize(report.Indexed);
  }
  state.counters["dots"] = pair.Job->DotSum();
}
BENCHMARK(BM_RegisterOutlined)->Unit(benchmark::kMillisecond);

// A grid filling both pictures with its motion predicted per dot (a step of track).
void BM_RegisterPredicted(benchmark::State& state) {
  TPair pair = MakePair(false);
  TRegisterOptions options;
  options.Prior = TPriorKind::Prediction;
  const double turn = 1 * 3.14159265358979 / 180;
  for (const TDotInfo& d : pair.Reference.Dots) {
    const double x = d.x - Width / 2.0, y = d.y - Height / 2.0;
    options.PredictedX.push_back(
        static_cast<float>(Width / 2.0 + x * std::cos(turn) + y * std::sin(turn) + 66));
    options.PredictedY.push_back(
        static_cast<float>(Height / 2.0 - x * std::sin(turn) + y * std::cos(turn) + 10));
  }
  for (auto _ : state) {
    const TRegisterReport report = RegisterPicture(*pair.Job, pair.Reference, options);
    benchmark::DoNotOptimize(report.Indexed);
  }
  state.counters["dots"] = pair.Job->DotSum();
}
BENCHMARK(BM_RegisterPredicted)->Unit(benchmark::kMillisecond);

// The same grid with the user's shift (encode --reference --shift).
void BM_RegisterShifted(benchmark::State& state) {
  TPair pair = MakePair(false);
  TRegisterOptions options;
  options.Prior = TPriorKind::Override;
  options.ShiftX = 66, options.ShiftY = 10;
  for (auto _ : state) {
    const TRegisterReport report = RegisterPicture(*pair.Job, pair.Reference, options);
    benchmark::DoNotOptimize(report.Indexed);
  }
  state.counters["dots"] = pair.Job->DotSum();
}
BENCHMARK(BM_RegisterShifted)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
