#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "cli/Cli11.h"

#include "base/Convert.h"
#include "base/Error.h"
#include "base/Folderlock.h"
#include "cli/Commands.h"
#include "cli/Filecheck.h"
#include "cli/Subcommands.h"
#include "cli/Trackprogress.h"
#include "track/Trackfiles.h"
#include "track/Trackinput.h"
#include "track/Tracksequence.h"
#include "track/Tracksplit.h"

namespace {

struct TTrackArgs {
  std::vector<std::string> Pictures;
  std::string Out;
  bool Force = false;   // write over an earlier run's results
  std::string Extract;  // stage 1 of a split run: the steps to extract ("K/N", "A-B")
  TTrackOptions Options;
};

std::atomic<bool> StopRequested{false};
struct sigaction PreviousInterrupt {};

// The first Ctrl-C asks for a stop and gives SIGINT back to its previous handler (the one that
// removes the temporary files of running saves), so a second one ends the program as usual.
extern "C" void RequestStop(int) {
  StopRequested = true;
  ::sigaction(SIGINT, &PreviousInterrupt, nullptr);
}

class TStopOnInterrupt {
 public:
  TStopOnInterrupt() {
    StopRequested = false;
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &PreviousInterrupt);
  }
  ~TStopOnInterrupt() { ::sigaction(SIGINT, &PreviousInterrupt, nullptr); }
  TStopOnInterrupt(const TStopOnInterrupt&) = delete;
  TStopOnInterrupt& operator=(const TStopOnInterrupt&) = delete;
};

// The table's range error with the options that make the table larger, when they were given.
std::string WithTableNote(const std::string& message, const TTrackOptions& options) {
  if (!options.MaxNx || !options.MaxNy || !message.ends_with("not in the range")) return message;
  return message + TableRangeNote(*options.MaxNx, *options.MaxNy);
}

// Stage 1 of a split run: the dots files of some steps, nothing else.
void RunExtraction(const std::vector<std::string>& pictures, const TTrackArgs& args) {
  TStepRange range;
  try {
    range = ParseStepRange(args.Extract, pictures.size());
  } catch (const TError& e) {
    throw TUsageError(e.Message());
  }
  std::vector<TCommandFile> inputs, outputs;
  for (size_t i = range.First; i < range.End; ++i) {
    inputs.push_back({"PICTURE " + pictures[i], SplitPicturePage(pictures[i]).File, ""});
    outputs.push_back(
        {"the dots file of " + pictures[i], TrackDotsFile(args.Out, pictures[i]), ""});
  }
  std::error_code failure;
  std::filesystem::create_directories(std::filesystem::path(args.Out) / "dots", failure);
  if (failure) throw TError("Cannot create the folder " + args.Out + ": " + failure.message());
  CheckFiles(inputs, outputs, true);
  const std::vector<std::string> failed =
      ExtractToDotsFiles(pictures, range, args.Out, args.Options);
  for (const std::string& line : failed) std::fprintf(stderr, "track: %s\n", line.c_str());
  std::printf("%zu pictures extracted (steps %zu to %zu of %zu), %zu failed; dots in %s\n",
              range.End - range.First, range.First, range.End - 1, pictures.size(), failed.size(),
              (std::filesystem::path(args.Out) / "dots").string().c_str());
}

