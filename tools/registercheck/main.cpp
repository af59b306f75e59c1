// latticor-registercheck BEFORE AFTER WORKDIR [FILTER]
//
// Pairs and sequences of grid pictures with a known truth, from synth (the product's generator)
// and from the independent renderer in tests/reference, run through the command lines of two
// latticor-cli programs exactly as a user would, with no options beyond the file names (and
// --measure green where the case says so). Every pair of dots the code files make is checked
// against the truth: a pair whose deformed dot is not the true partner is mispaired.
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "encode/Codefile.h"
#include "image/Grayimage.h"
#include "reference/Truthview.h"
#include "synth/Synth.h"

namespace fs = std::filesystem;

namespace {

constexpr double Pi = 3.14159265358979323846;

struct TDot {
  int32_t I, J;
  double X, Y;
};
using TTruth = std::vector<TDot>;

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

int32_t Run(const std::string& command, const std::string& err = "log.txt") {
  const int status = std::system((command + " >/dev/null 2>>" + Quote(err)).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether match warns of the pairing of two code files.
bool Warns(const std::string& cli, const std::string& a, const std::string& b) {
  fs::remove("warn.txt");
  Run(Quote(cli) + " match " + a + " " + b + " m.dat", "warn.txt");
  std::ifstream in("warn.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str().find("Warning") != std::string::npos;
}

// match's warnings, per program: pairs indexed independently whose origins differ, and pairs
// indexed from one reference.
struct TWarnings {
  int32_t Different = 0, WarnedDifferent = 0, Same = 0, WarnedSame = 0, Alike = 0, WarnedAlike = 0;
};
TWarnings Warned[2];

// The truth of one picture: synth's dots shown in it.
TTruth SynthTruth(const TSynthGrid& grid, bool deformed) {
  TTruth truth;
  for (const TSynthDot& d : grid.Dots())
    if (d.Present && (deformed ? d.Shown1 : d.Shown0))
      truth.push_back({d.I, d.J, deformed ? d.X1 : d.X0, deformed ? d.Y1 : d.Y0});
  return truth;
}

TTruth ViewTruth(const std::vector<TTruthViewDot>& dots) {
  TTruth truth;
  for (const TTruthViewDot& d : dots) truth.push_back({d.I, d.J, d.X, d.Y});
  return truth;
}

struct TCheck {
  int32_t Pairs = 0, Mispaired = 0;
  bool Read = false;
};

// The pairs two code files make, against the truth of their pictures.
TCheck CheckPair(const std::string& a, const std::string& b, const TTruth& ta, const TTruth& tb,
                 double pitch) {
  TCheck check;
  if (!fs::exists(a) || !fs::exists(b)) return check;
  TCodeFileContent ca, cb;
  try {
    ca = ReadCodeFile(a), cb = ReadCodeFile(b);
  } catch (const TError&) {
    return check;
  }
  check.Read = true;
  std::map<std::pair<int32_t, int32_t>, const TDotInfo*> at;
  for (const TDotInfo& d : cb.Dots) at[{d.Nx, d.Ny}] = &d;
  std::map<std::pair<int32_t, int32_t>, const TDot*> inB;
  for (const TDot& t : tb) inB[{t.I, t.J}] = &t;
  const double reach = 0.3 * pitch;
  for (const TDotInfo& d : ca.Dots) {
    const auto partner = at.find({d.Nx, d.Ny});
    if (partner == at.end()) continue;
    ++check.Pairs;
    const TDot* truth = nullptr;
    for (const TDot& t : ta)
      if (std::hypot(t.X - d.x, t.Y - d.y) < reach) truth = &t;
    const auto trueB = truth ? inB.find({truth->I, truth->J}) : inB.end();
    const bool right =
        trueB != inB.end() && std::hypot(trueB->second->X - partner->second->x,
                                         trueB->second->Y - partner->second->y) < reach;
    check.Mispaired += !right;
  }
  return check;
}

std::string Verdict(int32_t rc, const TCheck& c) {
  char text[96];
  if (!c.Read || c.Pairs == 0)
    std::snprintf(text, sizeof text, "refused (exit %d)", rc);
  else if (c.Mispaired > 0)
    std::snprintf(text, sizeof text, "%d of %d mispaired%s", c.Mispaired, c.Pairs,
                  rc != 0 ? ", flagged" : "");
  else
    std::snprintf(text, sizeof text, "0 of %d mispaired%s", c.Pairs, rc != 0 ? ", flagged" : "");
  return text;
}

// A pair of pictures: the encode road (segment, encode, encode --reference) and the pair
// command (track A B).
void RunPair(const std::string& name, const std::string& dir, const TGrayImage& a,
             const TGrayImage& b, const TTruth& ta, const TTruth& tb, double pitch,
             const std::string& before, const std::string& after) {
  fs::create_directories(dir);
  fs::current_path(dir);
  a.SaveToFile("a.bmp");
  b.SaveToFile("b.bmp");
  std::string row = "| " + name + " |";
  for (const std::string& cli : {before, after}) {
    fs::remove_all("t");
    fs::remove("b.cod");
    Run(Quote(cli) + " segment a.bmp as.bmp");
    Run(Quote(cli) + " segment b.bmp bs.bmp");
    Run(Quote(cli) + " encode as.bmp a.cod");
    const int32_t rc = Run(Quote(cli) + " encode bs.bmp b.cod --reference a.cod");
    row += " " + Verdict(rc, CheckPair("a.cod", "b.cod", ta, tb, pitch)) + " |";
    const TCheck referenced = CheckPair("a.cod", "b.cod", ta, tb, pitch);
    const int32_t rt = Run(Quote(cli) + " track a.bmp b.bmp --out t");
    const TCheck tracked = CheckPair("t/codes/a.cod", "t/codes/b.cod", ta, tb, pitch);
    row += " " + Verdict(rt, tracked) + " |";
    (void)referenced;
  }
  std::printf("%s\n", row.c_str());
  std::fflush(stdout);
}

// match on a pair: the files each program indexes alone (counted where their origins differ),
// and the files the new program indexes from one reference (encode --reference and track),
// read by each program.
void RunMatchCase(const std::string& dir, const TGrayImage& a, const TGrayImage& b,
                  const TTruth& ta, const TTruth& tb, double pitch, const std::string& before,
                  const std::string& after) {
  fs::create_directories(dir);
  fs::current_path(dir);
  a.SaveToFile("a.bmp");
  b.SaveToFile("b.bmp");
  Run(Quote(after) + " segment a.bmp as.bmp");
  Run(Quote(after) + " segment b.bmp bs.bmp");
  Run(Quote(after) + " encode as.bmp a.cod");
  std::vector<std::pair<std::string, std::string>> same;
  if (Run(Quote(after) + " encode bs.bmp b.cod --reference a.cod") == 0 &&
      CheckPair("a.cod", "b.cod", ta, tb, pitch).Mispaired == 0)
    same.emplace_back("a.cod", "b.cod");
  fs::remove_all("t");
  if (Run(Quote(after) + " track a.bmp b.bmp --out t") == 0 &&
      CheckPair("t/codes/a.cod", "t/codes/b.cod", ta, tb, pitch).Mispaired == 0)
    same.emplace_back("t/codes/a.cod", "t/codes/b.cod");
  for (const std::string& cli : {before, after}) {
    TWarnings& w = Warned[cli == after];
    Run(Quote(cli) + " encode as.bmp ai.cod");
    Run(Quote(cli) + " encode bs.bmp bi.cod");
    const TCheck alone = CheckPair("ai.cod", "bi.cod", ta, tb, pitch);
    if (alone.Pairs > 0 && 2 * alone.Mispaired > alone.Pairs) {
      const bool warned = Warns(cli, "ai.cod", "bi.cod");
      ++w.Different, w.WarnedDifferent += warned;
      if (!warned) std::fprintf(stderr, "match does not warn in %s\n", dir.c_str());
    } else if (alone.Pairs > 0 && alone.Mispaired == 0) {
      ++w.Alike, w.WarnedAlike += Warns(cli, "ai.cod", "bi.cod");
    }
    for (const auto& [x, y] : same) ++w.Same, w.WarnedSame += Warns(cli, x, y);
  }
}

// The rows of summary.csv, split at commas.
std::vector<std::vector<std::string>> Summary(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream split(line);
    while (std::getline(split, cell, ',')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

struct TSequence {
  std::vector<TTruth> Truth;  // per picture
  // The true mean strain and rotation (degrees) of step k, for the strain cases.
  std::function<void(int32_t k, double& exx, double& eyy, double& exy, double& rot)> Strain;
};

void RunSequence(const std::string& name, const std::string& dir, int32_t steps,
                 const std::function<void(int32_t, TGrayImage&, TTruth&)>& picture,
                 const TSequence& strain, bool green, double pitch, const std::string& before,
                 const std::string& after) {
  fs::create_directories(dir + "/seq");
  fs::current_path(dir);
  TSequence seq = strain;
  seq.Truth.resize(static_cast<size_t>(steps + 1));
  for (int32_t k = 0; k <= steps; ++k) {
    TGrayImage image;
    picture(k, image, seq.Truth[static_cast<size_t>(k)]);
    char file[64];
    std::snprintf(file, sizeof file, "seq/frame-%04d.bmp", k);
    image.SaveToFile(file);
  }
  std::string row = "| " + name + " |";
  for (const std::string& cli : {before, after}) {
    fs::remove_all("t");
    const bool measure = green && cli == after;
    const int32_t rc = Run(Quote(cli) + " track seq --out t" + (measure ? " --measure green" : ""));
    int32_t mispaired = 0, failed = 0;
    double least = 1;
    for (int32_t k = 1; k <= steps; ++k) {
      char file[64];
      std::snprintf(file, sizeof file, "t/codes/frame-%04d.cod", k);
      const TCheck c = CheckPair("t/codes/frame-0000.cod", file, seq.Truth[0],
                                 seq.Truth[static_cast<size_t>(k)], pitch);
      mispaired += c.Mispaired;
      // The dots shown in both pictures that were paired correctly.
      int32_t both = 0;
      std::map<std::pair<int32_t, int32_t>, int> in0;
      for (const TDot& t : seq.Truth[0]) in0[{t.I, t.J}] = 1;
      for (const TDot& t : seq.Truth[static_cast<size_t>(k)]) both += in0.count({t.I, t.J}) > 0;
      least = std::min(least, both > 0 ? (c.Pairs - c.Mispaired) / static_cast<double>(both) : 0);
    }
    double strainError = 0, rotationError = 0;
    for (const auto& r : Summary("t/summary.csv")) {
      if (r.size() < 10 || r[2].empty()) {
        ++failed;
        continue;
      }
      if (!seq.Strain) continue;
      double exx, eyy, exy, rot;
      seq.Strain(std::stoi(r[0]), exx, eyy, exy, rot);
      strainError = std::max({strainError, std::fabs(std::stod(r[7]) - exx),
                              std::fabs(std::stod(r[8]) - eyy), std::fabs(std::stod(r[9]) - exy)});
      if (r.size() >= 13)
        rotationError = std::max(rotationError, std::fabs(std::stod(r[10]) - rot));
    }
    char text[200];
    std::snprintf(text, sizeof text, " exit %d, %d failed, %d mispaired, least tracked %.1f %%", rc,
                  failed, mispaired, 100 * least);
    row += text;
    if (seq.Strain) {
      std::snprintf(text, sizeof text, ", strain err %.1e", strainError);
      row += text;
      if (cli == after) {
        std::snprintf(text, sizeof text, ", rotation err %.4f deg", rotationError);
        row += text;
      }
    }
    row += " |";
  }
  std::printf("%s\n", row.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s BEFORE-CLI AFTER-CLI WORKDIR [FILTER]\n", argv[0]);
    return 2;
  }
  const std::string before = fs::absolute(argv[1]).string(), after = fs::absolute(argv[2]).string();
  const std::string work = fs::absolute(argv[3]).string();
  const std::string filter = argc > 4 ? argv[4] : "";
  auto wanted = [&](const std::string& name) {
    return filter.empty() || name.find(filter) != std::string::npos;
  };
  int32_t number = 0;
  auto folder = [&] { return work + "/case" + std::to_string(++number); };
  std::printf(
      "| case | before: encode --reference | before: track A B | after: encode "
      "--reference | after: track A B |\n|---|---|---|---|---|\n");

  // Pairs from synth: outlined grids (each picture shows its own dots), filled frames.
  const double pitches[] = {0.4, 0.6, 1.0, 3.3};
  for (int32_t columns : {24, 25})
    for (double p : pitches) {
      const std::string name = "synth " + std::to_string(columns) + " x 17 dots, " +
                               std::to_string(p).substr(0, 3) + " pitch";
      if (!wanted(name)) continue;
      TSynthOptions o;
      o.Columns = columns, o.Rows = 17, o.ClipEach = true, o.NoiseSigma = 2;
      o.TranslateX = 20 * p, o.TranslateY = -6 * p,
      o.Seed = static_cast<uint32_t>(columns + 10 * p);
      const TSynthGrid grid(o);
      TGrayImage a, b;
      grid.Render(false, a), grid.Render(true, b);
      RunPair(name, folder(), a, b, SynthTruth(grid, false), SynthTruth(grid, true), 20, before,
              after);
    }
  for (double turn : {45.0, -45.0}) {
    const std::string name =
        "synth 20 x 12 dots, turned " + std::to_string(turn).substr(0, 3) + " deg";
    if (!wanted(name)) continue;
    TSynthOptions o;
    o.Columns = 20, o.Rows = 12, o.ClipEach = true, o.NoiseSigma = 2, o.TurnDeg = turn;
    o.TranslateX = 7, o.TranslateY = 3;
    const TSynthGrid grid(o);
    TGrayImage a, b;
    grid.Render(false, a), grid.Render(true, b);
    RunPair(name, folder(), a, b, SynthTruth(grid, false), SynthTruth(grid, true), 20, before,
            after);
  }
  for (double p : {0.6, 3.3}) {
    const std::string name =
        "synth filling both frames, " + std::to_string(p).substr(0, 3) + " pitch";
    if (!wanted(name)) continue;
    TSynthOptions o;
    o.ClipEach = true, o.NoiseSigma = 2, o.TranslateX = 20 * p, o.TranslateY = 3;
    const TSynthGrid grid(o);
    TGrayImage a, b;
    grid.Render(false, a), grid.Render(true, b);
    RunPair(name, folder(), a, b, SynthTruth(grid, false), SynthTruth(grid, true), 20, before,
            after);
  }

  // Pairs from the independent renderer: the same, and viewpoints of a 6 x 6 grid.
  for (int32_t columns : {24, 25})
    for (double p : pitches) {
      const std::string name = "renderer " + std::to_string(columns) + " x 17 dots, " +
                               std::to_string(p).substr(0, 3) + " pitch";
      if (!wanted(name)) continue;
      TTruthSpecimen s;
      s.Columns = columns, s.Rows = 17;
      TTruthViewOptions va, vb;
      vb.Seed = 2;
      vb.H[0][2] += 20 * p, vb.H[1][2] += -6 * p;
      TGrayImage a, b;
      const TTruth ta = ViewTruth(RenderTruthView(s, nullptr, va, a));
      const TTruth tb = ViewTruth(RenderTruthView(s, nullptr, vb, b));
      RunPair(name, folder(), a, b, ta, tb, 20, before, after);
    }
  for (double turn : {45.0, -45.0}) {
    const std::string name =
        "renderer 20 x 12 dots, turned " + std::to_string(turn).substr(0, 3) + " deg";
    if (!wanted(name)) continue;
    TTruthSpecimen s;
    s.Columns = 20, s.Rows = 12;
    TTruthViewOptions va, vb;
    vb.Seed = 2;
    ViewHomography(turn, 0, 0, 1e9, 1, 407, 303, vb.H);
    TGrayImage a, b;
    const TTruth ta = ViewTruth(RenderTruthView(s, nullptr, va, a));
    const TTruth tb = ViewTruth(RenderTruthView(s, nullptr, vb, b));
    RunPair(name, folder(), a, b, ta, tb, 20, before, after);
  }
  for (double p : {0.6, 3.3}) {
    const std::string name =
        "renderer filling both frames, " + std::to_string(p).substr(0, 3) + " pitch";
    if (!wanted(name)) continue;
    TTruthSpecimen s;
    s.Columns = 60, s.Rows = 45;
    TTruthViewOptions va, vb;
    vb.Seed = 2;
    vb.H[0][2] += 20 * p, vb.H[1][2] += 3;
    TGrayImage a, b;
    const TTruth ta = ViewTruth(RenderTruthView(s, nullptr, va, a));
    const TTruth tb = ViewTruth(RenderTruthView(s, nullptr, vb, b));
    RunPair(name, folder(), a, b, ta, tb, 20, before, after);
  }
  {
    // A 6 x 6 grid of large dots photographed from four viewpoints: straight on, tilted 30 deg
    // about two axes, and turned by 20 deg and tilted; every pair of views.
    TTruthSpecimen s;
    s.Columns = s.Rows = 6, s.Pitch = 60, s.Radius = 18;
    struct TView {
      const char* Name;
      double Turn, Tilt, Axis, Scale, Cx, Cy;
    };
    const TView views[] = {{"straight", 0, 0, 0, 1, 400, 300},
                           {"tilted 30 about x", 0, 30, 0, 1.1, 380, 310},
                           {"tilted 30 about y", 5, 30, 90, 0.9, 420, 290},
                           {"turned 20, tilted 25", 20, 25, 45, 1, 400, 300}};
    std::vector<TGrayImage> pictures(4);
    std::vector<TTruth> truths;
    for (size_t v = 0; v < 4; ++v) {
      TTruthViewOptions o;
      o.Seed = static_cast<uint32_t>(v + 5);
      ViewHomography(views[v].Turn, views[v].Tilt, views[v].Axis, 900, views[v].Scale, views[v].Cx,
                     views[v].Cy, o.H);
      truths.push_back(ViewTruth(RenderTruthView(s, nullptr, o, pictures[v])));
    }
    for (size_t a = 0; a < 4; ++a)
      for (size_t b = a + 1; b < 4; ++b) {
        const std::string name =
            std::string("renderer 6 x 6 views: ") + views[a].Name + " / " + views[b].Name;
        if (!wanted(name)) continue;
        RunPair(name, folder(), pictures[a], pictures[b], truths[a], truths[b], 40, before, after);
      }
  }

  // 24 pairs for match alone: outlined grids of even and odd widths, moved by 0.3 to 3.8
  // pitches, some turned.
  for (int32_t n = 0; n < 24 && wanted("match"); ++n) {
    TSynthOptions o;
    o.Columns = 20 + n % 5, o.Rows = 13 + n % 3, o.ClipEach = true, o.NoiseSigma = 2;
    o.TranslateX = 20 * (0.3 + 0.15 * n), o.TranslateY = 20 * 0.1 * (n % 7 - 3);
    o.TurnDeg = n % 4 == 3 ? 40 : 0;
    o.RotationDeg = n % 6 == 5 ? 45 : 0;
    o.Seed = static_cast<uint32_t>(100 + n);
    const TSynthGrid grid(o);
    TGrayImage a, b;
    grid.Render(false, a), grid.Render(true, b);
    RunMatchCase(folder(), a, b, SynthTruth(grid, false), SynthTruth(grid, true), 20, before,
                 after);
  }
  std::printf(
      "\n| match warns (24 pairs) | before | after |\n|---|---|---|\n"
      "| pairs indexed alone from different origins | %d of %d | %d of %d |\n"
      "| pairs indexed alone from the same origin | %d of %d | %d of %d |\n"
      "| pairs indexed from one reference | %d of %d | %d of %d |\n",
      Warned[0].WarnedDifferent, Warned[0].Different, Warned[1].WarnedDifferent,
      Warned[1].Different, Warned[0].WarnedAlike, Warned[0].Alike, Warned[1].WarnedAlike,
      Warned[1].Alike, Warned[0].WarnedSame, Warned[0].Same, Warned[1].WarnedSame, Warned[1].Same);
  std::printf(
      "\n| sequence (40 steps, 800 x 600, pitch 20) | before: track | after: track |\n"
      "|---|---|---|\n");
  const int32_t steps = 40;
  // synth sequences as synth-sequence makes them (each picture the dots of both states).
  auto synthSequence = [&](const std::string& name,
                           const std::function<void(int32_t, TSynthOptions&)>& at,
                           const TSequence& strain, bool green) {
    if (!wanted(name)) return;
    RunSequence(
        name, folder(), steps,
        [&](int32_t k, TGrayImage& image, TTruth& truth) {
          TSynthOptions o;
          o.NoiseSigma = 2;
          o.Seed = 4;
          at(k, o);
          const TSynthGrid grid(o);
          grid.Render(k > 0, image);
          truth = SynthTruth(grid, k > 0);
        },
        strain, green, 20, before, after);
  };
  synthSequence(
      "synth jump of 0.7 pitch at step 20",
      [](int32_t k, TSynthOptions& o) { o.TranslateX = 2.0 * k + (k >= 20 ? 14 : 0); }, {}, false);
  synthSequence(
      "synth crack opening to 2 pitches",
      [](int32_t k, TSynthOptions& o) {
        o.Field = TSynthField::Crack;
        o.CrackOpening = 40.0 * k / 40;
        o.CrackY = 310;
      },
      {}, false);
  TSequence turn;
  turn.Strain = [](int32_t k, double& exx, double& eyy, double& exy, double& rot) {
    exx = eyy = exy = 0, rot = 30.0 * k / 40;
  };
  synthSequence(
      "synth 30 deg turn, --measure green",
      [](int32_t k, TSynthOptions& o) { o.TurnDeg = 30.0 * k / 40; }, turn, true);
  TSequence stretch;
  stretch.Strain = [](int32_t k, double& exx, double& eyy, double& exy, double& rot) {
    const double s = 0.4 * k / 40;
    exx = ((1 + s) * (1 + s) - 1) / 2, eyy = exy = rot = 0;
  };
  synthSequence(
      "synth 40 % stretch, --measure green",
      [](int32_t k, TSynthOptions& o) { o.Exx = 0.4 * k / 40; }, stretch, true);

  // The independent renderer: an outlined grid inside the frame, each picture its own dots.
  auto viewSequence = [&](const std::string& name, const TSpecimenMotion& motionAt1,
                          const std::function<void(int32_t, double, double, double&, double&)>& at,
                          const TSequence& strain, bool green) {
    (void)motionAt1;
    if (!wanted(name)) return;
    RunSequence(
        name, folder(), steps,
        [&](int32_t k, TGrayImage& image, TTruth& truth) {
          TTruthSpecimen s;
          s.Columns = 34, s.Rows = 24;
          TTruthViewOptions o;
          o.Seed = static_cast<uint32_t>(k + 1);
          truth = ViewTruth(RenderTruthView(
              s, [&](double x, double y, double& mx, double& my) { at(k, x, y, mx, my); }, o,
              image));
        },
        strain, green, 20, before, after);
  };
  viewSequence(
      "renderer jump of 0.7 pitch at step 20", nullptr,
      [](int32_t k, double x, double y, double& mx, double& my) {
        mx = x + 1.5 * k + (k >= 20 ? 14 : 0), my = y;
      },
      {}, false);
  viewSequence(
      "renderer crack opening to 2 pitches", nullptr,
      [](int32_t k, double x, double y, double& mx, double& my) {
        mx = x, my = y + (y > 10 ? 0.5 : -0.5) * 40.0 * k / 40;
      },
      {}, false);
  viewSequence(
      "renderer 30 deg turn, --measure green", nullptr,
      [](int32_t k, double x, double y, double& mx, double& my) {
        const double a = 30.0 * k / 40 * Pi / 180;
        mx = x * std::cos(a) + y * std::sin(a), my = -x * std::sin(a) + y * std::cos(a);
      },
      turn, true);
  viewSequence(
      "renderer 40 % stretch, --measure green", nullptr,
      [](int32_t k, double x, double y, double& mx, double& my) {
        mx = x * (1 + 0.4 * k / 40), my = y;
      },
      stretch, true);
  return 0;
}
