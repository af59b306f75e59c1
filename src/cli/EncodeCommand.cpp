#include <memory>
#include "cli/Cli11.h"

#include "cli/Commands.h"
#include "cli/Subcommands.h"

namespace {

constexpr const char* LeastAreaHelp =
    "--least-area must be a number of pixels (0 or more), -1 (the default of 10) or auto";

// "--least-area N|auto", read once: a non-negative number of pixels, or the Auto estimate. A
// negative area is the system's own rule for "10", so -1 is accepted as well and means just
// that.
TLeastArea ParseLeastArea(const std::string& text) {
  if (text == "auto") return {};
  try {
    size_t used = 0;
    const long value = std::stol(text, &used);
    if (used == text.size() && value >= -1 && value <= 2147483647)
      return TLeastArea::Given(static_cast<int32_t>(value));
  } catch (...) {
  }
  throw CLI::ValidationError("--least-area", LeastAreaHelp);
}

}  // namespace

void AddEncodeCommand(CLI::App& app) {
  auto args = std::make_shared<TEncodeArgs>();
  TEncodeRunOptions& run = args->Run;
  CLI::App* sub = app.add_subcommand(
      "encode",
      "Find and measure the dots of a segmented picture, give them grid indices and "
      "write the code file.");
  sub->add_option("INPUT", args->Input, "Segmented picture (.bmp)")->required();
  sub->add_option("OUTPUT", args->Output, "Code file (.cod)")->required();
  sub->add_flag("--black", args->BlackDots, "The dots are darker than the background");
  sub->add_option_function<std::string>(
         "--least-area", [&run](const std::string& text) { run.LeastArea = ParseLeastArea(text); },
         "Least dot area in pixels, or auto: 2 x mean blob area div 3")
      ->default_str("auto");
  sub->add_option("--method", run.Method,
                  "Origin: 0 max area, 1 center index dot, 2 center grid dot, 3 center image dot")
      ->check(CLI::Range(0, 3))
      ->capture_default_str();
  sub->add_option("--max-nx", args->MaxNx, "Largest |Nx| of the grid table")
      ->check(CLI::Range(0, 100000))
      ->capture_default_str();
  sub->add_option("--max-ny", args->MaxNy, "Largest |Ny| of the grid table")
      ->check(CLI::Range(0, 100000))
      ->capture_default_str();
  sub->add_option("--scale", args->Scale, "Scale factors written into the code file")
      ->check(CheckFinitePositive)
      ->capture_default_str();
  CLI::Option* pitch = sub->add_option_function<std::array<float, 2>>(
                              "--pitch",
                              [&run](const std::array<float, 2>& value) {
                                run.Origin = TOriginSource::Pitch;
                                run.Pitch = value;
                              },
                              "Grid pitch DX DY in pixels: find the origin from dy/dx")
                           ->check(CheckFinitePositive);
  CLI::Option* origin = sub->add_option_function<int32_t>(
                               "--origin",
                               [&run](int32_t value) {
                                 run.Origin = TOriginSource::Picked;
                                 run.PickedDot = value;
                               },
                               "Index of the origin dot, picked by hand")
                            ->check(CLI::NonNegativeNumber);
  CLI::Option* neighbours =
      sub->add_option("--neighbours", run.PickedNeighbours,
                      "Dot indices of the origin's neighbours right, down, left, up (-1: none)")
          ->check(CLI::Range(-1, 2147483647));
  CLI::Option* originGrid =
      sub->add_option("--origin-grid", run.PickedGrid, "Grid indices NX NY of the picked origin")
          ->capture_default_str();
  sub->add_option("--overlay", args->Overlay,
                  "Also write a picture of the result (.bmp): unexpanded dots red, labels");
  sub->add_option("--overlay-scale", args->OverlayScale,
                  "Enlarge the overlay N times so that the labels of a dense grid stay apart")
      ->check(CLI::Range(1, 8))
      ->capture_default_str();
  pitch->excludes(origin);
  neighbours->needs(origin);
  originGrid->needs(origin);
  origin->needs(neighbours);
  sub->callback([args] { RunEncode(*args); });
}
