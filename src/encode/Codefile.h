#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encode/Coordinate.h"
#include "encode/Dotinfo.h"

class TEncode;

// What a code file holds besides its dots.
struct TCodeHeader {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t MaxNx = 0;
  int32_t MaxNy = 0;
  float ScaleX = 1.0f;
  float ScaleY = 1.0f;
  int32_t Background = 0;
  std::string ImageName;  // only the part after the last "/", "\" or ":" is written
  std::string Mark;       // written right after the magic word: a reference's lineage, or nothing
};

// The header of the code file an encoding job writes: its picture's size and name, its table,
// its scale factors and background.
TCodeHeader CodeHeaderOf(const TEncode& job);

// The text of a code file: the header, then every Coded dot among the first count of dots with
// its position in dots as the row's index, then the image name; CR LF line ends.
std::string CodeFileText(const TCodeHeader& header, const std::vector<TDotInfo>& dots,
                         int32_t count);

// Writes that text to fileName, replacing the file only when it was written completely. Scale
// factors that are not finite and positive, and two Coded dots with one grid position, are
// refused before the file is touched.
void SaveCodeFile(const std::string& fileName, const TCodeHeader& header,
                  const std::vector<TDotInfo>& dots, int32_t count);

// One code file as written: its header, its dots in row order with their positions in pixels
// (the header's scale factors not applied) and the table from grid position to row position.
struct TCodeFileContent {
  int32_t DotSum = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Background = 0;
  float ScaleX = 1;
  float ScaleY = 1;
  std::vector<TDotInfo> Dots;  // Nx, Ny, Area set, Coded and Neted true
  std::unique_ptr<TCoordinate> Table;
  std::string ImageName;
  // What follows the magic word's seven characters in the first word (Codelineage.h).
  std::string Mark;
};

// Reads a code file by the format's reading rules, with the loader's messages: the file cannot be
// opened, is not a code file, a row cannot be read (also a header value, a negative or impossible
// dot count, a position that is not finite once scaled), or a grid position lies outside the
// header's ranges. The matching job loads its two files with it; an encoding run that takes its
// origin from an earlier picture reads that picture's file with it.
TCodeFileContent ReadCodeFile(const std::string& path);
// The same rules on a code file's text held in memory; name stands for the path in messages.
TCodeFileContent ReadCodeFileText(std::string text, const std::string& name);
