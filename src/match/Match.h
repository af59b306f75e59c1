#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encode/Codefile.h"
#include "encode/Coordinate.h"
#include "encode/Dotinfo.h"

// The matching job: the dots of two code files of the same grid, file 0 for the initial and
// file 1 for the deformed state, paired by grid position, and the displacement of every pair
// written as a result file in one of eight layouts.
//
// The desktop application and the command-line tool set FChangeYAxis before each write and only
// read the other fields.
class TMatch {
 public:
  static constexpr int32_t LayoutCount = 8;

  // Loads both code files; raises TError and leaves no matcher when either cannot be used.
  // Beyond the format's own rules, a file is refused with the read error when a header value
  // cannot be read, its dot count is negative or larger than the rest of the file could hold
  // (12 bytes per row), or a position or scale factor is not a finite float, also once scaled.
  // Grid ranges whose table would exceed TCoordinate::MaxEntries (2^27) entries, or negative
  // ones, are refused with the coordinate table's allocation message.
  TMatch(const std::string& initialFile, const std::string& deformedFile);
  // The same on two code files already read; the names stand for their paths in messages.
  TMatch(TCodeFileContent initial, TCodeFileContent deformed, const std::string& initialName,
         const std::string& deformedName);
  TMatch(const TMatch&) = delete;
  TMatch& operator=(const TMatch&) = delete;

  // Pairs the dots that share a grid position within the range common to both tables, row by
  // row (ascending Ny, within one Ny ascending Nx).
  void Match();

  // The result files. Each replaces the file at path only when it was written completely.
  void WriteXYThetaR(const std::string& path) const;
  void WriteXYDxDy(const std::string& path) const;
  void WriteXYDx(const std::string& path) const;
  void WriteXYDy(const std::string& path) const;
  void WriteIndexXYDxDy(const std::string& path) const;
  void WriteIndexXYThetaR(const std::string& path) const;
  void WriteNxNyXYDxDy(const std::string& path) const;
  void WriteNxNyXYThetaR(const std::string& path) const;
  // The writer of result type 0..7, in the order above.
  void WriteResult(int32_t layout, const std::string& path) const;

  bool FChangeYAxis = true;          // y and dy, theta in a y-up frame (y = height - y)
  std::vector<int32_t> FMatchIndex;  // pair k: row position of its dot in FDotInfo[0]
  int32_t FMatchSum = 0;
  std::vector<TDotInfo> FDisplacement;  // pair k: x = dx, y = dy (y up), nothing else used
  std::unique_ptr<TCoordinate> FCoordinate[2];
  std::string FCodeFileName[2];
  std::string FImageName[2];
  std::vector<TDotInfo> FDotInfo[2];  // positions already multiplied by the file's scales
  int32_t FDotSum[2] = {0, 0};
  int32_t FImageWidth = 0;  // both files write these; the deformed file's values remain
  int32_t FImageHeight = 0;
  int32_t FPictureWidth[2] = {0, 0};  // each file's own picture size
  int32_t FPictureHeight[2] = {0, 0};
  float FScaleX[2] = {1, 1};
  float FScaleY[2] = {1, 1};
  int32_t FMaxNx = 0;  // grid range common to both files, set by Match
  int32_t FMaxNy = 0;
  int32_t FBackground[2] = {0, 0};
  // Which indexing each file's grid positions belong to (Codelineage.h).
  std::string FLineage[2];

 private:
  void TakeCodeFile(int i, TCodeFileContent c);
  void WriteLayout(int32_t layout, const std::string& path) const;
};
