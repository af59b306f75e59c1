#include <memory>
#include "cli/Cli11.h"

#include "cli/Commands.h"
#include "cli/Subcommands.h"

void AddSegmentCommand(CLI::App& app) {
  auto args = std::make_shared<TSegmentArgs>();
  TSegmentRunOptions& run = args->Run;
  CLI::App* sub = app.add_subcommand(
      "segment",
      "Segment a gray grid picture: every background pixel becomes 0 (white dots) or 255 "
      "(black dots); the dots keep their gray values.");
  sub->add_option("INPUT", args->Input,
                  "Gray picture (.bmp, or a camera picture: .png, .tif, .pgm, .jpg; 1 to 16 bits)")
      ->required();
  sub->add_option("OUTPUT", args->Output, "Segmented picture (.bmp or .raw)")->required();
  sub->add_flag_callback(
      "--black", [&run] { run.WhiteDots = false; }, "The dots are darker than the background");
  CLI::Option* median =
      sub->add_option("--median", run.Median,
                      "Median filter first, window P x P (P 0..10 as the Filter dialog; even P "
                      "means P + 1)")
          ->check(CLI::Range(0, 10));
  CLI::Option* window =
      sub->add_option("--window", run.Window,
                      "Multi-area window size in pixels (default: width div 4, at most half the "
                      "smaller picture side)")
          ->check(CLI::Range(1, 1 << 30));
  CLI::Option* adjust =
      sub->add_option("--adjust", run.Adjust, "Added to every window mean (may be negative)")
          ->capture_default_str();
  CLI::Option* threshold =
      sub->add_option("--threshold", run.Threshold,
                      "Simple segmentation with this one threshold instead of multi-area windows");
  threshold->excludes(window)->excludes(adjust)->excludes(median);
  sub->add_flag("--force", args->Force, "Let OUTPUT overwrite INPUT");
  AddBits16Option(*sub, args->Bits16);
  AddPageOption(*sub, args->Page, "INPUT");
  sub->callback([args] { RunSegment(*args); });
}