void RunTrack(const TTrackArgs& args) {
  if (args.Out.empty()) throw TUsageError("--out needs the name of a folder");
  const std::vector<std::string> pictures = TrackPictures(args.Pictures, args.Out);
  // Extractions of several parts run at once into one folder, each writing its own files.
  if (!args.Extract.empty()) return RunExtraction(pictures, args);
  std::unique_ptr<TFolderLock> lock;
  const TFileCheck check = LockTrackFiles(pictures, args.Out, args.Options.Plots, args.Force, lock);
  if (check.Status == 2) throw TUsageError(check.Message);
  if (check.Status != 0) throw TError(check.Message);
  TStopOnInterrupt interrupt;
  TTrackProgress progress(stderr, isatty(STDERR_FILENO) != 0);
  TTrackHooks hooks;
  hooks.Stop = &StopRequested;
  hooks.Lock = lock.get();
  hooks.StepDone = [&](TTrackStep step, int32_t done, int32_t total) {
    step.Reason = WithTableNote(step.Reason, args.Options);
    progress.Step(step, done, total);
  };
  std::vector<TTrackStep> steps;
  try {
    steps = TrackSequence(pictures, args.Out, args.Options, hooks);
  } catch (const TError& e) {
    throw TError(WithTableNote(e.Message(), args.Options));
  }
  progress.End();
  const auto failed = std::count_if(steps.begin(), steps.end(),
                                    [](const TTrackStep& step) { return !step.Good(); });
  const auto unwritten = std::count_if(
      steps.begin(), steps.end(), [](const TTrackStep& step) { return !step.WriteError.empty(); });
  const auto flagged = std::count_if(steps.begin(), steps.end(),
                                     [](const TTrackStep& step) { return step.Flagged(); });
  const std::string summary = (std::filesystem::path(args.Out) / "summary.csv").string();
  std::printf("%zu of %zu pictures tracked, %td failed%s; summary in %s\n", steps.size(),
              pictures.size(), failed,
              unwritten > 0 ? (", " + std::to_string(unwritten) + " not written").c_str() : "",
              summary.c_str());
  // A run that could not write all it measured has failed, whatever it measured.
  if (unwritten > 0) throw TError(UnwrittenStepsMessage(steps, args.Out));
  if (steps.size() < pictures.size())
    throw TError("Stopped by Ctrl-C after " + std::to_string(steps.size()) + " of " +
                 std::to_string(pictures.size()) +
                 " pictures: the steps written are complete and summary.csv lists them");
  if (failed + flagged > 0)
    throw TError(
        Format("%td of %zu steps failed and %td had an ambiguous motion: see the reason "
               "and registration columns of %s",
               failed, steps.size(), flagged, summary.c_str()));
}

// "--least-area N|robust|auto".
void ParseLeastArea(const std::string& text, TTrackOptions& o) {
  o.AutoLeastArea = text == "auto";
  o.LeastArea.reset();
  if (text == "auto" || text == "robust") return;
  try {
    size_t used = 0;
    const long value = std::stol(text, &used);
    if (used == text.size() && value >= 0 && value <= 2147483647) {
      o.LeastArea = static_cast<int32_t>(value);
      return;
    }
  } catch (...) {
  }
  throw CLI::ValidationError("--least-area",
                             "--least-area must be a number of pixels (0 or more), robust or auto");
}

}  // namespace

