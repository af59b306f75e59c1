// Strain stage: two code files of 60,000 dots each (a 300 x 200 grid), loaded, matched, turned
// into strain and written as CSV, as the strain command does; then the pieces alone and the
// plots. The files live in $TMPDIR (default /tmp).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"
#include "strain/Strainsummary.h"

namespace {

constexpr int Columns = 300;
constexpr int Rows = 200;

class TBenchFiles {
 public:
  TBenchFiles() {
    const char* tmp = getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr ? tmp : "/tmp") + "/strain-bench-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) abort();
    FDir = name;
    Write(Initial(), false);
    Write(Deformed(), true);
  }
  ~TBenchFiles() {
    for (const char* plot : {"exx", "eyy", "exy", "e1", "displacement"})
      unlink((FDir + "/" + plot + ".png").c_str());
    for (const std::string& file : {Initial(), Deformed(), Csv()}) unlink(file.c_str());
    rmdir(FDir.c_str());
  }
  std::string Initial() const { return FDir + "/initial.cod"; }
  std::string Deformed() const { return FDir + "/deformed.cod"; }
  std::string Csv() const { return FDir + "/strain.csv"; }
  const std::string& Dir() const { return FDir; }

 private:
  // Code files as the encoder writes them: a 6000 x 4000 picture at pitch 20, measured with a
  // little scatter; the deformed grid stretched 0.3 % in x, -0.2 % in y and sheared.
  static void Write(const std::string& path, bool deformed) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) abort();
    std::fprintf(file, "VRKT-FS\r\n%d %d %d\r\n", Columns * Rows, 6000, 4000);
    std::fprintf(file, "%d  %d  %f  %f  %d\r\n", Columns / 2, Rows / 2, 1.0, 1.0, 255);
    int index = 0;
    for (int ny = Rows / 2 - 1; ny >= -Rows / 2; --ny) {
      for (int nx = -Columns / 2; nx < Columns / 2; ++nx) {
        double x = 3000 + 20.0 * nx + 0.05 * std::sin(index * 0.7);
        double y = 2000 - 20.0 * ny + 0.05 * std::cos(index * 1.3);
        if (deformed) {
          const double dx = x - 3000, dy = 2000 - y;
          x += 0.4 + 0.003 * dx + 0.001 * dy;
          y -= -0.2 + 0.001 * dx - 0.002 * dy;
        }
        std::fprintf(file, "%3d   %8.3f  %8.3f   %3d  %3d  %3d\r\n", index, x, y, nx, ny,
                     48 + index % 7);
        ++index;
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

// The strain command without plots: load, match, fit, write the CSV, summarise.
void BM_StrainCommand(benchmark::State& state) {
  const TBenchFiles& files = Files();
  TStrainOptions options;
  options.Neighbourhood = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    const TStrainField field = StrainFromCodeFiles(files.Initial(), files.Deformed(), options);
    WriteStrainCsv(files.Csv(), field);
    const TStrainSummary summary(field);
    benchmark::DoNotOptimize(summary.FStatistics.data());
  }
  state.counters["dots"] = Columns * Rows;
}
BENCHMARK(BM_StrainCommand)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_StrainFitOnly(benchmark::State& state) {
  const TStrainField loaded = StrainFromCodeFiles(Files().Initial(), Files().Deformed(), {});
  std::vector<TStrainPair> pairs;
  for (const TStrainPoint& p : loaded.Points()) pairs.push_back(p.Pair);
  TStrainOptions options;
  options.Neighbourhood = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    const TStrainField field = TStrainField::Compute(pairs, options);
    benchmark::DoNotOptimize(field.Points().data());
  }
}
BENCHMARK(BM_StrainFitOnly)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_WriteStrainCsv(benchmark::State& state) {
  const TStrainField field = StrainFromCodeFiles(Files().Initial(), Files().Deformed(), {});
  for (auto _ : state) WriteStrainCsv(Files().Csv(), field);
}
BENCHMARK(BM_WriteStrainCsv)->Unit(benchmark::kMillisecond);

// The five plot files over a blank 6000 x 4000 area.
void BM_SavePlots(benchmark::State& state) {
  const TStrainField field = StrainFromCodeFiles(Files().Initial(), Files().Deformed(), {});
  for (auto _ : state) SavePlots(Files().Dir(), field, nullptr);
}
BENCHMARK(BM_SavePlots)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
