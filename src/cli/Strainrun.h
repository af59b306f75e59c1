#pragma once

#include <string>

#include "strain/Strainoptions.h"
#include "strain/Strainsummary.h"

// The strain subcommand: two code files to a strain CSV, and on request a summary CSV and plots.
struct TStrainArgs {
  std::string Initial;
  std::string Deformed;
  std::string Output;
  TStrainOptions Options;
  std::string Plots;    // folder for exx.png, eyy.png, exy.png, e1.png, displacement.png
  std::string Picture;  // the initial picture under the plots; none: a blank area of its size
  std::string Summary;  // the summary as CSV
  bool Force = false;   // an output may overwrite an input
};

// Checks the plot folder and reads the picture before any work, then computes, writes and
// returns the summary (the caller prints it).
TStrainSummary RunStrain(const TStrainArgs& args);
