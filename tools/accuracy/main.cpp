// The accuracy sweep: plain against refined centroids on independently rendered grid pairs with
// a known motion, over eight seeds per case. Prints a Markdown table of the median and the worst
// RMS displacement error and the largest single error, pixels.
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "reference/Truthgrid.h"

namespace {

struct TCase {
  std::string Name;
  TTruthOptions Options;
};

std::vector<TCase> Sweep() {
  std::vector<TCase> cases;
  const TTruthOptions base;
  auto add = [&](const std::string& name, auto change) {
    TTruthOptions o = base;
    change(o);
    cases.push_back({name, o});
  };
  add("base (pitch 20, radius 5, noise 2)", [](TTruthOptions&) {});
  for (double b : {1.0, 2.0, 3.0})
    add("blur sigma " + std::to_string(b).substr(0, 3), [b](TTruthOptions& o) { o.Blur = b; });
  for (double n : {5.0, 10.0, 15.0})
    add("noise " + std::to_string(static_cast<int>(n)), [n](TTruthOptions& o) { o.Noise = n; });
  for (double g : {60.0, 120.0})
    add("gradient " + std::to_string(static_cast<int>(g)),
        [g](TTruthOptions& o) { o.Gradient = g; });
  add("pitch 8, radius 3", [](TTruthOptions& o) { o.Pitch = 8, o.Radius = 3; });
  add("pitch 10, radius 3", [](TTruthOptions& o) { o.Pitch = 10, o.Radius = 3; });
  add("pitch 40, radius 9", [](TTruthOptions& o) { o.Pitch = 40, o.Radius = 9; });
  add("pitch 60, radius 9", [](TTruthOptions& o) { o.Pitch = 60, o.Radius = 9; });
  add("radius 3", [](TTruthOptions& o) { o.Radius = 3; });
  add("radius 7", [](TTruthOptions& o) { o.Radius = 7; });
  for (int q : {30, 60, 90})
    add("JPEG q " + std::to_string(q), [q](TTruthOptions& o) { o.Jpeg = q; });
  add("strain 10 %", [](TTruthOptions& o) { o.Strain = 0.10; });
  add("blur 2, noise 5, JPEG 60", [](TTruthOptions& o) { o.Blur = 2, o.Noise = 5, o.Jpeg = 60; });
  return cases;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
  const std::string only = argc > 2 ? argv[2] : "";
  std::printf(
      "| case | plain median RMS | plain worst RMS | plain max | refined median RMS | "
      "refined worst RMS | refined max | pairs |\n|---|---|---|---|---|---|---|---|\n");
  for (const TCase& c : Sweep()) {
    if (!only.empty() && c.Name.find(only) == std::string::npos) continue;
    std::vector<double> rms[2];
    double max[2] = {0, 0};
    int pairs = 0;
    for (int s = 1; s <= seeds; ++s) {
      TTruthOptions o = c.Options;
      o.Seed = static_cast<uint32_t>(s);
      for (int refined = 0; refined < 2; ++refined) {
        const TAccuracy a = MeasureAccuracy(o, refined == 1);
        rms[refined].push_back(a.Rms);
        max[refined] = std::max(max[refined], a.Max);
        pairs = a.Pairs;
      }
    }
    std::printf("| %s | %.4f | %.4f | %.4f | %.4f | %.4f | %.4f | %d |\n", c.Name.c_str(),
                Median(rms[0]), *std::max_element(rms[0].begin(), rms[0].end()), max[0],
                Median(rms[1]), *std::max_element(rms[1].begin(), rms[1].end()), max[1], pairs);
    std::fflush(stdout);
  }
  return 0;
}
