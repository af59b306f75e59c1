#include "strain/Strainsummary.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "strain/Straincsv.h"

TStrainSummary::TStrainSummary(const TStrainField& field)
    : FPairs(static_cast<int32_t>(field.Points().size())),
      FUnit(field.FUnit),
      FMeasure(MeasureName(field.Options().Measure)),
      FNeighbourhood(field.Options().Neighbourhood) {
  struct TQuantity {
    const char* Name;
    std::string Unit;
    double (*Get)(const TStrainPoint&);
  };
  const TQuantity quantities[] = {
      {"dx", FUnit, [](const TStrainPoint& p) { return p.Pair.Dx; }},
      {"dy", FUnit, [](const TStrainPoint& p) { return p.Pair.Dy; }},
      {"exx", "1", [](const TStrainPoint& p) { return p.Exx; }},
      {"eyy", "1", [](const TStrainPoint& p) { return p.Eyy; }},
      {"exy", "1", [](const TStrainPoint& p) { return p.Exy; }},
      {"e1", "1", [](const TStrainPoint& p) { return p.E1; }},
      {"e2", "1", [](const TStrainPoint& p) { return p.E2; }},
      {"rotation", "deg", [](const TStrainPoint& p) { return p.Rotation; }},
  };
  FWithStrain = field.StrainCount();
  for (const TQuantity& q : quantities) {
    // Two passes: the mean first, then the spread about it, which keeps small strains exact.
    double sum = 0;
    for (const TStrainPoint& p : field.Points())
      if (p.HasStrain) sum += q.Get(p);
    const double mean = FWithStrain > 0 ? sum / FWithStrain : 0;
    double squares = 0;
    for (const TStrainPoint& p : field.Points())
      if (p.HasStrain) squares += (q.Get(p) - mean) * (q.Get(p) - mean);
    const double spread = FWithStrain > 0 ? std::sqrt(squares / FWithStrain) : 0;
    FStatistics.push_back({q.Name, q.Unit, mean, spread});
  }
  std::vector<TStrainPair> pairs;
  pairs.reserve(field.Points().size());
  for (const TStrainPoint& p : field.Points()) pairs.push_back(p.Pair);
  double gradient[2][2];
  if (!pairs.empty() && WholeFieldGradient(pairs, gradient))
    StrainFromGradient(gradient, field.Options().Measure, FWholeField);
}

std::vector<TStatistic> TStrainSummary::WholeFieldRows() const {
  // One fit has no spread: NaN leaves its cell empty.
  const double none = std::numeric_limits<double>::quiet_NaN();
  return {{"fit_exx", "1", FWholeField.Exx, none},
          {"fit_eyy", "1", FWholeField.Eyy, none},
          {"fit_exy", "1", FWholeField.Exy, none},
          {"fit_rotation", "deg", FWholeField.Rotation, none}};
}

const TStatistic& TStrainSummary::Of(const std::string& name) const {
  for (const TStatistic& s : FStatistics)
    if (s.Name == name) return s;
  throw TError("No statistic named " + name);
}

std::string TStrainSummary::Text() const {
  std::string text =
      Format("Pairs %d, with strain %d (%s strain, neighbourhood %d x %d)\n", FPairs, FWithStrain,
             FMeasure.c_str(), 2 * FNeighbourhood + 1, 2 * FNeighbourhood + 1);
  text += "Frame: x to the right, y up; positions and displacements in " + FUnit +
          ", strains dimensionless, angles in degrees counterclockwise\n";
  text += "  quantity                mean             std\n";
  // Numbers through to_chars: '.' as decimal point even after a Qt application set the locale.
  auto column = [&text](double value, bool strain) {
    std::string number;
    if (std::isnan(value)) {
      text += std::string(16, ' ');
      return;
    }
    if (strain) {
      char buffer[32];
      const auto end =
          std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 4);
      number.assign(buffer, end.ptr);
    } else {
      AppendCsvFixed(number, value, 5);
    }
    text += std::string(number.size() < 16 ? 16 - number.size() : 1, ' ') + number;
  };
  std::vector<TStatistic> rows = FStatistics;
  if (FWholeField.HasStrain)
    for (const TStatistic& s : WholeFieldRows()) rows.push_back(s);
  for (const TStatistic& s : rows) {
    text += "  " + s.Name + std::string(s.Name.size() < 13 ? 13 - s.Name.size() : 1, ' ');
    column(s.Mean, s.Unit == "1");
    column(s.Std, s.Unit == "1");
    text += s.Unit == "1" ? "\n" : " " + s.Unit + "\n";
  }
  return text;
}

void TStrainSummary::WriteCsv(const std::string& path) const {
  TAtomicFile file(path);
  file.OpenOrRaise();
  file.Write("quantity,mean,std,unit\n");
  std::string row;
  std::vector<TStatistic> rows = FStatistics;
  if (FWholeField.HasStrain)
    for (const TStatistic& s : WholeFieldRows()) rows.push_back(s);
  for (const TStatistic& s : rows) {
    row = s.Name + ',';
    AppendGeneral(row, s.Mean, 9);
    row += ',';
    if (!std::isnan(s.Std)) AppendGeneral(row, s.Std, 9);
    row += ',' + s.Unit + '\n';
    file.Write(row);
  }
  file.Write("pairs," + std::to_string(FPairs) + ",,count\n");
  file.Write("with_strain," + std::to_string(FWithStrain) + ",,count\n");
  file.Commit();
}
