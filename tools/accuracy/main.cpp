// The accuracy sweep on independently rendered grid pairs with a known motion, over several seeds
// per case: the encoding as it was (every blob of the robust least area a dot, refined centroids)
// against the lattice rules, the whole way through (segmented, encoded, the deformed picture
// indexed from the initial one, paired by indices), beside three peers built from OpenCV (when
// the build found it) and the Cramer-Rao bound of the pictures. Prints Markdown tables.
//
//   latticor-accuracy [SEEDS [CASE-FILTER]]      the table of every case
//   latticor-accuracy plain [SEEDS]              plain centroids of the lattice rules against
//                                                the blobs' on the clean cases
//   latticor-accuracy pictures CASE DIR [SEED]   writes the case's pictures, as rendered and
//                                                segmented, to look at or to feed the CLI
#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Cramerrao.h"
#include "Peers.h"
#include "image/Grayimage.h"
#include "reference/Truthgrid.h"

namespace {

struct TCase {
  std::string Name;
  TTruthOptions Options;
};

std::vector<TCase> Sweep() {
  std::vector<TCase> cases;
  auto add = [&](const std::string& name, auto change) {
    TTruthOptions o;
    change(o);
    cases.push_back({name, o});
  };
  add("base (pitch 20, radius 5, noise 2)", [](TTruthOptions&) {});
  add("3000 specks", [](TTruthOptions& o) { o.Specks = 3000; });
  add("3000 specks, 1010 wide", [](TTruthOptions& o) { o.Specks = 3000, o.Width = 1010; });
  add("touching, radius 10", [](TTruthOptions& o) { o.Radius = 10; });
  add("merged, radius 12", [](TTruthOptions& o) { o.Radius = 12; });
  add("mixed radius 6 and 3", [](TTruthOptions& o) { o.Radius = 6, o.SmallRadius = 3; });
  add("radius 3 growing to 7", [](TTruthOptions& o) { o.Radius = 3, o.RadiusRight = 7; });
  add("lit from above (gradient y 150, blur 1, noise 0.5)",
      [](TTruthOptions& o) { o.GradientY = 150, o.Blur = 1, o.Noise = 0.5; });
  add("noise 10", [](TTruthOptions& o) { o.Noise = 10; });
  add("noise 15", [](TTruthOptions& o) { o.Noise = 15; });
  add("JPEG q 5", [](TTruthOptions& o) { o.Jpeg = 5; });
  add("JPEG q 50", [](TTruthOptions& o) { o.Jpeg = 50; });
  add("blur sigma 3", [](TTruthOptions& o) { o.Blur = 3; });
  add("blur sigma 1", [](TTruthOptions& o) { o.Blur = 1; });
  add("gradient x 120", [](TTruthOptions& o) { o.Gradient = 120; });
  add("pitch 8, radius 3", [](TTruthOptions& o) { o.Pitch = 8, o.Radius = 3; });
  add("pitch 40, radius 9", [](TTruthOptions& o) { o.Pitch = 40, o.Radius = 9; });
  add("strain 10 %", [](TTruthOptions& o) { o.Strain = 0.10; });
  add("blur 2, noise 5, JPEG 60", [](TTruthOptions& o) { o.Blur = 2, o.Noise = 5, o.Jpeg = 60; });
  return cases;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// One way of measuring over the seeds: median RMS, lowest share indexed, mispaired pairs in all,
// the worst pair, and the seeds that failed.
struct TSummary {
  std::vector<double> Rms;
  double Share = 1, Max = 0;
  int32_t Mispaired = 0, Failed = 0;
  void Add(const TEncodingAccuracy& a) {
    if (!a.Failure.empty()) {
      ++Failed;
      Share = 0;
      return;
    }
    Rms.push_back(a.Rms);
    Share = std::min(Share, a.Share());
    Max = std::max(Max, a.Max);
    Mispaired += a.Mispaired;
  }
  std::string Cells() const {
    char text[160];
    if (Rms.empty()) return "fails | - | - | -";
    std::snprintf(text, sizeof text, "%.4f | %.1f %%%s | %d | %.3f", Median(Rms), 100 * Share,
                  Failed ? " (fails)" : "", Mispaired, Max);
    return text;
  }
};

TEncodeRunOptions Run(bool lattice, bool refined) {
  TEncodeRunOptions run;
  run.LeastArea.Mode = TLeastArea::TMode::Robust;
  run.Refined = refined;
  run.Lattice = lattice;
  return run;
}

void Table(int seeds, const std::string& only) {
  std::printf(
      "| case | before: RMS | indexed | mispaired | worst | after: RMS | indexed | mispaired | "
      "worst | blob detector RMS / found | Otsu + components | local fit | Cramer-Rao | "
      "after / bound |\n|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (const TCase& c : Sweep()) {
    if (!only.empty() && c.Name.find(only) == std::string::npos) continue;
    TSummary before, after;
    std::vector<TPeerResult> peers[PeerCount];
    for (int s = 1; s <= seeds; ++s) {
      TTruthOptions o = c.Options;
      o.Seed = static_cast<uint32_t>(s);
      before.Add(MeasureEncoding(o, Run(false, true)));
      after.Add(MeasureEncoding(o, Run(true, true)));
      for (int32_t p = 0; p < PeerCount; ++p) peers[p].push_back(MeasurePeer(o, p));
    }
    std::string peerCells;
    for (int32_t p = 0; p < PeerCount; ++p) {
      std::vector<double> rms;
      double found = 1;
      for (const TPeerResult& r : peers[p]) rms.push_back(r.Rms), found = std::min(found, r.Found);
      char text[64];
      if (peers[p].empty() || !peers[p][0].Available)
        std::snprintf(text, sizeof text, " n/a |");
      else
        std::snprintf(text, sizeof text, " %.4f / %.0f %% |", Median(rms), 100 * found);
      peerCells += text;
    }
    const double bound = c.Options.Jpeg > 0 ? 0 : DisplacementBound(c.Options);
    char boundCells[64];
    if (bound > 0 && !after.Rms.empty())
      std::snprintf(boundCells, sizeof boundCells, " %.4f | %.2f |", bound,
                    Median(after.Rms) / bound);
    else
      std::snprintf(boundCells, sizeof boundCells, " - | - |");
    std::printf("| %s | %s | %s |%s%s\n", c.Name.c_str(), before.Cells().c_str(),
                after.Cells().c_str(), peerCells.c_str(), boundCells);
    std::fflush(stdout);
  }
}

// Plain centroids: the lattice rules keep every clean grid's dots as the blobs are, to the bit.
void PlainTable(int seeds) {
  std::printf(
      "| case | blobs plain RMS | lattice plain RMS | lattice plain indexed | mispaired |\n"
      "|---|---|---|---|---|\n");
  for (const TCase& c : Sweep()) {
    TSummary blobs, lattice;
    for (int s = 1; s <= seeds; ++s) {
      TTruthOptions o = c.Options;
      o.Seed = static_cast<uint32_t>(s);
      blobs.Add(MeasureEncoding(o, Run(false, false)));
      lattice.Add(MeasureEncoding(o, Run(true, false)));
    }
    std::printf("| %s | %s | %s |\n", c.Name.c_str(), blobs.Cells().c_str(),
                lattice.Cells().c_str());
    std::fflush(stdout);
  }
}

void Pictures(const std::string& name, const std::string& dir, uint32_t seed) {
  for (const TCase& c : Sweep()) {
    if (c.Name.find(name) == std::string::npos) continue;
    TTruthOptions o = c.Options;
    o.Seed = seed;
    const TTruthGrid grid(o);
    for (bool deformed : {false, true}) {
      TGrayImage picture, segmented;
      grid.Render(deformed, picture);
      SegmentLikeTheCli(picture, segmented);
      const std::string stem = dir + "/" + (deformed ? "deformed" : "initial");
      picture.SaveToFile(stem + ".bmp");
      segmented.SaveToFile(stem + "-segmented.bmp");
    }
    std::printf("%s: %zu dots, %d columns\n", c.Name.c_str(), grid.Dots().size(), grid.Columns());
    return;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc > 3 && std::strcmp(argv[1], "pictures") == 0) {
    Pictures(argv[2], argv[3], argc > 4 ? static_cast<uint32_t>(std::atoi(argv[4])) : 1);
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "plain") == 0) {
    PlainTable(argc > 2 ? std::max(1, std::atoi(argv[2])) : 4);
    return 0;
  }
  const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
  Table(seeds, argc > 2 ? argv[2] : "");
  return 0;
}
