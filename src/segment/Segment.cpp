#include "segment/Segment.h"

#include <algorithm>
#include <limits>
#include <new>
#include <tuple>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/Cancel.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Surface.h"
#include "segment/Thresholdrow.h"

namespace {

// Where the interpolation regions along one axis start: the border region at 0, one region per
// pair of neighbouring window centres, and the far border region at the last centre.
std::vector<int32_t> RegionStarts(int32_t firstCenter, int32_t lastCenter, int32_t size) {
  std::vector<int32_t> starts{0};
  for (int64_t c = firstCenter; c <= lastCenter; c += size)
    starts.push_back(static_cast<int32_t>(c));
  return starts;
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

TSegment::TSegment(const std::string& fileName, bool show)
    : TSegment(std::make_unique<TGrayImage>(fileName), show) {}

TSegment::TSegment(std::unique_ptr<TGrayImage> image, bool show)
    : FShowProgress(show), FImage(image ? std::move(image) : std::make_unique<TGrayImage>()) {
  FWidth = FImage->Width();
  FHeight = FImage->Height();
  FWinSizeX = FWinSizeY = FWidth / 4;
}

std::unique_ptr<TGrayImage> TSegment::ReleaseImage() {
  std::unique_ptr<TGrayImage> image = std::move(FImage);
  FImage = std::make_unique<TGrayImage>();
  FWidth = FHeight = 0;
  return image;
}

void TSegment::SyncSize() {
  if (FImage->Width() == FWidth && FImage->Height() == FHeight) return;
  FWidth = FImage->Width();
  FHeight = FImage->Height();
  // A lattice built for another size would point outside the image.
  FThreshold.clear();
  FWinNumX = FWinNumY = 0;
}

// ---------------------------------------------------------------------------------------------
// Threshold table

int32_t TSegment::WindowBound(int32_t width, int32_t height) {
  return std::min(width, height) / 2;
}

int32_t TSegment::DefaultWindow(int32_t width, int32_t height) {
  return std::max(1, std::min(width / 4, WindowBound(width, height)));
}

void TSegment::CheckWindowSize() const {
  const int32_t bound = WindowBound(FWidth, FHeight);
  if (bound < 1)
    throw TError(
        Format("The image (%d x %d pixels) is too small for multi-area segmentation: "
               "both sides must be at least 2 pixels",
               FWidth, FHeight));
  // Two windows per axis at least: the extrapolation at the borders needs an inner neighbour.
  for (int32_t size : {FWinSizeX, FWinSizeY})
    if (size < 1 || size > bound)
      throw TError(
          Format("Window size %d is out of range: it must lie between 1 and %d", size, bound));
}

void TSegment::ComputeThresholds() {
  SyncSize();
  CheckWindowSize();
  const int32_t n = FWidth / FWinSizeX;
  const int32_t m = FHeight / FWinSizeY;
  std::vector<int32_t> table;
  try {
    table.resize(static_cast<size_t>(n) * static_cast<size_t>(m));
  } catch (const std::bad_alloc&) {
    throw TError("Not Allocate memory for threshold");
  }
  // Centred lattice; an odd leftover puts the extra column on the right, the extra row below.
  const int32_t marginX = (FWidth - n * FWinSizeX) / 2;
  const int32_t marginY = (FHeight - m * FWinSizeY) / 2;
  // Window sums in 64 bits: a 32-bit sum overflows for windows above 8 Mpixel of white.
  const int64_t area = static_cast<int64_t>(FWinSizeX) * FWinSizeY;
  for (int32_t j = 0; j < m; ++j) {
    for (int32_t i = 0; i < n; ++i) {
      const int32_t x0 = marginX + i * FWinSizeX;
      const int32_t y0 = marginY + j * FWinSizeY;
      const int64_t mean = FImage->SumRect(x0, y0, x0 + FWinSizeX - 1, y0 + FWinSizeY - 1) / area;
      table[static_cast<size_t>(j) * n + i] =
          static_cast<int32_t>(std::clamp<int64_t>(mean + FAdjust, 0, 255));
    }
  }
  FThreshold = std::move(table);
  FWinNumX = n;
  FWinNumY = m;
  FCellSizeX = FWinSizeX;
  FCellSizeY = FWinSizeY;
  FFirstCenterX = marginX + FWinSizeX / 2;
  FLastCenterX = FFirstCenterX + (n - 1) * FWinSizeX;
  FFirstCenterY = marginY + FWinSizeY / 2;
  FLastCenterY = FFirstCenterY + (m - 1) * FWinSizeY;
}

int32_t TSegment::T(int32_t i, int32_t j) const {
  return FThreshold[static_cast<size_t>(j) * FWinNumX + i];
}

int32_t TSegment::GetThreshold(int32_t i, int32_t j) const {
  if (i < 0 || i >= FWinNumX || j < 0 || j >= FWinNumY)
    throw TError(Format("Window (%d,%d) not in the threshold table", i, j));
  return T(i, j);
}

void TSegment::SetThreshold(int32_t i, int32_t j, int32_t t) {
  if (i < 0 || i >= FWinNumX || j < 0 || j >= FWinNumY)
    throw TError(Format("Window (%d,%d) not in the threshold table", i, j));
  FThreshold[static_cast<size_t>(j) * FWinNumX + i] = t;
}

// ---------------------------------------------------------------------------------------------
// Interpolation

TCell TSegment::LocateCell(int32_t x, int32_t y) const {
  if (FWinNumX < 2 || FWinNumY < 2) throw TError("The threshold table has not been computed");
  const int32_t n = FWinNumX;
  const int32_t m = FWinNumY;
  enum TSide { Low, Inner, High };
  TCell cell;
  TSide sideX, sideY;
  int32_t k = 0, r = 0, xLeft, yTop;
  if (x < FFirstCenterX) {
    sideX = Low, xLeft = 0, cell.W = FFirstCenterX;
  } else if (x >= FLastCenterX) {
    sideX = High, xLeft = FLastCenterX, cell.W = FWidth - FLastCenterX;
  } else {
    sideX = Inner, k = (x - FFirstCenterX) / FCellSizeX;
    xLeft = FFirstCenterX + k * FCellSizeX, cell.W = FCellSizeX;
  }
  if (y < FFirstCenterY) {
    sideY = Low, yTop = 0, cell.H = FFirstCenterY;
  } else if (y >= FLastCenterY) {
    sideY = High, yTop = FLastCenterY, cell.H = FHeight - FLastCenterY;
  } else {
    sideY = Inner, r = (y - FFirstCenterY) / FCellSizeY;
    yTop = FFirstCenterY + r * FCellSizeY, cell.H = FCellSizeY;
  }
  cell.Dx = x - xLeft;
  cell.Dy = y - yTop;

  // Linear extrapolation from the nearest node and its inner neighbour, product first.
  const int64_t w = cell.W, h = cell.H;
  auto left = [&](int32_t row) {
    return static_cast<int32_t>(T(0, row) - (T(1, row) - T(0, row)) * w / FCellSizeX);
  };
  auto right = [&](int32_t row) {
    return static_cast<int32_t>(T(n - 1, row) + (T(n - 1, row) - T(n - 2, row)) * w / FCellSizeX);
  };
  auto up = [&](int32_t col) {
    return static_cast<int32_t>(T(col, 0) - (T(col, 1) - T(col, 0)) * h / FCellSizeY);
  };
  auto down = [&](int32_t col) {
    return static_cast<int32_t>(T(col, m - 1) + (T(col, m - 1) - T(col, m - 2)) * h / FCellSizeY);
  };

  if (sideY == Low) {
    if (sideX == Low) {
      cell.TR = up(0), cell.BL = left(0), cell.BR = T(0, 0);
      cell.TL = (cell.TR + cell.BL + cell.BR) / 3;
    } else if (sideX == Inner) {
      cell.TL = up(k), cell.TR = up(k + 1), cell.BL = T(k, 0), cell.BR = T(k + 1, 0);
    } else {
      cell.TL = up(n - 1), cell.BL = T(n - 1, 0), cell.BR = right(0);
      cell.TR = (cell.TL + cell.BL + cell.BR) / 3;
    }
  } else if (sideY == Inner) {
    if (sideX == Low) {
      cell.TL = left(r), cell.TR = T(0, r), cell.BL = left(r + 1), cell.BR = T(0, r + 1);
    } else if (sideX == Inner) {
      cell.TL = T(k, r), cell.TR = T(k + 1, r), cell.BL = T(k, r + 1), cell.BR = T(k + 1, r + 1);
    } else {
      cell.TL = T(n - 1, r), cell.TR = right(r), cell.BL = T(n - 1, r + 1);
      cell.BR = right(r + 1);
    }
  } else {
    if (sideX == Low) {
      cell.TL = left(m - 1), cell.TR = T(0, m - 1), cell.BR = down(0);
      cell.BL = (cell.TL + cell.TR + cell.BR) / 3;
    } else if (sideX == Inner) {
      cell.TL = T(k, m - 1), cell.TR = T(k + 1, m - 1), cell.BL = down(k);
      cell.BR = down(k + 1);
    } else {
      cell.TL = T(n - 1, m - 1), cell.TR = right(m - 1), cell.BL = down(n - 1);
      cell.BR = (cell.TL + cell.TR + cell.BL) / 3;
    }
  }
  return cell;
}

int32_t TSegment::InterpolateThreshold(int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t tl,
                                       int32_t tr, int32_t bl, int32_t br) {
  if (w < 1 || h < 1)
    throw TError(Format("An interpolation cell of %d x %d pixels is empty", w, h));
  return BlendTruncate(dy, h, EdgeQuotient(dx, w, tl, tr), EdgeQuotient(dx, w, bl, br));
}

int32_t TSegment::InterpolateThreshold(const TCell& c) {
  return InterpolateThreshold(c.Dx, c.Dy, c.W, c.H, c.TL, c.TR, c.BL, c.BR);
}

// ---------------------------------------------------------------------------------------------
// Segmentation

void TSegment::CheckRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  // The pixel a scan of the rectangle would reach first outside the image.
  const char* text = "(%d,%d) not in the gray image";
  if (x1 < 0 || y1 < 0 || x1 >= FWidth || y1 >= FHeight) throw TError(Format(text, x1, y1));
  if (x2 >= FWidth) throw TError(Format(text, FWidth, y1));
  if (y2 >= FHeight) throw TError(Format(text, x1, FHeight));
}

void TSegment::MultiAreaSegment(bool show, TSurface* surface) {
  SyncSize();
  MultiAreaSegmentRect(show, surface, FAdjust, 0, 0, FWidth - 1, FHeight - 1);
}

void TSegment::MultiAreaSegmentRect(bool show, TSurface* surface, int32_t adjust, int32_t x1,
                                    int32_t y1, int32_t x2, int32_t y2) {
  // A run that may be cancelled keeps what it changes: the parameters and the threshold
  // table now, the original of every row just before it is segmented.
  const bool oldShow = FShowProgress;
  const int32_t oldAdjust = FAdjust;
  const std::vector<int32_t> oldTable = FCancel ? FThreshold : std::vector<int32_t>{};
  const auto lattice = [this] {
    return std::tie(FWinNumX, FWinNumY, FFirstCenterX, FLastCenterX, FFirstCenterY, FLastCenterY,
                    FCellSizeX, FCellSizeY);
  };
  const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>
      oldLattice = lattice();
  std::vector<uint8_t> undo;
  try {
    FShowProgress = show;
    FAdjust = adjust;
    ComputeThresholds();
    if (x1 > x2 || y1 > y2) return;
    CheckRect(x1, y1, x2, y2);
    if (FCancel) undo.reserve(static_cast<size_t>(x2 - x1 + 1) * static_cast<size_t>(y2 - y1 + 1));
    SegmentRect(show && surface != nullptr, surface, x1, y1, x2, y2, FCancel ? &undo : nullptr);
  } catch (const TCancelled&) {
    const size_t count = static_cast<size_t>(x2 - x1 + 1);
    for (size_t k = 0; k * count < undo.size(); ++k)
      std::copy_n(undo.data() + k * count, count, FImage->Row(y1 + static_cast<int32_t>(k)) + x1);
    FShowProgress = oldShow, FAdjust = oldAdjust;
    FThreshold = oldTable;
    lattice() = oldLattice;
    throw;
  }
}

void TSegment::SegmentRect(bool paint, TSurface* surface, int32_t x1, int32_t y1, int32_t x2,
                           int32_t y2, std::vector<uint8_t>* undo) {
  const int32_t count = x2 - x1 + 1;
  const std::vector<int32_t> xs = RegionStarts(FFirstCenterX, FLastCenterX, FCellSizeX);
  const std::vector<int32_t> ys = RegionStarts(FFirstCenterY, FLastCenterY, FCellSizeY);
  TThresholdRow rows;
  // One row of cells at a time: the edge quotients of every column are found once, then each
  // image row of the cells is a row of thresholds and a compare-and-select loop.
  for (size_t v = 0; v < ys.size(); ++v) {
    const int32_t ya = std::max(ys[v], y1);
    const int32_t yb = std::min(v + 1 < ys.size() ? ys[v + 1] : FHeight, y2 + 1);
    if (ya >= yb) continue;
    int32_t yTop = 0;
    bool started = false;
    for (size_t u = 0; u < xs.size(); ++u) {
      const int32_t xa = std::max(xs[u], x1);
      const int32_t xb = std::min(u + 1 < xs.size() ? xs[u + 1] : FWidth, x2 + 1);
      if (xa >= xb) continue;
      const TCell c = LocateCell(xa, ya);
      if (!started) {
        rows.Reset(count, c.H);
        yTop = ya - c.Dy;
        started = true;
      }
      const int32_t xLeft = xa - c.Dx;
      for (int32_t x = xa; x < xb; ++x)
        rows.SetColumn(x - x1, EdgeQuotient(x - xLeft, c.W, c.TL, c.TR),
                       EdgeQuotient(x - xLeft, c.W, c.BL, c.BR));
    }
    for (int32_t y = ya; y < yb; ++y) {
      if (undo != nullptr) {  // rows come in order from y1: the k-th kept is row y1 + k
        if (FCancel()) throw TCancelled();
        undo->insert(undo->end(), FImage->Row(y) + x1, FImage->Row(y) + x1 + count);
      }
      SegmentRow(y, x1, rows.Compute(y - yTop), count);
      if (paint) ShowRow(surface, y, x1, x2);
    }
  }
}

void TSegment::SegmentRow(int32_t y, int32_t x1, const int16_t* thresholds, int32_t count) {
  uint8_t* p = FImage->Row(y) + x1;
  int32_t i = 0;
#if defined(__SSE2__)
  // Sixteen pixels at a time, compared as 16-bit values with their thresholds.
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= count; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i low = _mm_unpacklo_epi8(v, zero);
    const __m128i high = _mm_unpackhi_epi8(v, zero);
    const __m128i tLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(thresholds + i));
    const __m128i tHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(thresholds + i + 8));
    __m128i result;
    if (FWhiteDots) {
      const __m128i below =
          _mm_packs_epi16(_mm_cmplt_epi16(low, tLow), _mm_cmplt_epi16(high, tHigh));
      result = _mm_andnot_si128(below, v);
    } else {
      const __m128i above =
          _mm_packs_epi16(_mm_cmpgt_epi16(low, tLow), _mm_cmpgt_epi16(high, tHigh));
      result = _mm_or_si128(above, v);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), result);
  }
