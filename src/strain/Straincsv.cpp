#include "strain/Straincsv.h"

#include <algorithm>
#include <charconv>

#include "base/AtomicFile.h"

namespace {

// Positions and displacements to 1e-4 of their unit: ten times finer than any measurement.
constexpr int PositionDecimals = 4;
constexpr int StrainDigits = 7;
constexpr int AngleDecimals = 4;

void AppendPair(std::string& row, const TStrainPair& p) {
  row += std::to_string(p.Nx);
  row += ',';
  row += std::to_string(p.Ny);
  for (double v : {p.X, p.Y, p.Dx, p.Dy}) {
    row += ',';
    AppendFixed(row, v, PositionDecimals);
  }
}

}  // namespace

void AppendFixed(std::string& text, double value, int decimals) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  // A value that rounds to zero is written "0.0000", not "-0.0000".
  const bool zero =
      std::all_of(buffer, result.ptr, [](char c) { return c == '-' || c == '0' || c == '.'; });
  text.append(buffer + (zero && buffer[0] == '-' ? 1 : 0), result.ptr);
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
        AppendGeneral(row, v, StrainDigits);
      }
      for (double v : {p.Angle, p.Rotation}) {
        row += ',';
        AppendFixed(row, v, AngleDecimals);
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
