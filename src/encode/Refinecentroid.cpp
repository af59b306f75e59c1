#include "encode/Refinecentroid.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Dotgrid.h"
#include "encode/Encode.h"
#include "encode/Parallelranges.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Grow = 0.75;          // the disc reaches this far beyond the blob's own radius
constexpr double Clearance = 1.0;      // and stays this far from the neighbouring blob
constexpr double BackgroundGap = 3.0;  // background pixels lie this far beyond every blob
constexpr int32_t Iterations = 3;
constexpr int32_t Step = 4;             // the background is sampled on every Step-th row and column
constexpr double Settled = 0.01;        // px: the disc moved less than this in its last step
constexpr int32_t ThreadedDots = 4096;  // fewer dots are refined faster than threads start
constexpr int32_t MaxThreads = 8;

// Mean background per block, interpolated bilinearly between block centres.
class TBackground {
 public:
  template <typename TPicture>
  TBackground(const TPicture& picture, const std::vector<uint8_t>& nearDot, int32_t block)
      : FBlock(block),
        FCols((picture.Width() + block - 1) / block),
        FRows((picture.Height() + block - 1) / block),
        FMean(static_cast<size_t>(FCols) * static_cast<size_t>(FRows), 0.0f) {
    const int32_t w = picture.Width(), h = picture.Height();
    std::vector<double> sum(FMean.size(), 0.0);
    std::vector<int64_t> count(FMean.size(), 0);
    // Every Step-th row and column: the means hardly change, and a full pass would cost more
    // than all the discs together.
    const size_t mw = static_cast<size_t>((w + Step - 1) / Step);
    std::vector<size_t> column(mw);  // the block column of each sampled column
    for (size_t i = 0; i < mw; ++i) column[i] = i * Step / static_cast<size_t>(block);
    for (int32_t y = 0; y < h; y += Step) {
      const auto* row = picture.Data() + static_cast<size_t>(y) * static_cast<size_t>(w);
      const uint8_t* mask = nearDot.data() + static_cast<size_t>(y / Step) * mw;
      const size_t base = static_cast<size_t>(y / block) * static_cast<size_t>(FCols);
      for (size_t i = 0; i < mw; ++i) {
        if (mask[i]) continue;
        const size_t k = base + column[i];
        sum[k] += row[i * Step];
        ++count[k];
      }
    }
    // Blocks without background take the mean of the blocks around them that have some.
    std::vector<char> known(FMean.size(), 0);
    bool any = false;
    for (size_t k = 0; k < FMean.size(); ++k)
      if (count[k] >= 4) {
        FMean[k] = static_cast<float>(sum[k] / static_cast<double>(count[k]));
        known[k] = 1;
        any = true;
      }
    if (!any) return;  // a picture of dots only: no background to subtract
    for (bool missing = true; missing;) {
      missing = false;
      std::vector<char> next = known;
      for (int32_t r = 0; r < FRows; ++r)
        for (int32_t c = 0; c < FCols; ++c) {
          const size_t k = static_cast<size_t>(r) * static_cast<size_t>(FCols) + c;
          if (known[k]) continue;
          double s = 0;
          int32_t n = 0;
          for (int32_t dr = -1; dr <= 1; ++dr)
            for (int32_t dc = -1; dc <= 1; ++dc) {
              const int32_t rr = r + dr, cc = c + dc;
              if (rr < 0 || cc < 0 || rr >= FRows || cc >= FCols) continue;
              const size_t q = static_cast<size_t>(rr) * static_cast<size_t>(FCols) + cc;
              if (known[q]) s += FMean[q], ++n;
            }
          if (n > 0) {
            FMean[k] = static_cast<float>(s / n);
            next[k] = 1;
          } else {
            missing = true;
          }
        }
      known.swap(next);
    }
  }

