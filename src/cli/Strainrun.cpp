#include "cli/Strainrun.h"

#include <memory>

#include "base/SaveGroup.h"
#include "cli/Filecheck.h"
#include "image/Grayimage.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"

TStrainSummary RunStrain(const TStrainArgs& args) {
  // Whatever cannot work is found before the files are read: outputs over inputs or over each
  // other, an unwritable plot folder, a picture that does not load.
  std::vector<TCommandFile> inputs = {{"INITIAL", args.Initial, ""},
                                      {"DEFORMED", args.Deformed, ""}};
  if (!args.Picture.empty()) inputs.push_back({"--picture", args.Picture, ""});
  std::vector<TCommandFile> outputs = {{"OUTPUT", args.Output, ""},
                                       {"--summary", args.Summary, ""}};
  CheckFiles(inputs, outputs, args.Force);
  if (!args.Plots.empty()) {
    // The folder is made only once the other files passed, then its files are checked too.
    CheckPlotFolder(args.Plots);
    for (const std::string& plot : PlotFiles(args.Plots)) outputs.push_back({"--plots", plot, ""});
    CheckFiles(inputs, outputs, args.Force);
  }
  std::unique_ptr<TGrayImage> picture;
  if (!args.Picture.empty()) picture = std::make_unique<TGrayImage>(args.Picture);

  const TStrainField field = StrainFromCodeFiles(args.Initial, args.Deformed, args.Options);
  const TStrainSummary summary(field);
  TSaveGroup written;  // the CSV, the summary and the plots together or none of them
  WriteStrainCsv(args.Output, field);
  if (!args.Summary.empty()) summary.WriteCsv(args.Summary);
  if (!args.Plots.empty()) SavePlots(args.Plots, field, picture.get());
  written.Commit();
  return summary;
}
