#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Binding.h"
#include "encode/Codefile.h"
#include "encode/Dotinfo.h"

// One measured picture, or one code file read: what its code file holds (the header and the
// dots, of which the Coded ones are its rows), what the run found, and the rows as arrays.
struct TPyMeasurement {
  TCodeHeader Header;
  std::vector<TDotInfo> Dots;  // the rows are the Coded dots, each with its position as index
  std::string Source;          // names it in messages: the code file's path, or "measurement"
  int32_t Found = 0;           // dots found (a code file: its rows)
  int32_t Expanded = 0;        // dots whose four neighbours were searched
  int32_t LeastArea = 0;
  int32_t Origin = -1;
  std::string Decoding;
  std::string Registration;  // with a reference: the motion found and what decided it
  py::object Index, X, Y, Nx, Ny, Area;

  // Fills the arrays from the dots.
  void MakeArrays();
  int32_t Indexed() const;
  std::string Text() const { return CodeFileText(Header, Dots, static_cast<int32_t>(Dots.size())); }
};

// What a Measurement or a code file (a path) gives to matching, as the code file would give it
// to latticor-cli: positions with the file's three decimals. name is set to what names it in
// messages.
TCodeFileContent ContentOf(const py::handle& codes, const char* what, std::string& name);
