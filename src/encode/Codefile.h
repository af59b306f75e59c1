#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
