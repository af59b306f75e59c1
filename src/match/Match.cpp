#include "match/Match.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>

#include "base/Error.h"
#include "match/CodeFileText.h"
#include "match/CodeReader.h"

namespace {

// A dot row is six values, each with at least one separator before it.
constexpr int64_t MinRowBytes = 12;
// How far the file is read: its header must lie in the first HeadBytes, and each announced row
// may take up to RowBytes (the writer's rows take about 50), the image name NameBytes.
constexpr size_t HeadBytes = 1 << 16;
constexpr int64_t RowBytes = 256;
constexpr int64_t NameBytes = 1 << 13;
// Some editors begin a UTF-8 text with a byte-order mark.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

TMatch::TMatch(const std::string& initialFile, const std::string& deformedFile) {
  FCodeFileName[0] = initialFile;
  FCodeFileName[1] = deformedFile;
  LoadCodeFile(0);
  LoadCodeFile(1);
  FChangeYAxis = true;
}

void TMatch::LoadCodeFile(int i) {
  const std::string& path = FCodeFileName[i];
  // The magic word is checked on the file's first bytes, before anything else is read.
  TCodeFileText file(path);
  file.ReadUpTo(HeadBytes);
  const size_t start = file.Text().starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
  TCodeReader head(file.Text(), start);
  // Only the first seven characters count, so a longer word that begins with them is accepted.
  if (head.Word().substr(0, 7) != "VRKT-FS") throw TError(path + " is not a code file!");

  const std::string readError = " Read data error from code file: \n" + path;
  int32_t dotSum = 0, width = 0, height = 0, maxNx = 0, maxNy = 0, background = 0;
  float scaleX = 0, scaleY = 0;
  if (!head.Int(dotSum) || !head.Int(width) || !head.Int(height) || !head.Int(maxNx) ||
      !head.Int(maxNy) || !head.Float(scaleX) || !head.Float(scaleY) || !head.Int(background))
    throw TError(readError);
  // The rest of the file as far as the announced rows and the name can reach.
  const size_t body = head.Position();
  if (dotSum >= 0) file.ReadUpTo(body + static_cast<size_t>(dotSum * RowBytes + NameBytes));
  TCodeReader reader(file.Text(), body);
  // A count the rest of the file cannot hold is refused before anything is allocated for it.
  if (dotSum < 0 || dotSum * MinRowBytes > static_cast<int64_t>(reader.Remaining()))
    throw TError(readError);

  FDotSum[i] = dotSum;
  FImageWidth = width;
  FImageHeight = height;
  FScaleX[i] = scaleX;
  FScaleY[i] = scaleY;
  FBackground[i] = background;

  try {
    FDotInfo[i].assign(static_cast<size_t>(dotSum), TDotInfo{});
    // Raises its own message; a range far beyond the dots keeps only their positions.
    FCoordinate[i] = std::make_unique<TCoordinate>(maxNx, maxNy, dotSum);
  } catch (const std::bad_alloc&) {
    throw TError(" No enought memory to allocate dotinfo and coordinate");
  }

  TCoordinate& table = *FCoordinate[i];
  for (int32_t k = 0; k < dotSum; ++k) {
    // The row's own number is read and dropped: a dot is known by its row position.
    int32_t number = 0, nx = 0, ny = 0, area = 0;
    float x = 0, y = 0;
    // A failed row ends loading: no later row could be read past the value that failed.
    if (!reader.Int(number) || !reader.Float(x) || !reader.Float(y) || !reader.Int(nx) ||
        !reader.Int(ny) || !reader.Int(area))
      throw TError(readError);
    table.SetIndex(nx, ny, k);  // a later row at the same position replaces the entry
    TDotInfo& dot = FDotInfo[i][static_cast<size_t>(k)];
    dot.Nx = nx;
    dot.Ny = ny;
    dot.Area = area;
    dot.Neted = true;
    dot.Coded = true;
    dot.x = x * scaleX;
    dot.y = y * scaleY;
    // A position that scaling carries beyond the float range cannot be a measured dot.
    if (!std::isfinite(dot.x) || !std::isfinite(dot.y)) throw TError(readError);
  }

  // The image name is the next word, kept whole; a file ending before it leaves it empty.
  FImageName[i] = std::string(reader.Word());
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
