#include "strain/Straincsv.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/AtomicFile.h"
#include "base/Convert.h"

namespace {

// Positions and displacements to 1e-4 of their unit: ten times finer than any measurement.
constexpr int PositionDecimals = 4;
// Strains to 1e-9: a hundred times finer than the best measurement on a grid.
constexpr int StrainDecimals = 9;
constexpr int AngleDecimals = 4;

void AppendPair(std::string& row, const TStrainPair& p) {
  row += std::to_string(p.Nx);
  row += ',';
  row += std::to_string(p.Ny);
  for (double v : {p.X, p.Y, p.Dx, p.Dy}) {
    row += ',';
    AppendCsvFixed(row, v, PositionDecimals);
  }
}

}  // namespace

void AppendCsvFixed(std::string& text, double value, int decimals) {
  const size_t start = text.size();
  AppendFixed(text, value, 0, decimals);
  if (text[start] == '-' && text.find_first_not_of("0.", start + 1) == std::string::npos)
    text.erase(start, 1);
}

void AppendGeneral(std::string& text, double value, int digits) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  text.append(buffer, result.ptr);
}

void WriteStrainCsv(const std::string& path, const TStrainField& field) {
  TAtomicFile file(path);
  file.OpenOrRaise();
  file.Write("nx,ny,x,y,dx,dy,exx,eyy,exy,e1,e2,angle,rotation\n");
  std::string row;
  for (const TStrainPoint& p : field.Points()) {
    row.clear();
    AppendPair(row, p.Pair);
    if (p.HasStrain) {
      for (double v : {p.Exx, p.Eyy, p.Exy, p.E1, p.E2}) {
        row += ',';
        AppendCsvFixed(row, v, StrainDecimals);
      }
      for (double v : {p.Angle, p.Rotation}) {
        row += ',';
        AppendCsvFixed(row, v, AngleDecimals);
      }
    } else {
      row += ",,,,,,,";
    }
    row += '\n';
    file.Write(row);
  }
  file.Commit();
}

void WritePairsCsv(const std::string& path, const std::vector<TStrainPair>& pairs) {
  TAtomicFile file(path);
  file.OpenOrRaise();
  file.Write("nx,ny,x,y,dx,dy\n");
  std::string row;
  for (const TStrainPair& p : pairs) {
    row.clear();
    AppendPair(row, p);
    row += '\n';
    file.Write(row);
  }
  file.Commit();
}
