#include <array>
#include <cmath>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "match/Match.h"
#include "match/Polar.h"
#include "match/RowText.h"

namespace {

enum class TLead { None, Index, NxNy };

// One result layout: its column header, what precedes the position, and whether the last
// columns are (dx, dy), dx alone, dy alone or (theta, r).
struct TLayout {
  const char* Header;
  const char* RowStart;
  TLead Lead;
  bool Dx;
  bool Dy;
  bool ThetaR;
};

constexpr std::array<TLayout, TMatch::LayoutCount> Layouts{{
    {"       x           y           theta        r", "", TLead::None, false, false, true},
    {"     x           y           dx          dy", " ", TLead::None, true, true, false},
    {"     x           y           dx ", " ", TLead::None, true, false, false},
    {"     x           y          dy", " ", TLead::None, false, true, false},
    {" index      x           y           dx          dy", "", TLead::Index, true, true, false},
    {" index       x           y           theta        r", "", TLead::Index, false, false, true},
    {" Nx    Ny       x           y           dx          dy", "", TLead::NxNy, true, true, false},
    {" Nx    Ny      x           y           theta        r", "", TLead::NxNy, false, false, true},
}};

constexpr const char* LineEnd = "\r\n";

bool IsThetaRFile(int32_t layout) {
  return layout == 0 || layout == 5 || layout == 7;
}

}  // namespace

void TMatch::WriteXYThetaR(const std::string& path) const {
  WriteLayout(0, path);
}
void TMatch::WriteXYDxDy(const std::string& path) const {
  WriteLayout(1, path);
}
void TMatch::WriteXYDx(const std::string& path) const {
  WriteLayout(2, path);
}
void TMatch::WriteXYDy(const std::string& path) const {
  WriteLayout(3, path);
}
void TMatch::WriteIndexXYDxDy(const std::string& path) const {
  WriteLayout(4, path);
}
void TMatch::WriteIndexXYThetaR(const std::string& path) const {
  WriteLayout(5, path);
}
void TMatch::WriteNxNyXYDxDy(const std::string& path) const {
  WriteLayout(6, path);
}
void TMatch::WriteNxNyXYThetaR(const std::string& path) const {
  WriteLayout(7, path);
}

void TMatch::WriteResult(int32_t layout, const std::string& path) const {
  if (layout < 0 || layout >= LayoutCount)
    throw TError(Format("There is no result type %d", layout));
  WriteLayout(layout, path);
}

void TMatch::WriteLayout(int32_t layout, const std::string& path) const {
  const TLayout& format = Layouts[static_cast<size_t>(layout)];
  TAtomicFile file(path);
  if (!file.Open()) {
    throw TError((IsThetaRFile(layout) ? "write theta & r result  error \n" + path
                                       : "write result file error \n" + path) +
                 " (" + file.ErrorText() + ")");
  }
  // The path and the names are user text: never used as a format, and written without their
  // control characters, so that showing the file cannot run terminal escape sequences.
  file.Write(PrintableText(FImageName[0]));
  file.Write(LineEnd);
  file.Write(PrintableText(FImageName[1]));
  file.Write(LineEnd);
  file.Write("In this " + PrintableText(path) + ", " + IntToStr(FMatchSum) +
             " dots have been matched" + LineEnd);
  file.Write(FChangeYAxis ? " Y axis is set to  Y2= Height-Y" : " Y axis is not changed");
  file.Write(LineEnd);
  file.Write(format.Header);
  file.Write(LineEnd);

  TRowText row;
  for (int32_t k = 0; k < FMatchSum; ++k) {
    const int32_t index = FMatchIndex[static_cast<size_t>(k)];
    const TDotInfo& dot = FDotInfo[0][static_cast<size_t>(index)];
    const TDotInfo& shift = FDisplacement[static_cast<size_t>(k)];
    // Values of the y-up frame, turned into the image frame when the Y axis is kept.
    const double y = FChangeYAxis ? static_cast<double>(FImageHeight) - static_cast<double>(dot.y)
                                  : static_cast<double>(dot.y);
    const float dy = FChangeYAxis ? shift.y : NegatedValue(shift.y);
    // Positions near the float limit give infinite differences; a result file never carries
    // "inf" or "nan", and the previous file stays.
    if (!std::isfinite(y) || !std::isfinite(shift.x) || !std::isfinite(dy) ||
        (format.ThetaR && !std::isfinite(DisplacementR(shift.x, shift.y))))
      throw TError(
          Format("Cannot write \"%s\": the displacement at grid position (%d, %d) is "
                 "beyond the range of numbers",
                 path.c_str(), dot.Nx, dot.Ny));

    row.Clear();
    row.Text(format.RowStart);
    if (format.Lead == TLead::Index) {
      row.Int(index, 5);
      row.Text("  ");
    } else if (format.Lead == TLead::NxNy) {
      row.Int(dot.Nx, 5);
      row.Text("  ");
      row.Int(dot.Ny, 5);
      row.Text("   ");
    }
    row.Fixed3(dot.x, 10);
    row.Text("  ");
    row.Fixed3(y, 10);
    if (format.Dx) {
      row.Text("  ");
      row.Fixed3(shift.x, 10);
    }
    if (format.Dy) {
      row.Text("  ");
      row.Fixed3(dy, 10);
    }
    if (format.ThetaR) {
      const float theta = DisplacementTheta(shift.x, shift.y);
      row.Text("  ");
      row.Fixed3(FChangeYAxis ? theta : NegatedValue(theta), 10);
      row.Text("  ");
      row.Fixed3(DisplacementR(shift.x, shift.y), 10);
    }
    row.Text(LineEnd);
    file.Write(row.View());
  }
  file.Commit();  // raises, naming the path, when any byte could not be written
}
