#include <cstdio>
#include <map>
#include <memory>
#include "cli/Cli11.h"

#include "cli/Strainrun.h"
#include "cli/Subcommands.h"

void AddStrainCommand(CLI::App& app) {
  auto args = std::make_shared<TStrainArgs>();
  CLI::App* sub = app.add_subcommand(
      "strain",
      "Strain at every dot from two code files of the same grid: the displacement gradient "
      "fitted over each dot's grid neighbourhood. Frame: x to the right, y up.");
  sub->add_option("INITIAL", args->Initial, "Code file of the initial picture")->required();
  sub->add_option("DEFORMED", args->Deformed, "Code file of the deformed picture")->required();
  sub->add_option("OUTPUT", args->Output,
                  "Strain CSV: nx,ny,x,y,dx,dy,exx,eyy,exy,e1,e2,angle,rotation")
      ->required();
  sub->add_option("--neighbourhood", args->Options.Neighbourhood,
                  "Half-width K of the (2K+1) x (2K+1) grid neighbourhood fitted at each dot")
      ->check(CLI::Range(1, 50))
      ->capture_default_str();
  const std::map<std::string, TStrainMeasure> measures = {{"small", TStrainMeasure::Small},
                                                          {"green", TStrainMeasure::Green}};
  sub->add_option("--measure", args->Options.Measure,
                  "small: engineering strain of the gradient; green: Green-Lagrange strain, "
                  "free of rigid rotation")
      ->transform(CLI::CheckedTransformer(measures, CLI::ignore_case))
      ->default_str("small");
  CLI::Option* plots =
      sub->add_option("--plots", args->Plots,
                      "Folder for exx.png, eyy.png, exy.png, e1.png and displacement.png")
          ->check(CheckFileName);
  sub->add_option("--picture", args->Picture,
                  "The initial picture under the plots (default: a blank area of its size)")
      ->check(CheckFileName)
      ->needs(plots);
  sub->add_option("--summary", args->Summary, "Also write the summary as CSV")
      ->check(CheckFileName);
  sub->add_flag("--force", args->Force, "Let an output overwrite an input");
  sub->callback([args] {
    const TStrainSummary summary = RunStrain(*args);
    std::fputs(summary.Text().c_str(), stdout);
  });
}