#endif
  if (FWhiteDots) {
    for (; i < count; ++i) p[i] = static_cast<int16_t>(p[i]) < thresholds[i] ? uint8_t{0} : p[i];
  } else {
    for (; i < count; ++i) p[i] = static_cast<int16_t>(p[i]) > thresholds[i] ? uint8_t{255} : p[i];
  }
}

void TSegment::ShowRow(TSurface* surface, int32_t y, int32_t x1, int32_t x2) {
  surface->DrawGrayRow(x1, y, FImage->Row(y) + x1, x2 - x1 + 1);
  surface->Flush();
}

void TSegment::SimpleSegment(TSurface* surface, int32_t threshold) {
  SyncSize();
  SimpleSegmentRect(surface, threshold, 0, 0, FWidth - 1, FHeight - 1);
}

void TSegment::SimpleSegmentRect(TSurface* surface, int32_t threshold, int32_t x1, int32_t y1,
                                 int32_t x2, int32_t y2) {
  SyncSize();
  if (x1 > x2 || y1 > y2) return;
  CheckRect(x1, y1, x2, y2);
  const bool paint = FShowProgress && surface != nullptr;
  const size_t count = static_cast<size_t>(x2 - x1 + 1);
  // Gray values are 0..255, so thresholds beyond that range act like its ends.
  const uint8_t t = static_cast<uint8_t>(std::clamp(threshold, 0, 255));
  for (int32_t y = y1; y <= y2; ++y) {
    uint8_t* p = FImage->Row(y) + x1;
    if (FWhiteDots) {
      if (threshold > 255)
        std::fill(p, p + count, uint8_t{0});
      else if (threshold > 0)
        for (size_t i = 0; i < count; ++i) p[i] = p[i] < t ? uint8_t{0} : p[i];
    } else {
      if (threshold < 0)
        std::fill(p, p + count, uint8_t{255});
      else if (threshold < 255)
        for (size_t i = 0; i < count; ++i) p[i] = p[i] > t ? uint8_t{255} : p[i];
    }
    if (paint) ShowRow(surface, y, x1, x2);
  }
}

// ---------------------------------------------------------------------------------------------
// Editing and files

void TSegment::ModifyRect(bool whiteDots, int32_t x, int32_t y, int32_t dx, int32_t dy) {
  // The far corner in 64 bits: typed offsets may reach past the 32-bit range.
  FImage->FillRect(whiteDots ? 0 : 255, x, y, ClampToInt32(static_cast<int64_t>(x) + dx),
                   ClampToInt32(static_cast<int64_t>(y) + dy));
}

void TSegment::SaveResult(const std::string& fileName) const {
  FImage->SaveToFile(fileName);
}

void TSegment::ReloadImage(const std::string& fileName) {
  try {
    FImage->LoadFromFile(fileName);
  } catch (...) {
    SyncSize();
    throw;
  }
  SyncSize();
}