  double At(double x, double y) const {
    const double fx = std::clamp((x + 0.5) / FBlock - 0.5, 0.0, FCols - 1.0);
    const double fy = std::clamp((y + 0.5) / FBlock - 0.5, 0.0, FRows - 1.0);
    const int32_t c0 = static_cast<int32_t>(fx), r0 = static_cast<int32_t>(fy);
    const int32_t c1 = std::min(c0 + 1, FCols - 1), r1 = std::min(r0 + 1, FRows - 1);
    const double ax = fx - c0, ay = fy - r0;
    auto m = [this](int32_t r, int32_t c) {
      return static_cast<double>(FMean[static_cast<size_t>(r) * static_cast<size_t>(FCols) + c]);
    };
    return (1 - ay) * ((1 - ax) * m(r0, c0) + ax * m(r0, c1)) +
           ay * ((1 - ax) * m(r1, c0) + ax * m(r1, c1));
  }

 private:
  int32_t FBlock, FCols, FRows;
  std::vector<float> FMean;
};

// The local background level + X x + Y y, and whether dots are brighter (1) or darker (-1).
struct TPlane {
  double Level, X, Y;
  int32_t Sign;
};

// Rounding up and down without the library calls of std::ceil and std::floor, which a build for
// the baseline instruction set makes for every row of every disc. v lies well inside int32_t.
int32_t Ceil(double v) {
  const int32_t t = static_cast<int32_t>(v);
  return t + (v > t);
}
int32_t Floor(double v) {
  const int32_t t = static_cast<int32_t>(v);
  return t - (v < t);
}

inline void RowSums(const uint8_t* row, int32_t from, int32_t to, int64_t& sum, int64_t& weighted) {
  int64_t s = 0, sx = 0;
  int32_t x = from;
#if defined(__SSE2__)
  // Sixteen and then eight pixels at a time: the byte sum from the absolute differences to
  // zero, and the sum of value times offset in the chunk from 16-bit products; the chunk's
  // start times its sum adds the rest. Integers throughout, so the sums are exact.
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
  const __m128i high = _mm_setr_epi16(8, 9, 10, 11, 12, 13, 14, 15);
  auto total = [](__m128i v) {  // the four 32-bit lanes added
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return int64_t{_mm_cvtsi128_si32(v)};
  };
  for (; x + 15 <= to; x += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    const __m128i sad = _mm_sad_epu8(bytes, zero);
    const int64_t chunk = _mm_cvtsi128_si32(sad) + _mm_cvtsi128_si32(_mm_srli_si128(sad, 8));
    const __m128i products = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), low),
                                           _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), high));
    s += chunk;
    sx += chunk * x + total(products);
  }
  for (; x + 7 <= to; x += 8) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + x));
    const int64_t chunk = _mm_cvtsi128_si32(_mm_sad_epu8(bytes, zero));
    s += chunk;
    sx += chunk * x + total(_mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), low));
  }
#endif
  for (; x <= to; ++x) {
    s += row[x];
    sx += int64_t{row[x]} * x;
  }
  sum = s;
  weighted = sx;
}

// The same for a picture of more than 8 bits.
inline void RowSums(const uint16_t* row, int32_t from, int32_t to, int64_t& sum,
                    int64_t& weighted) {
  int64_t s = 0, sx = 0;
  for (int32_t x = from; x <= to; ++x) {
    s += row[x];
    sx += int64_t{row[x]} * x;
  }
  sum = s;
  weighted = sx;
}

// Sum of k^2 for k = 0 .. n. Below ExactSquares the three factors and their product are
// integers that a double holds exactly, so integer arithmetic gives the same value without the
// division's latency.
constexpr int64_t ExactSquares = 165000;
double SquareSum(int64_t n) {
  if (n >= 0 && n < ExactSquares) return static_cast<double>(n * (n + 1) * (2 * n + 1) / 6);
  const double d = static_cast<double>(n);
  return d * (d + 1) * (2 * d + 1) / 6.0;
}

