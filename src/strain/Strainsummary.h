#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "strain/Strainfield.h"

// Mean and standard deviation of one quantity over the dots that have strain.
struct TStatistic {
  std::string Name;
  std::string Unit;
  double Mean = 0;
  double Std = 0;  // population standard deviation
};

// The summary of a strain field: pair counts, the statistics of dx, dy, exx, eyy, exy, e1, e2
// and rotation over the dots that have strain, and the strain of the whole field as one fit.
class TStrainSummary {
 public:
  explicit TStrainSummary(const TStrainField& field);

  int32_t FPairs = 0;
  int32_t FWithStrain = 0;
  std::string FUnit;
  std::string FMeasure;
  int32_t FNeighbourhood = 1;
  std::vector<TStatistic> FStatistics;
  // The strain of one gradient fitted through all pairs (exx, eyy, exy, rotation); HasStrain
  // false when it could not be fitted.
  TStrainPoint FWholeField;

  // The statistic of that name; raises TError for an unknown name.
  const TStatistic& Of(const std::string& name) const;
  // Lines for a terminal, stating the frame and the units.
  std::string Text() const;
  // "quantity,mean,std,unit" and one row per statistic, the whole-field fit as rows
  // "fit_exx" and so on (mean only), then the counts.
  void WriteCsv(const std::string& path) const;

 private:
  std::vector<TStatistic> WholeFieldRows() const;
};
