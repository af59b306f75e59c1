#include <memory>
#include <optional>

#include "cli/Cli11.h"

#include "cli/Commands.h"
#include "cli/Subcommands.h"

namespace {

constexpr const char* LeastAreaHelp =
    "--least-area must be a number of pixels (0 or more), -1 (the default of 10), auto or robust";

// "--least-area N|auto|robust", read once.
TLeastArea ParseLeastArea(const std::string& text) {
  if (const std::optional<TLeastArea> area = LeastAreaFromText(text)) return *area;
  throw CLI::ValidationError("--least-area", LeastAreaHelp);
}

}  // namespace

void AddEncodeCommand(CLI::App& app) {
  auto args = std::make_shared<TEncodeArgs>();
  TEncodeRunOptions& run = args->Run;
  // The command line's own defaults; the arguments' struct keeps the window's defaults for
  // callers that fill it in code.
  run = BatchEncodeOptions();
  auto tableGiven = std::make_shared<bool>(false);
  CLI::App* sub = app.add_subcommand(
      "encode",
      "Find and measure the dots of a segmented picture, give them grid indices and "
      "write the code file.");
  sub->add_option("INPUT", args->Input, "Segmented picture (.bmp)")->required();
  sub->add_option("OUTPUT", args->Output, "Code file (.cod)")->required();
  sub->add_flag("--black", args->BlackDots, "The dots are darker than the background");
  sub->add_option_function<std::string>(
         "--least-area", [&run](const std::string& text) { run.LeastArea = ParseLeastArea(text); },
         "Least dot area in pixels, or auto: 2 x mean blob area div 3, or robust: a third of "
         "the area-weighted median blob area (specks and merged blobs do not move it)")
      ->default_str("robust");
  sub->add_option("--method", run.Method,
                  "Origin: 0 max area, 1 center index dot, 2 center grid dot, 3 center image dot")
      ->check(CLI::Range(0, 3))
      ->capture_default_str();
  // A number for either size makes the table fixed (the other size 50 unless given too), unless
  // the other one says auto.
  auto tableSize = [args, tableGiven](int32_t& field) {
    return [args, tableGiven, &field](const std::string& text) {
      if (text == "auto") {
        *tableGiven = true;
        args->Run.AutoTable = true;
        return;
      }
      try {
        size_t used = 0;
        const long value = std::stol(text, &used);
        if (used == text.size() && value >= 0 && value <= 100000) {
          if (!*tableGiven) args->Run.AutoTable = false;
          *tableGiven = true;
          field = static_cast<int32_t>(value);
          return;
        }
      } catch (...) {
      }
      throw CLI::ValidationError("--max-nx/--max-ny", "a number 0..100000 or auto");
    };
  };
  sub->add_option_function<std::string>(
         "--max-nx", tableSize(args->MaxNx),
         "Largest |Nx| of the grid table, or auto: sized from "
         "the dots found (either option makes both auto); a number fixes "
         "the table, the other size 50 unless given")
      ->default_str("auto");
  sub->add_option_function<std::string>("--max-ny", tableSize(args->MaxNy),
                                        "Largest |Ny| of the grid table, or auto")
      ->default_str("auto");
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
                            ->check(CLI::Range(0, 2147483647));
  CLI::Option* neighbours =
      sub->add_option("--neighbours", run.PickedNeighbours,
                      "Dot indices of the origin's neighbours right, down, left, up (-1: none)")
          ->check(CLI::Range(-1, 2147483647));
  CLI::Option* originGrid =
      sub->add_option("--origin-grid", run.PickedGrid, "Grid indices NX NY of the picked origin")
          ->capture_default_str();
  sub->add_option("--overlay", args->Overlay,
                  "Also write a picture of the result (.bmp): unexpanded dots red, labels")
      ->check(CheckFileName);
  sub->add_option("--overlay-scale", args->OverlayScale,
                  "Enlarge the overlay N times so that the labels of a dense grid stay apart")
      ->check(CLI::Range(1, 8))
      ->capture_default_str();
  sub->add_flag("--force", args->Force,
                "Let an output overwrite an input (INPUT, --reference, --picture)");
  pitch->excludes(origin);
  neighbours->needs(origin);
  originGrid->needs(origin);
  origin->needs(neighbours);
  CLI::Option* reference =
      sub->add_option("--reference", args->Reference,
                      "Code file of an earlier picture of the same grid: every dot takes the "
                      "indices of the reference dot it is found to be (the motion is found from "
                      "the grid's outline and its missing dots), so both files index the same "
                      "dots")
          ->check(CheckFileName);
  sub->add_option_function<std::array<float, 2>>(
         "--shift", [args](const std::array<float, 2>& v) { args->Shift = v; },
         "Motion DX DY of the grid since the reference picture, pixels: overrides "
         "the motion found (needed where nothing in the pictures decides it)")
      ->check(CheckFinite)
      ->needs(reference);
  reference->excludes(pitch)->excludes(origin);
  sub->add_option_function<std::string>(
         "--centroid",
         [&run](const std::string& text) {
           if (text != "plain" && text != "refined")
             throw CLI::ValidationError("--centroid", "plain or refined");
           run.Refined = text == "refined";
         },
         "plain: gray-weighted centroid of the segmented blob; refined: weighted by the gray "
         "value above the local background over a disc a little wider than the blob, on the "
         "--picture (without it, on the segmented picture itself, which gains little)")
      ->default_str("plain");
  sub->add_option_function<std::string>(
         "--dots",
         [&run](const std::string& text) {
           if (text != "lattice" && text != "blobs")
             throw CLI::ValidationError("--dots", "lattice or blobs");
           run.Lattice = text == "lattice";
         },
         "lattice: a blob is a dot by its size, shape and place in the grid (specks dropped or "
         "cut away, touching dots split, small and large dots alike), and refined centroids fit "
         "each dot's edge; blobs: every blob of at least the least area is a dot, as the window "
         "encodes")
      ->default_str("lattice");
  sub->add_option("--picture", args->Picture,
                  "The unsegmented picture, for --centroid refined (same size as INPUT)")
      ->check(CheckFileName);
  AddBits16Option(*sub, args->Bits16);
  AddPageOption(*sub, args->Page, "INPUT and --picture");
  sub->callback([args] { RunEncode(*args); });
}