// The centroid of the picture's values above the plane over a disc of radius r around (cx, cy)
// whose edge is a pixel wide: the weight falls from 1 to 0 as the squared distance d2 goes from
// r^2 - r to r^2 + r (linear in d2, about r - 0.5 to r + 0.5 in distance), so the weights do
// not jump as the disc moves and no square root is taken per pixel. Inside the disc the sums
// are taken per row span in integers and the plane's share in closed form; only the edge
// pixels are weighed one by one.
template <typename TPicture>
bool DiscCentroid(const TPicture& picture, const TPlane& p, double cx, double cy, double r,
                  double& nx, double& ny) {
  const int32_t w = picture.Width(), h = picture.Height();
  const double reach = std::sqrt(r * r + r);
  const int32_t y0 = std::max(0, Ceil((cy - reach)));
  const int32_t y1 = std::min(h - 1, Floor((cy + reach)));
  const double r2 = r * r, inner2 = std::max(r2 - r, 0.0), outer2 = r2 + r;
  const double slope = 1 / (2 * r);
  double sw = 0, sx = 0, sy = 0;
  for (int32_t y = y0; y <= y1; ++y) {
    const auto* row = picture.Data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    const double dy = y - cy;
    const double ho2 = outer2 - dy * dy;
    if (ho2 <= 0) continue;
    const double ho = std::sqrt(ho2);
    const int32_t a = std::max(0, Ceil((cx - ho)));
    const int32_t c = std::min(w - 1, Floor((cx + ho)));
    const double hi2 = inner2 - dy * dy;
    int32_t ia = c + 1, ic = c;  // the inner span, empty unless the row crosses it
    if (hi2 > 0) {
      const double hi = std::sqrt(hi2);
      ia = std::max(a, Ceil((cx - hi)));
      ic = std::min(c, Floor((cx + hi)));
      if (ia > ic) ia = c + 1, ic = c;
    }
    const double rowLevel = p.Level + p.Y * y;
    if (ia <= ic) {
      int64_t si = 0, sxi = 0;
      RowSums(row, ia, ic, si, sxi);
      const double n = ic - ia + 1;
      const double sumX = (static_cast<double>(ia) + ic) * n / 2;
      const double sumX2 = SquareSum(ic) - SquareSum(int64_t{ia} - 1);
      const double weight = p.Sign * (static_cast<double>(si) - (n * rowLevel + p.X * sumX));
      sw += weight;
      sx += p.Sign * (static_cast<double>(sxi) - (rowLevel * sumX + p.X * sumX2));
      sy += weight * y;
    }
    // The edge pixels left and right of the inner span (the whole row when it has none).
    const float fdy2 = static_cast<float>(dy * dy - r2), fcx = static_cast<float>(cx);
    const float fslope = static_cast<float>(slope), frow = static_cast<float>(rowLevel);
    const float fpx = static_cast<float>(p.X);
    float ew = 0, ex = 0;
    auto edge = [&](int32_t from, int32_t to) {
      for (int32_t x = from; x <= to; ++x) {
        const float dx = static_cast<float>(x) - fcx;
        const float e = std::min(0.5f - (dx * dx + fdy2) * fslope, 1.0f);
        if (e <= 0) continue;
        const float weight =
            (static_cast<float>(row[x]) - (frow + fpx * static_cast<float>(x))) * e;
        ew += weight;
        ex += weight * dx;  // about the centre: small numbers keep float precise
      }
    };
    edge(a, std::min(ia, c + 1) - 1);
    if (ia <= ic) edge(ic + 1, c);
    sw += p.Sign * static_cast<double>(ew);
    sx += p.Sign * (static_cast<double>(ex) + cx * static_cast<double>(ew));
    sy += p.Sign * static_cast<double>(ew) * y;
  }
  if (!(sw > 0)) return false;
  nx = sx / sw;
  ny = sy / sw;
  return true;
}

