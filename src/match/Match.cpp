#include "match/Match.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "base/Error.h"
#include "encode/Codefile.h"
#include "match/Codelineage.h"

TMatch::TMatch(const std::string& initialFile, const std::string& deformedFile) {
  FCodeFileName[0] = initialFile;
  FCodeFileName[1] = deformedFile;
  TakeCodeFile(0, ReadCodeFile(initialFile));
  TakeCodeFile(1, ReadCodeFile(deformedFile));
  FChangeYAxis = true;
}

TMatch::TMatch(TCodeFileContent initial, TCodeFileContent deformed, const std::string& initialName,
               const std::string& deformedName) {
  FCodeFileName[0] = initialName;
  FCodeFileName[1] = deformedName;
  TakeCodeFile(0, std::move(initial));
  TakeCodeFile(1, std::move(deformed));
  FChangeYAxis = true;
}

void TMatch::TakeCodeFile(int i, TCodeFileContent c) {
  FDotSum[i] = c.DotSum;
  FImageWidth = c.Width;
  FImageHeight = c.Height;
  FPictureWidth[i] = c.Width;
  FPictureHeight[i] = c.Height;
  FScaleX[i] = c.ScaleX;
  FScaleY[i] = c.ScaleY;
  FBackground[i] = c.Background;
  FLineage[i] = CodeLineage(c);
  FDotInfo[i] = std::move(c.Dots);
  for (TDotInfo& dot : FDotInfo[i]) {
    dot.x *= c.ScaleX;
    dot.y *= c.ScaleY;
  }
  FCoordinate[i] = std::move(c.Table);
  FImageName[i] = std::move(c.ImageName);
}

void TMatch::Match() {
  FMatchSum = 0;
  const int32_t n = std::min(FDotSum[0], FDotSum[1]);
  try {
    FDisplacement.assign(static_cast<size_t>(n), TDotInfo{});
    FMatchIndex.assign(static_cast<size_t>(n), 0);
  } catch (const std::bad_alloc&) {
    FDisplacement.clear();
    FMatchIndex.clear();
    throw TError(" No enough memory to allocate to save the match result");
  }
  const TCoordinate& table0 = *FCoordinate[0];
  const TCoordinate& table1 = *FCoordinate[1];
  FMaxNx = std::min(table0.MaxNx(), table1.MaxNx());
  FMaxNy = std::min(table0.MaxNy(), table1.MaxNy());

  // Every row of a file enters its table at most once, so neither table holds more dot indices
  // than its file has dots, and k stays below n.
  int32_t k = 0;
  auto pair = [&](int32_t i0, int32_t i1) {
    TDotInfo& d0 = FDotInfo[0][static_cast<size_t>(i0)];
    TDotInfo& d1 = FDotInfo[1][static_cast<size_t>(i1)];
    TDotInfo& shift = FDisplacement[static_cast<size_t>(k)];
    shift.x = d1.x - d0.x;
    shift.y = d0.y - d1.y;  // image rows grow downwards: dy is taken in a y-up frame
    d0.Matched = true;
    d1.Matched = true;
    FMatchIndex[static_cast<size_t>(k)] = i0;
    ++k;
  };
  const auto common = [&](int32_t nx, int32_t ny) {
    return nx >= -FMaxNx && nx <= FMaxNx && ny >= -FMaxNy && ny <= FMaxNy;
  };
  // A table that keeps only its filled positions is walked by them, in the same row order.
  if (table0.Sparse() || table1.Sparse()) {
    const bool first = table0.Sparse();
    const TCoordinate& walked = first ? table0 : table1;
    const TCoordinate& other = first ? table1 : table0;
    walked.ForEachEntry([&](int32_t nx, int32_t ny, int32_t index) {
      if (!common(nx, ny)) return;
      const int32_t partner = other.GetIndex(nx, ny);
      if (partner >= 0) first ? pair(index, partner) : pair(partner, index);
    });
  } else {
    for (int32_t ny = -FMaxNy; ny <= FMaxNy; ++ny) {
      for (int32_t nx = -FMaxNx; nx <= FMaxNx; ++nx) {
        const int32_t i0 = table0.GetIndex(nx, ny);
        if (i0 < 0) continue;
        const int32_t i1 = table1.GetIndex(nx, ny);
        if (i1 >= 0) pair(i0, i1);
      }
    }
  }
  FMatchSum = k;
}
