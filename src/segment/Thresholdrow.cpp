#include "segment/Thresholdrow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

float EdgeQuotient(int32_t dx, int32_t w, int32_t a, int32_t b) {
  const int64_t numerator =
      (static_cast<int64_t>(w) - dx) * a + static_cast<int64_t>(dx) * static_cast<int64_t>(b);
  return static_cast<float>(static_cast<long double>(numerator) / static_cast<long double>(w));
}

int32_t BlendTruncate(int32_t dy, int32_t h, float top, float bottom) {
  const long double upper = static_cast<long double>(static_cast<int64_t>(h) - dy) * top;
  const long double lower = static_cast<long double>(dy) * bottom;
  const long double t = std::trunc((upper + lower) / static_cast<long double>(h));
  if (std::isnan(t)) return 0;  // only from edges that are not numbers; never from a cell
  if (t >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (t <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(t);
}

// Why the double-precision value may stand for BlendTruncate. Let Q be the exact value of
// ((h - dy) top + dy bottom) / h for the single-precision top and bottom of a column, with
// |top|, |bottom| <= 2^20 (the lattice gives at most 510) and h < 2^29.
//  - BlendTruncate's two products are exact in the 64-bit significand of extended precision;
//    its sum and its quotient round once each, so |q_ext - Q| <= 2^-62 |Q| < 2^-42.
//  - q = top + dy * ((bottom - top) * (1 / h)) rounds five times on terms below 2^21, so
//    |q - Q| < 2^-29.
//  - When q lies at least 2^-20 from every integer, no integer lies between q, Q and q_ext, and
//    all three truncate alike.
//  - When bottom == top or dy == 0, q is exactly top, and so is q_ext: the sum h * top is
//    exact and so is its quotient by h.
// What is left - q within 2^-20 of an integer while the slope term is not zero - is rare in a
// real picture (an exactly integral threshold off the lattice rows) and is computed by
// BlendTruncate itself.
namespace {

constexpr double Limit = 1048576.0;                // 2^20
constexpr int32_t HeightLimit = 1 << 29;           // keeps the products exact
constexpr double Margin = 1.0 / 1048576.0;         // 2^-20
constexpr double RoundMagic = 6755399441055744.0;  // 1.5 * 2^52: (q + M) - M rounds q to an integer
constexpr int32_t Block = 64;                      // columns per certification test
constexpr int32_t Step = 8;                        // columns per kernel iteration

}  // namespace

int16_t Saturate16(int32_t v) {
  return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

void TThresholdRow::Reset(int32_t count, int32_t h) {
  FCount = std::max(count, 0);
  FHeight = std::max(h, 1);
  FCertifiable = FHeight < HeightLimit;
  // Padded to whole kernel steps with columns of threshold 0, which are never doubtful.
  FPadded = (FCount + Step - 1) / Step * Step;
  FTop.assign(static_cast<size_t>(FPadded), 0.0);
  FBottom.assign(static_cast<size_t>(FPadded), 0.0);
  FSlope.assign(static_cast<size_t>(FPadded), 0.0);
  FOut.assign(static_cast<size_t>(FPadded), 0);
}

void TThresholdRow::SetColumn(int32_t i, float top, float bottom) {
  FTop[i] = top;
  FBottom[i] = bottom;
  FSlope[i] = (static_cast<double>(bottom) - static_cast<double>(top)) * (1.0 / FHeight);
  if (!(std::fabs(FTop[i]) <= Limit && std::fabs(FBottom[i]) <= Limit)) FCertifiable = false;
}

const int16_t* TThresholdRow::Compute(int32_t dy) {
  if (FCertifiable)
    ComputeChecked(dy, FOut.data());
  else
    ComputeExact(dy, 0, FCount, FOut.data());
  return FOut.data();
}

namespace {

// The certified kernel over columns [begin, end), a multiple of Step long: thresholds into out,
// true when a column could not be certified. One version per instruction set, all alike.
bool LanesPortable(const double* top, const double* slope, double rowOffset, int32_t begin,
                   int32_t end, int16_t* out) {
  bool doubtful = false;
  for (int32_t i = begin; i < end; ++i) {
    const double term = rowOffset * slope[i];
    const double q = top[i] + term;
    const double d = q - ((q + RoundMagic) - RoundMagic);
    doubtful |= d < Margin && d > -Margin && term != 0.0;
    out[i] = Saturate16(static_cast<int32_t>(q));
  }
  return doubtful;
}

#if defined(__x86_64__)

bool LanesSse2(const double* top, const double* slope, double rowOffset, int32_t begin, int32_t end,
               int16_t* out) {
  const __m128d row = _mm_set1_pd(rowOffset);
  const __m128d magic = _mm_set1_pd(RoundMagic);
  const __m128d margin = _mm_set1_pd(Margin);
  const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m128d zero = _mm_setzero_pd();
  __m128d doubtful = zero;
  for (int32_t i = begin; i < end; i += Step) {
    __m128i r[4];
    for (int32_t k = 0; k < 4; ++k) {
      const __m128d term = _mm_mul_pd(_mm_loadu_pd(slope + i + 2 * k), row);
      const __m128d q = _mm_add_pd(_mm_loadu_pd(top + i + 2 * k), term);
      const __m128d d = _mm_sub_pd(q, _mm_sub_pd(_mm_add_pd(q, magic), magic));
      const __m128d near = _mm_cmplt_pd(_mm_and_pd(d, absMask), margin);
      doubtful = _mm_or_pd(doubtful, _mm_and_pd(near, _mm_cmpneq_pd(term, zero)));
      r[k] = _mm_cvttpd_epi32(q);
    }
    const __m128i low = _mm_unpacklo_epi64(r[0], r[1]);
    const __m128i high = _mm_unpacklo_epi64(r[2], r[3]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(low, high));
  }
  return _mm_movemask_pd(doubtful) != 0;
}

__attribute__((target("avx"))) bool LanesAvx(const double* top, const double* slope,
                                             double rowOffset, int32_t begin, int32_t end,
                                             int16_t* out) {
  const __m256d row = _mm256_set1_pd(rowOffset);
  const __m256d margin = _mm256_set1_pd(Margin);
  const __m256d absMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m256d zero = _mm256_setzero_pd();
  __m256d doubtful = zero;
  for (int32_t i = begin; i < end; i += Step) {
    __m128i r[2];
    for (int32_t k = 0; k < 2; ++k) {
      const __m256d term = _mm256_mul_pd(_mm256_loadu_pd(slope + i + 4 * k), row);
      const __m256d q = _mm256_add_pd(_mm256_loadu_pd(top + i + 4 * k), term);
      const __m256d nearest = _mm256_round_pd(q, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
      const __m256d d = _mm256_and_pd(_mm256_sub_pd(q, nearest), absMask);
      const __m256d near = _mm256_cmp_pd(d, margin, _CMP_LT_OQ);
      doubtful =
          _mm256_or_pd(doubtful, _mm256_and_pd(near, _mm256_cmp_pd(term, zero, _CMP_NEQ_OQ)));
      r[k] = _mm256_cvttpd_epi32(q);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(r[0], r[1]));
  }
  return _mm256_movemask_pd(doubtful) != 0;
}

#endif

bool Supported(TLaneSet set) {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return set != TLaneSet::Avx || __builtin_cpu_supports("avx");
#else
  return set == TLaneSet::Portable;
#endif
}

}  // namespace

bool TThresholdRow::SelectLanes(TLaneSet set) {
  if (set == TLaneSet::Best) {
    FLanes = Supported(TLaneSet::Avx)    ? TLaneSet::Avx
             : Supported(TLaneSet::Sse2) ? TLaneSet::Sse2
                                         : TLaneSet::Portable;
    return true;
  }
  if (!Supported(set)) return false;
  FLanes = set;
  return true;
}

void TThresholdRow::ComputeChecked(int32_t dy, int16_t* out) const {
  const double* top = FTop.data();
  const double* slope = FSlope.data();
  const double rowOffset = dy;
  for (int32_t begin = 0; begin < FPadded; begin += Block) {
    const int32_t end = std::min(begin + Block, FPadded);
    bool doubtful;
    switch (FLanes) {
#if defined(__x86_64__)
      case TLaneSet::Avx:
        doubtful = LanesAvx(top, slope, rowOffset, begin, end, out);
        break;
      case TLaneSet::Sse2:
        doubtful = LanesSse2(top, slope, rowOffset, begin, end, out);
        break;
#endif
      default:
        doubtful = LanesPortable(top, slope, rowOffset, begin, end, out);
    }
    if (!doubtful) continue;
    // The same test lane by lane; the doubtful lanes get the extended-precision value.
    for (int32_t i = begin; i < std::min(end, FCount); ++i) {
      const double term = rowOffset * slope[i];
      const double q = top[i] + term;
      const double d = q - ((q + RoundMagic) - RoundMagic);
      if (d < Margin && d > -Margin && term != 0.0) ComputeExact(dy, i, i + 1, out);
    }
  }
}

void TThresholdRow::ComputeExact(int32_t dy, int32_t begin, int32_t end, int16_t* out) const {
  for (int32_t i = begin; i < end; ++i)
    out[i] = Saturate16(
        BlendTruncate(dy, FHeight, static_cast<float>(FTop[i]), static_cast<float>(FBottom[i])));
}