// Marks the sampled pixels (mask cell (i, j) is pixel (Step i, Step j)) within the given radius
// of (x, y).
void MarkDisc(std::vector<uint8_t>& mask, int32_t mw, int32_t mh, double x, double y, double r) {
  const int32_t j0 = std::max(0, Ceil((y - r) / Step));
  const int32_t j1 = std::min(mh - 1, Floor((y + r) / Step));
  for (int32_t j = j0; j <= j1; ++j) {
    const double dy = static_cast<double>(Step) * j - y;
    const double half = r * r - dy * dy;
    if (half < 0) continue;
    const double s = std::sqrt(half);
    const int32_t i0 = std::max(0, Ceil((x - s) / Step));
    const int32_t i1 = std::min(mw - 1, Floor((x + s) / Step));
    if (i0 > i1) continue;
    std::fill(mask.begin() + static_cast<std::ptrdiff_t>(j) * mw + i0,
              mask.begin() + static_cast<std::ptrdiff_t>(j) * mw + i1 + 1, uint8_t{1});
  }
}

}  // namespace

void SpanSums(const uint8_t* row, int32_t from, int32_t to, int64_t& sum, int64_t& weighted) {
  RowSums(row, from, to, sum, weighted);
}

namespace {

// What every refined dot needs from all of them: how far its disc may reach, and the background
// surface of the picture.
struct TPrepared {
  std::vector<double> Reach;
  std::unique_ptr<TBackground> Background;
  int32_t Threads = 1;
};

template <typename TPicture>
TPrepared Prepare(const TEncode& job, const TPicture& picture, int32_t count, int32_t threads,
                  double gap) {
  const int32_t w = picture.Width(), h = picture.Height();
  const std::vector<TDotInfo>& dots = job.DotInfo();
  TPrepared prepared;
  if (threads <= 0)
    threads =
        count < ThreadedDots
            ? 1
            : std::clamp(static_cast<int32_t>(std::thread::hardware_concurrency()), 1, MaxThreads);
  prepared.Threads = threads;

  TDotGrid grid;
  grid.Build(dots.data(), count);
  // Each dot's reach and the distance to its nearest neighbour (negative: none), dot by dot on
  // the threads; then the background mask, which they would share, on this one.
  std::vector<double>& reach = prepared.Reach;
  reach.resize(static_cast<size_t>(count));
  std::vector<double> gaps(static_cast<size_t>(count));
  ForRanges(count, threads, [&](int32_t begin, int32_t end) {
    for (int32_t i = begin; i < end; ++i) {
      const TDotInfo& d = dots[i];
      const double r = std::sqrt(std::max(d.Area, 1) / Pi);
      const int32_t j = grid.NearestOther(d.x, d.y, i);
      double limit = 1e9;
      gaps[i] = -1;
      if (j >= 0) {
        const double gx = dots[j].x - d.x, gy = dots[j].y - d.y;
        gaps[i] = std::sqrt(gx * gx + gy * gy);
        limit = gaps[i] - std::sqrt(std::max(dots[j].Area, 1) / Pi) - Clearance;
      }
      reach[i] = std::max(std::min(r + Grow, limit), r + 0.5);
    }
  });
  std::vector<double> spacing;
  const int32_t mw = (w + Step - 1) / Step, mh = (h + Step - 1) / Step;
  std::vector<uint8_t> nearDot(static_cast<size_t>(mw) * static_cast<size_t>(mh), 0);
  for (int32_t i = 0; i < count; ++i) {
    if (gaps[i] >= 0) spacing.push_back(gaps[i]);
    MarkDisc(nearDot, mw, mh, dots[i].x, dots[i].y,
             std::sqrt(std::max(dots[i].Area, 1) / Pi) + gap);
  }
  // Blocks of about two pitches hold enough background for a mean that hardly moves with noise.
  double pitch = 32;
  if (!spacing.empty()) {
    std::nth_element(spacing.begin(), spacing.begin() + spacing.size() / 2, spacing.end());
    pitch = spacing[spacing.size() / 2];
  }
  const int32_t block = std::clamp(static_cast<int32_t>(2 * pitch), 32, 256);
  prepared.Background = std::make_unique<TBackground>(picture, nearDot, block);
  return prepared;
}

void CheckSize(const TEncode& job, const TGrayImage& picture) {
  const TGrayImage& segmented = job.Image();
  if (picture.Width() != segmented.Width() || picture.Height() != segmented.Height())
    throw TError(
        Format("The picture for refined centroids is %d x %d pixels, the segmented "
               "picture %d x %d: they must be the same picture",
               picture.Width(), picture.Height(), segmented.Width(), segmented.Height()));
}

// The background as a plane through the dot: a slope left in the weights would pull the
// centroid uphill.
TBackgroundPlane PlaneAt(const TBackground& background, double x, double y) {
  TBackgroundPlane p;
  p.Level = background.At(x, y);
  p.X = (background.At(x + 1, y) - background.At(x - 1, y)) / 2;
  p.Y = (background.At(x, y + 1) - background.At(x, y - 1)) / 2;
  return p;
}

}  // namespace

