// latticor-cli: the headless twin of the desktop application, for batch work and scripts.
// Exit status 0 on success, 1 with the system's message on stderr when the work fails, 2 for
// usage errors.
#include <CLI/CLI.hpp>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "base/Error.h"
#include "cli/Commands.h"
#include "cli/Filecheck.h"

namespace {

constexpr int UsageError = 2;

// "--least-area N|auto": a non-negative number of pixels, or the Auto estimate. A negative area
// is the system's own rule for "10", so -1 is accepted as well and means just that.
std::string CheckLeastArea(const std::string& text) {
  if (text == "auto") return {};
  try {
    size_t used = 0;
    long value = std::stol(text, &used);
    if (used == text.size() && value >= -1 && value <= 2147483647) return {};
  } catch (...) {
  }
  return "--least-area must be a number of pixels (0 or more), -1 (the default of 10) or auto";
}

// "--scale" and "--pitch": positive and finite. CLI::PositiveNumber lets "nan" through (no
// comparison holds for it), and a scale factor of nan would go into a code file that no reader
// accepts. Both are kept as 32-bit floats: a value beyond their range would become infinite or
// 0 (1e39, 1e-300).
std::string CheckFinitePositive(const std::string& text) {
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    if (used == text.size() && std::isfinite(value) && value >= FLT_MIN && value <= FLT_MAX)
      return {};
  } catch (...) {
  }
  return "a positive number from 1.2e-38 to 3.4e38 is needed, not " + text;
}

