#include <memory>
#include "cli/Cli11.h"

#include "cli/Commands.h"
#include "cli/Subcommands.h"

void AddMatchCommand(CLI::App& app) {
  auto args = std::make_shared<TMatchArgs>();
  CLI::App* sub = app.add_subcommand(
      "match", "Pair the dots of two code files by grid position and write their displacements.");
  sub->add_option("INITIAL", args->Initial, "Code file of the initial picture")->required();
  sub->add_option("DEFORMED", args->Deformed, "Code file of the deformed picture")->required();
  sub->add_option("OUTPUT", args->Output,
                  "Displacement file (.dat); may be left out when --csv is given");
  sub->add_option("--layout", args->Layout,
                  "Columns: 0 x y theta r, 1 x y dx dy, 2 x y dx, 3 x y dy, 4 index x y dx dy, "
                  "5 index x y theta r, 6 nx ny x y dx dy, 7 nx ny x y theta r")
      ->check(CLI::Range(0, 7))
      ->capture_default_str();
  sub->add_flag("--keep-y", args->KeepY, "Keep the image's y axis (down) instead of y up");
  sub->add_flag("--force", args->Force, "Let OUTPUT overwrite an input");
  sub->add_flag("--align", args->Align,
                "When the pairs are off by whole dots (median displacement beyond half a "
                "pitch), shift the deformed indices by that offset before writing");
  sub->add_option("--csv", args->Csv,
                  "Also write the pairs as CSV for spreadsheets and scripts: nx,ny,x,y,dx,dy, "
                  "y up, in the code files' units")
      ->check(CheckFileName);
  sub->callback([args] {
    if (args->Output.empty() && args->Csv.empty())
      throw CLI::ValidationError("OUTPUT", "a displacement file or --csv is needed");
    RunMatch(*args);
  });
}
