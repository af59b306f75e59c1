#include <array>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include "cli/Cli11.h"

#include "cli/Commands.h"
#include "cli/Subcommands.h"

namespace {

// The default of a pair of option values, from the fields they set.
template <typename T>
std::string PairText(T a, T b) {
  std::ostringstream text;
  text << a << ' ' << b;
  return text.str();
}

}  // namespace

void AddSynthCommand(CLI::App& app) {
  auto args = std::make_shared<TSynthArgs>();
  TSynthOptions& so = args->Options;
  CLI::App* sub = app.add_subcommand(
      "synth", "Write a synthetic initial and deformed grid picture and the true dot centres.");
  sub->add_option("INITIAL", args->Initial, "Initial picture (.bmp or .raw)")->required();
  sub->add_option("DEFORMED", args->Deformed, "Deformed picture (.bmp or .raw)")->required();
  sub->add_option("TRUTH", args->Truth, "True centres as CSV: i,j,x0,y0,x1,y1")->required();
  AddPictureOptions(*sub, so, "the deformed picture");
  sub->add_option("--specks", so.Specks, "Specks of 1 to 4 pixels at random in each picture")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  sub->add_option("--gradient", so.Gradient,
                  "Brightness change from the top-left to the bottom-right corner")
      ->check(CheckFinite)
      ->check(CLI::Range(-255.0, 255.0))
      ->capture_default_str();
  sub->add_option("--missing", so.Missing, "Dots left out at random")
      ->check(CLI::Range(0, 2147483647))
      ->capture_default_str();
  AddSeedOption(*sub, so.Seed, "Seed of the noise, phase and missing dots");
  const std::map<std::string, TSynthField> fields = {{"uniform", TSynthField::Uniform},
                                                     {"linear", TSynthField::Linear},
                                                     {"hole", TSynthField::Hole}};
  sub->add_option(
         "--field", so.Field,
         "Non-uniform motion added to --strain: uniform (none), linear (exx from -S at the "
         "left edge to +S at the right), hole (plate with a circular hole under tension S "
         "along x)")
      ->transform(CLI::CheckedTransformer(fields, CLI::ignore_case))
      ->default_str("uniform");
  sub->add_option("--field-strain", so.FieldStrain, "S of --field")
      ->check(CheckFinite)
      ->check(CLI::Range(-0.1, 0.1))
      ->capture_default_str();
  sub->add_option("--hole-radius", so.HoleRadius, "Radius of the hole in pixels")
      ->check(CheckFinite)
      ->check(CLI::Range(0.0, 1e5))
      ->capture_default_str();
  sub->add_option_function<std::array<double, 2>>(
         "--hole-centre",
         [&so](const std::array<double, 2>& v) { so.HoleX = v[0], so.HoleY = v[1]; },
         "Centre of the hole in pixels (default: three quarters of the width, half the height)")
      ->check(CheckFinite)
      ->check(CLI::Range(0.0, 1e7));
  sub->add_option("--poisson", so.Poisson, "Poisson's ratio of the plate with a hole")
      ->check(CheckFinite)
      ->check(CLI::Range(-0.99, 0.49))
      ->capture_default_str();
  sub->add_option("--turn", so.TurnDeg,
                  "Rigid rotation of the deformed state about the picture centre, degrees "
                  "counterclockwise")
      ->check(CheckFinite)
      ->check(CLI::Range(-45.0, 45.0))
      ->capture_default_str();
  AddGridShapeOptions(*sub, so);
  sub->callback([args] { RunSynth(*args); });
}

void AddPictureOptions(CLI::App& sub, TSynthOptions& so, const std::string& moved) {
  sub.add_option_function<std::array<int32_t, 2>>(
         "--size", [&so](const std::array<int32_t, 2>& v) { so.Width = v[0], so.Height = v[1]; },
         "Picture size W H")
      ->check(CLI::Range(1, 1 << 20))
      ->default_str(PairText(so.Width, so.Height));
  sub.add_option_function<std::array<double, 2>>(
         "--pitch", [&so](const std::array<double, 2>& v) { so.PitchX = v[0], so.PitchY = v[1]; },
         "Grid pitch DX DY in pixels")
      ->check(CheckFinitePositive)
      ->default_str(PairText(so.PitchX, so.PitchY));
  sub.add_option("--radius", so.Radius, "Dot radius in pixels")
      ->check(CheckFinitePositive)
      ->capture_default_str();
  sub.add_flag_callback(
      "--black", [&so] { so.WhiteDots = false; }, "Dark dots on a bright background");
  sub.add_option("--noise", so.NoiseSigma, "Gaussian noise sigma in gray levels")
      ->check(CheckFinite)
      ->check(CLI::Range(0.0, 255.0))
      ->capture_default_str();
  sub.add_option("--blur", so.Blur, "Gaussian blur of the dots' edges, sigma in pixels")
      ->check(CheckFinite)
      ->check(CLI::Range(0.0, 50.0))
      ->capture_default_str();
  sub.add_option("--rotation", so.RotationDeg, "Grid rotation in degrees")
      ->check(CheckFinite)
      ->check(CLI::Range(-45.0, 45.0))
      ->capture_default_str();
  sub.add_option_function<std::array<double, 2>>(
         "--translate",
         [&so](const std::array<double, 2>& v) { so.TranslateX = v[0], so.TranslateY = v[1]; },
         "Translation TX TY of " + moved + ", pixels")
      ->check(CheckFinite)
      ->check(CLI::Range(-1e4, 1e4))
      ->default_str(PairText(so.TranslateX, so.TranslateY));
  sub.add_option_function<std::array<double, 3>>(
         "--strain",
         [&so](const std::array<double, 3>& v) { so.Exx = v[0], so.Eyy = v[1], so.Exy = v[2]; },
         "Uniform strain EXX EYY EXY of " + moved + " about the picture centre, x right and y up")
      ->check(CheckFinite)
      ->check(CLI::Range(-0.5, 0.5));
}

void AddGridShapeOptions(CLI::App& sub, TSynthOptions& so) {
  sub.add_option_function<std::array<int32_t, 2>>(
         "--grid", [&so](const std::array<int32_t, 2>& v) { so.Columns = v[0], so.Rows = v[1]; },
         "A grid of C x R dots about the centre dot, its outline inside the pictures (default: "
         "as far as the pictures reach)")
      ->check(CLI::Range(1, 1 << 20));
  sub.add_flag("--each-picture", so.ClipEach,
               "Each picture shows every dot that fits in it, as a camera does (default: only "
               "the dots that fit in both)");
  sub.add_option_function<double>(
         "--crack",
         [&so](double w) {
           so.Field = TSynthField::Crack;
           so.CrackOpening = w;
         },
         "A crack along the middle row opening by W pixels (in the last picture of a sequence)")
      ->check(CheckFinite)
      ->check(CLI::Range(-1e4, 1e4));
}
