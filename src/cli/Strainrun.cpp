#include "cli/Strainrun.h"

#include <memory>

#include "image/Grayimage.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"

TStrainSummary RunStrain(const TStrainArgs& args) {
  // Whatever cannot work is found before the files are read: an unwritable plot folder, a
  // picture that does not load.
  if (!args.Plots.empty()) CheckPlotFolder(args.Plots);
  std::unique_ptr<TGrayImage> picture;
  if (!args.Picture.empty()) picture = std::make_unique<TGrayImage>(args.Picture);

  const TStrainField field = StrainFromCodeFiles(args.Initial, args.Deformed, args.Options);
  const TStrainSummary summary(field);
  WriteStrainCsv(args.Output, field);
  if (!args.Summary.empty()) summary.WriteCsv(args.Summary);
  if (!args.Plots.empty()) SavePlots(args.Plots, field, picture.get());
  return summary;
}