std::vector<TBackgroundPlane> BackgroundPlanes(const TEncode& job, const TGrayImage& picture,
                                               double gap) {
  CheckSize(job, picture);
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  std::vector<TBackgroundPlane> planes(static_cast<size_t>(std::max(count, 0)));
  if (count <= 0) return planes;
  // On the picture's own values, 16 bits where the file had them, as the fit measures.
  const double at = std::max(gap, BackgroundGap);
  const TPrepared prepared = picture.Deep() ? Prepare(job, *picture.Deep(), count, 0, at)
                                            : Prepare(job, picture, count, 0, at);
  for (int32_t i = 0; i < count; ++i)
    planes[static_cast<size_t>(i)] =
        PlaneAt(*prepared.Background, job.DotInfo()[i].x, job.DotInfo()[i].y);
  return planes;
}

namespace {

// The refinement on the picture's own pixels, 8 or 16 bits: the weights are the values above the
// background whatever their scale.
template <typename TPicture>
void RefineOn(const TEncode& job, std::vector<TDotInfo>& dots, const TPicture& picture,
              int32_t threads) {
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(dots.size()));
  if (count <= 0) return;
  const TPrepared prepared = Prepare(job, picture, count, threads, BackgroundGap);
  const TBackground& background = *prepared.Background;
  const int32_t sign = job.Background() == 0 ? 1 : -1;  // dark dots weigh by how much darker

  // Every dot is refined on its own from the picture and the background: the threads share
  // nothing but what they only read.
  ForRanges(count, prepared.Threads, [&](int32_t begin, int32_t end) {
    for (int32_t i = begin; i < end; ++i) {
      TDotInfo& d = dots[i];
      const double R = prepared.Reach[i];
      const TBackgroundPlane b = PlaneAt(background, d.x, d.y);
      const TPlane plane{b.Level - b.X * d.x - b.Y * d.y, b.X, b.Y, sign};
      double cx = d.x, cy = d.y;
      for (int32_t it = 0; it < Iterations; ++it) {
        double nx = 0, ny = 0;
        if (!DiscCentroid(picture, plane, cx, cy, R, nx, ny)) break;
        // A disc pulled more than a pixel away follows something else than its dot.
        if ((nx - d.x) * (nx - d.x) + (ny - d.y) * (ny - d.y) > 1.0) break;
        const double moved2 = (nx - cx) * (nx - cx) + (ny - cy) * (ny - cy);
        cx = nx;
        cy = ny;
        if (moved2 < Settled * Settled) break;
      }
      d.x = static_cast<float>(cx);
      d.y = static_cast<float>(cy);
    }
  });
}

}  // namespace

void RefineCentroids(TEncode& job, const TGrayImage& picture, int32_t threads) {
  CheckSize(job, picture);
  if (picture.Deep())
    RefineOn(job, job.FDotInfo, *picture.Deep(), threads);
  else
    RefineOn(job, job.FDotInfo, picture, threads);
  job.DotsMoved();
}
