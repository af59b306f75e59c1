// The gray values of rows of 3-byte pixels, (B + G + R + 1) div 3: the widest loop of reading a
// 24-bit bitmap, so it has a 16-pixel SSSE3 version besides the plain one.
#include <immintrin.h>

#include <cstdint>

namespace {

// (s * 21846) >> 16 equals s div 3 for every s up to 766 = 3 * 255 + 1.
uint8_t Third(uint32_t s) {
  return static_cast<uint8_t>((s * 21846u) >> 16);
}

void Gray24Plain(const uint8_t* src, uint8_t* dst, int32_t from, int32_t width) {
  for (int32_t x = from; x < width; ++x) {
    const uint8_t* p = src + 3 * x;
    dst[x] = Third(uint32_t{p[0]} + p[1] + p[2] + 1);
  }
}

// Byte i of channel c's mask for block k picks byte 3 i + c of the 48 when it lies in block k.
struct TMasks {
  alignas(16) int8_t Pick[3][3][16];
  TMasks() {
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 16; ++i) {
          const int at = 3 * i + c;
          Pick[c][k][i] = static_cast<int8_t>(at / 16 == k ? at % 16 : -128);
        }
  }
};

__attribute__((target("ssse3"))) void Gray24Ssse3(const uint8_t* src, uint8_t* dst, int32_t width) {
  static const TMasks masks;
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi16(1), third = _mm_set1_epi16(21846);
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    const uint8_t* p = src + 3 * x;
    const __m128i block[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32))};
    __m128i lo = one, hi = one;
    for (int c = 0; c < 3; ++c) {
      __m128i channel = zero;
      for (int k = 0; k < 3; ++k)
        channel = _mm_or_si128(
            channel,
            _mm_shuffle_epi8(block[k],
                             _mm_load_si128(reinterpret_cast<const __m128i*>(masks.Pick[c][k]))));
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(channel, zero));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(channel, zero));
    }
    const __m128i gray = _mm_packus_epi16(_mm_mulhi_epu16(lo, third), _mm_mulhi_epu16(hi, third));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), gray);
  }
  Gray24Plain(src, dst, x, width);
}

}  // namespace

void Gray24Row(const uint8_t* src, uint8_t* dst, int32_t width) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  if (ssse3)
    Gray24Ssse3(src, dst, width);
  else
    Gray24Plain(src, dst, 0, width);
}
