// Matching stage: two code files of 60,000 dots each (a 250 x 240 grid), loaded, matched and
// written as one result file. The files live in $TMPDIR (default /tmp); the result is flushed
// to disk on every save as in the product.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "match/Match.h"

namespace {

constexpr int Columns = 250;
constexpr int Rows = 240;

class TBenchFiles {
 public:
  TBenchFiles() {
    const char* tmp = getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr ? tmp : "/tmp") + "/match-bench-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) abort();
    FDir = name;
    Write(Initial(), false);
    Write(Deformed(), true);
  }
  ~TBenchFiles() {
    for (const std::string& file : {Initial(), Deformed(), Result()}) unlink(file.c_str());
    rmdir(FDir.c_str());
  }
  std::string Initial() const { return FDir + "/initial.cod"; }
  std::string Deformed() const { return FDir + "/deformed.cod"; }
  std::string Result() const { return FDir + "/Match0.dat"; }

 private:
  // The code file exactly as the encoder writes it; the deformed grid is stretched 0.1 % in x,
  // shifted and sheared slightly.
  static void Write(const std::string& path, bool deformed) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) abort();
    std::fprintf(file, "VRKT-FS\r\n%d %d %d\r\n", Columns * Rows, 5200, 5000);
    std::fprintf(file, "%d  %d  %f  %f  %d\r\n", Columns / 2, Rows / 2, 1.0, 1.0, 255);
    int index = 0;
    for (int ny = Rows / 2 - 1; ny >= -Rows / 2; --ny) {
      for (int nx = -Columns / 2; nx < Columns / 2; ++nx) {
        double x = 2600 + 20.0 * nx + 0.37 * std::sin(index * 0.7);
        double y = 2500 - 20.0 * ny + 0.29 * std::cos(index * 1.3);
        if (deformed) {
          x = 1.001 * (x - 2600) + 2600 + 0.75 + 0.0004 * (y - 2500);
          y = y - 1.25;
        }
        std::fprintf(file, "%3d   %8.3f  %8.3f   %3d  %3d  %3d\r\n", index, x, y, nx, ny,
                     48 + index % 7);
        index += 1 + index % 3 / 2;
      }
    }
    std::fprintf(file, "%s\r\n", deformed ? "deformed.bmp" : "initial.bmp");
    if (std::fclose(file) != 0) abort();
  }

  std::string FDir;
};

const TBenchFiles& Files() {
  static TBenchFiles files;
  return files;
}

void BM_LoadTwoCodeFiles(benchmark::State& state) {
  const TBenchFiles& files = Files();
  for (auto _ : state) {
    TMatch match(files.Initial(), files.Deformed());
    benchmark::DoNotOptimize(match.FDotInfo[1].data());
  }
  state.counters["dots"] = Columns * Rows;
}
BENCHMARK(BM_LoadTwoCodeFiles)->Unit(benchmark::kMillisecond);

void BM_Match(benchmark::State& state) {
  TMatch match(Files().Initial(), Files().Deformed());
  for (auto _ : state) {
    match.Match();
    benchmark::DoNotOptimize(match.FDisplacement.data());
  }
  state.counters["pairs"] = match.FMatchSum;
}
BENCHMARK(BM_Match)->Unit(benchmark::kMillisecond);

// Layout 1 (x y dx dy) and layout 7 (nx ny x y theta r), the widest rows.
void BM_WriteResult(benchmark::State& state) {
  TMatch match(Files().Initial(), Files().Deformed());
  match.Match();
  for (auto _ : state) match.WriteResult(static_cast<int32_t>(state.range(0)), Files().Result());
}
BENCHMARK(BM_WriteResult)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

// The whole Do Matching and Save Result road.
void BM_LoadMatchWrite(benchmark::State& state) {
  for (auto _ : state) {
    TMatch match(Files().Initial(), Files().Deformed());
    match.Match();
    match.WriteResult(static_cast<int32_t>(state.range(0)), Files().Result());
  }
}
BENCHMARK(BM_LoadMatchWrite)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
