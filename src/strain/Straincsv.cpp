#include "strain/Straincsv.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/AtomicFile.h"

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
    AppendFixed(row, v, PositionDecimals);
  }
}

}  // namespace

void AppendFixed(std::string& text, double value, int decimals) {
  // Fast path: the value scaled to an integer of at most 15 digits, written digit by digit.
  // Rounded to the nearest, halves away from zero; the sign is dropped when it rounds to zero.
  static constexpr double Powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  if (decimals >= 0 && decimals <= 9 && std::fabs(value) < 1e15 / Powers[decimals]) {
    const double scaled = std::round(std::fabs(value) * Powers[decimals]);
    auto units = static_cast<uint64_t>(scaled);
    char digits[32];
    int n = 0;
    for (int d = 0; d < decimals; ++d, units /= 10)
      digits[n++] = static_cast<char>('0' + units % 10);
    if (decimals > 0) digits[n++] = '.';
    do {
      digits[n++] = static_cast<char>('0' + units % 10);
      units /= 10;
    } while (units > 0);
    if (value < 0 && scaled > 0) digits[n++] = '-';  // a value that rounds to zero has no sign
    while (n > 0) text += digits[--n];
    return;
  }
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  text.append(buffer, result.ptr);
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
        AppendFixed(row, v, StrainDecimals);
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