// Options that are plain numbers: the range validators let "nan" through, and "inf" reaches the
// work only to fail there.
std::string CheckFinite(const std::string& text) {
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    if (used == text.size() && std::isfinite(value)) return {};
  } catch (...) {
  }
  return "a finite number is needed, not " + text;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Latticor: grid-method displacement measurement without the desktop."};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Show the help of every subcommand");
  app.footer("Run 'latticor-cli SUBCOMMAND --help' for the options of one subcommand.");

  // segment ------------------------------------------------------------------------------------
  TSegmentArgs seg;
  int32_t medianValue = 0, windowValue = 0, thresholdValue = 0;
  CLI::App* segment = app.add_subcommand(
      "segment",
      "Segment a gray grid picture: every background pixel becomes 0 (white dots) or 255 "
      "(black dots); the dots keep their gray values.");
  segment->add_option("INPUT", seg.Input, "Gray picture (.bmp)")->required();
  segment->add_option("OUTPUT", seg.Output, "Segmented picture (.bmp or .raw)")->required();
  segment->add_flag("--black", seg.BlackDots, "The dots are darker than the background");
  CLI::Option* median = segment
                            ->add_option("--median", medianValue,
                                         "Median filter first, window P x P (P 0..10 as the "
                                         "Filter dialog; even P means P + 1)")
                            ->check(CLI::Range(0, 10));
  CLI::Option* window =
      segment
          ->add_option("--window", windowValue,
                       "Multi-area window size in pixels (default: width div 4; at most half the "
                       "smaller picture side)")
          ->check(CLI::Range(1, 1 << 30));
  CLI::Option* adjust =
      segment->add_option("--adjust", seg.Adjust, "Added to every window mean (may be negative)");
  CLI::Option* threshold = segment->add_option(
      "--threshold", thresholdValue,
      "Simple segmentation with this one threshold instead of multi-area windows");
  threshold->excludes(window)->excludes(adjust);
  threshold->excludes(median);
  segment->add_flag("--force", seg.Force, "Let OUTPUT overwrite INPUT");

  // encode -------------------------------------------------------------------------------------
  TEncodeArgs enc;
  std::string leastArea = "auto";
  std::vector<float> scale, pitch;
  std::vector<int32_t> neighbours, originGrid;
  int32_t originValue = 0;
  CLI::App* encode = app.add_subcommand(
      "encode",
      "Find and measure the dots of a segmented picture, give them grid indices and "
      "write the code file.");
  encode->add_option("INPUT", enc.Input, "Segmented picture (.bmp)")->required();
  encode->add_option("OUTPUT", enc.Output, "Code file (.cod)")->required();
  encode->add_flag("--black", enc.BlackDots, "The dots are darker than the background");
  encode
      ->add_option("--least-area", leastArea,
                   "Least dot area in pixels, or auto: 2 x mean blob area div 3 (default auto)")
      ->check(CheckLeastArea);
  encode
      ->add_option("--method", enc.Method,
                   "Origin: 0 max area, 1 center index dot, 2 center grid dot (default), 3 "
                   "center image dot")
      ->check(CLI::Range(0, 3));
  encode->add_option("--max-nx", enc.MaxNx, "Largest |Nx| of the grid table (default 50)")
      ->check(CLI::Range(0, 100000));
  encode->add_option("--max-ny", enc.MaxNy, "Largest |Ny| of the grid table (default 50)")
      ->check(CLI::Range(0, 100000));
  encode->add_option("--scale", scale, "Scale factors written into the code file (default 1 1)")
      ->expected(2)
      ->check(CheckFinitePositive);
  CLI::Option* pitchOption =
      encode->add_option("--pitch", pitch, "Grid pitch DX DY in pixels: find the origin from dy/dx")
          ->expected(2)
          ->check(CheckFinitePositive);
  CLI::Option* originOption =
      encode->add_option("--origin", originValue, "Index of the origin dot, picked by hand")
          ->check(CLI::Range(0, 2147483647));
  CLI::Option* neighboursOption =
      encode
          ->add_option("--neighbours", neighbours,
                       "Dot indices of the origin's neighbours right, down, left, up (-1: none)")
          ->expected(4)
          ->check(CLI::Range(-1, 2147483647));
  CLI::Option* originGridOption =
      encode->add_option("--origin-grid", originGrid, "Grid indices NX NY of the picked origin")
          ->expected(2);
  encode->add_option("--overlay", enc.Overlay,
                     "Also write a picture of the result (.bmp): unexpanded dots red, labels");
  encode
      ->add_option("--overlay-scale", enc.OverlayScale,
                   "Enlarge the overlay N times so that the labels of a dense grid stay apart "
                   "(default 1)")
      ->check(CLI::Range(1, 8));
  encode->add_flag("--force", enc.Force, "Let an output overwrite INPUT");
  pitchOption->excludes(originOption);
  neighboursOption->needs(originOption);
  originGridOption->needs(originOption);
  originOption->needs(neighboursOption);

  // match --------------------------------------------------------------------------------------
  TMatchArgs mat;
  CLI::App* match = app.add_subcommand(
      "match", "Pair the dots of two code files by grid position and write their displacements.");
  match->add_option("INITIAL", mat.Initial, "Code file of the initial picture")->required();
  match->add_option("DEFORMED", mat.Deformed, "Code file of the deformed picture")->required();
  match->add_option("OUTPUT", mat.Output, "Displacement file (.dat)")->required();
  match
      ->add_option("--layout", mat.Layout,
                   "Columns: 0 x y theta r (default), 1 x y dx dy, 2 x y dx, 3 x y dy, 4 index x "
                   "y dx dy, 5 index x y theta r, 6 nx ny x y dx dy, 7 nx ny x y theta r")
      ->check(CLI::Range(0, 7));
  match->add_flag("--keep-y", mat.KeepY, "Keep the image's y axis (down) instead of y up");
  match->add_flag("--force", mat.Force, "Let OUTPUT overwrite an input");

  // synth --------------------------------------------------------------------------------------
  TSynthArgs syn;
  TSynthOptions& so = syn.Options;
  std::vector<int32_t> size;
  std::vector<double> synthPitch, translate, strain;
  CLI::App* synth = app.add_subcommand(
      "synth", "Write a synthetic initial and deformed grid picture and the true dot centres.");
  synth->add_option("INITIAL", syn.Initial, "Initial picture (.bmp or .raw)")->required();
  synth->add_option("DEFORMED", syn.Deformed, "Deformed picture (.bmp or .raw)")->required();
  synth->add_option("TRUTH", syn.Truth, "True centres as CSV: i,j,x0,y0,x1,y1")->required();
  synth->add_option("--size", size, "Picture size W H (default 800 600)")
      ->expected(2)
      ->check(CLI::Range(1, 1 << 20));
  synth->add_option("--pitch", synthPitch, "Grid pitch DX DY in pixels (default 20 20)")
      ->expected(2)
      ->check(CheckFinitePositive);
  synth->add_option("--radius", so.Radius, "Dot radius in pixels (default 5)")
      ->check(CheckFinitePositive);
  synth->add_flag(
      "--black", [&so](int64_t) { so.WhiteDots = false; }, "Dark dots on a bright background");
  synth->add_option("--noise", so.NoiseSigma, "Gaussian noise sigma in gray levels (default 0)")
      ->check(CheckFinite)
      ->check(CLI::Range(0.0, 255.0));
  synth
      ->add_option("--gradient", so.Gradient,
                   "Brightness change from the top-left to the bottom-right corner (default 0)")
      ->check(CheckFinite)
      ->check(CLI::Range(-255.0, 255.0));
  synth->add_option("--rotation", so.RotationDeg, "Grid rotation in degrees (default 0)")
      ->check(CheckFinite)
      ->check(CLI::Range(-45.0, 45.0));
  synth->add_option("--missing", so.Missing, "Dots left out at random (default 0)")
      ->check(CLI::Range(0, 2147483647));
  synth->add_option("--translate", translate, "Translation TX TY of the deformed picture, pixels")
      ->expected(2)
      ->check(CheckFinite)
      ->check(CLI::Range(-1e4, 1e4));
  synth->add_option("--strain", strain, "Uniform strain EXX EYY EXY about the picture centre")
      ->expected(3)
      ->check(CheckFinite)
      ->check(CLI::Range(-0.5, 0.5));
  synth->add_option("--seed", so.Seed, "Seed of the noise, phase and missing dots (default 1)");

  // demo ---------------------------------------------------------------------------------------
  std::string demoDir = "demo-output";
  CLI::App* demo = app.add_subcommand(
      "demo",
      "Synthesize a pair with a known deformation, segment, encode and match it as the "
      "subcommands do, and report the error against the truth.");
  demo->add_option("DIR", demoDir, "Folder for every file of the run (default demo-output)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return UsageError;
  }

  try {
    if (segment->parsed()) {
      if (*median) seg.Median = medianValue;
      if (*window) seg.Window = windowValue;
      if (*threshold) seg.Threshold = thresholdValue;
      RunSegment(seg);
    } else if (encode->parsed()) {
      if (leastArea != "auto") enc.LeastArea = std::stoi(leastArea);
      if (!scale.empty()) enc.ScaleX = scale[0], enc.ScaleY = scale[1];
      if (!pitch.empty()) enc.Pitch = std::array<float, 2>{pitch[0], pitch[1]};
      if (*originOption) {
        enc.Origin = originValue;
        for (int k = 0; k < 4; ++k) enc.Neighbours[k] = neighbours[k];
        if (!originGrid.empty()) enc.OriginGrid = {originGrid[0], originGrid[1]};
      }
      RunEncode(enc);
    } else if (match->parsed()) {
      RunMatch(mat);
    } else if (synth->parsed()) {
      if (!size.empty()) so.Width = size[0], so.Height = size[1];
      if (!synthPitch.empty()) so.PitchX = synthPitch[0], so.PitchY = synthPitch[1];
      if (!translate.empty()) so.TranslateX = translate[0], so.TranslateY = translate[1];
      if (!strain.empty()) so.Exx = strain[0], so.Eyy = strain[1], so.Exy = strain[2];
      RunSynth(syn);
    } else if (demo->parsed()) {
      RunDemo(demoDir);
    }
  } catch (const TUsageError& e) {
    std::cerr << e.Message() << std::endl;
    return UsageError;
  } catch (const TError& e) {
    std::cerr << e.Message() << std::endl;
    return 1;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return 1;
  }
  return 0;
}