void AddTrackCommand(CLI::App& app) {
  auto args = std::make_shared<TTrackArgs>();
  TTrackOptions& o = args->Options;
  o = BatchTrackOptions();
  CLI::App* sub = app.add_subcommand(
      "track",
      "Track a sequence of pictures of one grid: every picture indexed from the one before, "
      "matched against the first, strain per step and a summary. Ctrl-C stops after the step "
      "in hand.");
  sub->add_option("PICTURE", args->Pictures,
                  "Pictures in order, the first is the reference; or one folder (its pictures in "
                  "natural order: img-9 before img-10)")
      ->required();
  sub->add_option("--out", args->Out,
                  "Output folder: step-NNNN.csv, codes/NAME.cod, summary.csv (made if missing)")
      ->required();
  sub->add_flag("--force", args->Force,
                "Write over the results of an earlier run in --out (files of steps beyond this "
                "run's stay)");
  CLI::Option* black = sub->add_flag_callback(
      "--black", [&o] { o.BlackDots = true, o.FindPolarity = false; },
      "The dots are darker than the background (default: found from the first picture)");
  sub->add_flag_callback(
         "--white", [&o] { o.BlackDots = false, o.FindPolarity = false; },
         "The dots are brighter than the background")
      ->excludes(black);
  CLI::Option* median =
      sub->add_option("--median", o.Median,
                      "Median filter first, window P x P (P 0..10; even P means P + 1)")
          ->check(CLI::Range(0, 10));
  CLI::Option* window =
      sub->add_option("--window", o.Window,
                      "Multi-area window size in pixels (default: width div 4; at most half the "
                      "smaller picture side)")
          ->check(CLI::Range(1, 1 << 30));
  CLI::Option* adjust =
      sub->add_option("--adjust", o.Adjust, "Added to every window mean (may be negative)")
          ->capture_default_str();
  CLI::Option* threshold =
      sub->add_option("--threshold", o.Threshold,
                      "Simple segmentation with this one threshold instead of multi-area windows");
  threshold->excludes(window)->excludes(adjust)->excludes(median);
  sub->add_option_function<std::string>(
         "--least-area", [&o](const std::string& text) { ParseLeastArea(text, o); },
         "Least dot area in pixels, robust (a third of the area-weighted median blob) or auto "
         "(2 x mean blob area div 3)")
      ->default_str("robust");
  sub->add_option_function<std::string>(
         "--centroid", [&o](const std::string& text) { o.RefinedCentroids = text == "refined"; },
         "Dot centres: refined (weighted above the local background on the picture as taken) "
         "or plain")
      ->check(CLI::IsMember({"plain", "refined"}))
      ->default_str("refined");
  sub->add_option_function<std::string>(
         "--dots", [&o](const std::string& text) { o.LatticeDots = text == "lattice"; },
         "lattice: a blob is a dot by its size, shape and place in the grid (as encode's "
         "default); blobs: every blob of at least the least area is a dot")
      ->check(CLI::IsMember({"lattice", "blobs"}))
      ->default_str("lattice");
  CLI::Option* maxNx = sub->add_option("--max-nx", o.MaxNx,
                                       "Largest |Nx| of the grid table (default: from the dots)")
                           ->check(CLI::Range(1, 100000));
  CLI::Option* maxNy = sub->add_option("--max-ny", o.MaxNy,
                                       "Largest |Ny| of the grid table (default: from the dots)")
                           ->check(CLI::Range(1, 100000));
  maxNx->needs(maxNy);
  maxNy->needs(maxNx);
  sub->add_option_function<std::array<float, 2>>(
         "--scale", [&o](const std::array<float, 2>& v) { o.ScaleX = v[0], o.ScaleY = v[1]; },
         "Scale factors SX SY written into the code files: units per pixel of the results")
      ->check(CheckFinitePositive)
      ->default_str("1 1");
  sub->add_option("--neighbourhood", o.Neighbourhood,
                  "Half-width K of the (2K+1) x (2K+1) grid neighbourhood fitted at each dot")
      ->check(CLI::Range(1, 50))
      ->capture_default_str();
  const std::map<std::string, TStrainMeasure> measures = {{"small", TStrainMeasure::Small},
                                                          {"green", TStrainMeasure::Green}};
  sub->add_option("--measure", o.Measure,
                  "small: engineering strain of the gradient; green: Green-Lagrange strain, "
                  "free of rigid rotation (large turns and stretches)")
      ->transform(CLI::CheckedTransformer(measures, CLI::ignore_case))
      ->default_str("small");
  sub->add_option_function<std::array<float, 2>>(
         "--shift", [&o](const std::array<float, 2>& v) { o.Shift = v; },
         "The grid's motion DX DY from the first picture to the second, pixels, where nothing "
         "in the pictures decides it (default: found)")
      ->check(CheckFinite);
  sub->add_option("--jobs", o.Jobs, "Pictures segmented at once (the results do not depend on it)")
      ->check(CLI::Range(1, 256))
      ->capture_default_str();
  AddBits16Option(*sub, o.Bits16);
  CLI::Option* extract =
      sub->add_option("--extract", args->Extract,
                      "Stage 1 of a split run: only extract the dots of steps K/N (part K of N) "
                      "or FIRST-LAST into --out/dots/, one process per part (GNU parallel, a "
                      "Slurm array); then run track with --extracted");
  sub->add_flag("--extracted", o.Extracted,
                "Stage 2 of a split run: index, match and write every step from the dots "
                "files in --out/dots/ (the same options as stage 1); the files are those of one "
                "track run")
      ->excludes(extract);
  sub->add_flag("--plots", o.Plots,
                "Also write summary.png (mean strains against the step) and the last step's maps "
                "in plots/");
  sub->callback([args] { RunTrack(*args); });
}
