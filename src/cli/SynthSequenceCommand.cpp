#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include "cli/Cli11.h"

#include "base/Error.h"
#include "cli/Filecheck.h"
#include "cli/Subcommands.h"
#include "synth/Synthsequence.h"

namespace {

struct TSynthSequenceArgs {
  std::string Dir;
  int32_t Steps = 10;
  TSynthOptions Options;
};

void RunSynthSequence(const TSynthSequenceArgs& args) {
  std::error_code failure;
  std::filesystem::create_directories(args.Dir, failure);
  if (failure) throw TError("Cannot create the folder " + args.Dir + ": " + failure.message());
  // The grid is checked (size, pitch, radius) before the first picture is drawn.
  const TSynthGrid check(args.Options);
  CheckPictureOutput((std::filesystem::path(args.Dir) / "frame-0000.bmp").string(),
                     args.Options.Width, args.Options.Height);
  const auto pictures = WriteSynthSequence(args.Options, args.Steps, args.Dir);
  std::printf("%zu pictures and their truth written to %s\n", pictures.size(), args.Dir.c_str());
}

}  // namespace

void AddSynthSequenceCommand(CLI::App& app) {
  auto args = std::make_shared<TSynthSequenceArgs>();
  TSynthOptions& so = args->Options;
  CLI::App* sub = app.add_subcommand(
      "synth-sequence",
      "Write a synthetic test: STEPS + 1 pictures of one grid whose translation and strain grow "
      "linearly from none to the given final values, and the true centres of each.");
  sub->add_option("DIR", args->Dir,
                  "Folder for frame-NNNN.bmp and truth-NNNN.csv (i,j,x0,y0,x1,y1: picture 0 "
                  "and picture NNNN)")
      ->required();
  sub->add_option("--steps", args->Steps, "Pictures after the reference")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  sub->add_option_function<std::array<int32_t, 2>>(
         "--size", [&so](const std::array<int32_t, 2>& v) { so.Width = v[0], so.Height = v[1]; },
         "Picture size W H")
      ->check(CLI::Range(1, 1 << 20))
      ->default_str("800 600");
  sub->add_option_function<std::array<double, 2>>(
         "--pitch", [&so](const std::array<double, 2>& v) { so.PitchX = v[0], so.PitchY = v[1]; },
         "Grid pitch DX DY in pixels")
      ->check(CheckFinitePositive)
      ->default_str("20 20");
  sub->add_option("--radius", so.Radius, "Dot radius in pixels")
      ->check(CheckFinitePositive)
      ->capture_default_str();
  sub->add_flag_callback(
      "--black", [&so] { so.WhiteDots = false; }, "Dark dots on a bright background");
  sub->add_option("--noise", so.NoiseSigma, "Gaussian noise sigma in gray levels")
      ->check(CheckFinite)
      ->check(CLI::Range(0.0, 255.0))
      ->capture_default_str();
  sub->add_option("--blur", so.Blur, "Gaussian blur of the dots' edges, sigma in pixels")
      ->check(CheckFinite)
      ->check(CLI::Range(0.0, 50.0))
      ->capture_default_str();
  sub->add_option("--rotation", so.RotationDeg, "Grid rotation in degrees")
      ->check(CheckFinite)
      ->check(CLI::Range(-45.0, 45.0))
      ->capture_default_str();
  sub->add_option_function<std::array<double, 2>>(
         "--translate",
         [&so](const std::array<double, 2>& v) { so.TranslateX = v[0], so.TranslateY = v[1]; },
         "Translation TX TY of the last picture, pixels")
      ->check(CheckFinite)
      ->check(CLI::Range(-1e4, 1e4))
      ->default_str("0 0");
  sub->add_option_function<std::array<double, 3>>(
         "--strain",
         [&so](const std::array<double, 3>& v) { so.Exx = v[0], so.Eyy = v[1], so.Exy = v[2]; },
         "Uniform strain EXX EYY EXY of the last picture about the picture centre, x right and "
         "y up")
      ->check(CheckFinite)
      ->check(CLI::Range(-0.5, 0.5));
  sub->add_option("--seed", so.Seed, "Seed of the noise and the grid's phase")
      ->capture_default_str();
  sub->add_option("--turn", so.TurnDeg,
                  "Rigid rotation of the last picture about the picture centre, degrees "
                  "counterclockwise")
      ->check(CheckFinite)
      ->check(CLI::Range(-180.0, 180.0));
  AddGridShapeOptions(*sub, so);
  sub->callback([args] { RunSynthSequence(*args); });
}
