#pragma once

#include <string>
#include <vector>

#include "strain/Strainfield.h"
#include "strain/Strainpair.h"

// CSV files for spreadsheets and scripts: a header row, one row per dot, ',' between values and
// '.' as decimal point whatever the locale; LF line ends. Saved through the atomic writer, so a
// failed save leaves any previous file whole.

// "nx,ny,x,y,dx,dy,exx,eyy,exy,e1,e2,angle,rotation"; the strain cells are empty where a dot has
// no strain. Angles in degrees.
void WriteStrainCsv(const std::string& path, const TStrainField& field);
// "nx,ny,x,y,dx,dy".
void WritePairsCsv(const std::string& path, const std::vector<TStrainPair>& pairs);

// Locale-independent number text appended to text: fixed decimals as printf writes them
// (base/Convert.h's AppendFixed), except that a value that rounds to zero has no sign, so a
// spreadsheet shows no "-0.0000"; or general with the given significant digits.
void AppendCsvFixed(std::string& text, double value, int decimals);
void AppendGeneral(std::string& text, double value, int digits);
