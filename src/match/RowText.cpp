#include "match/RowText.h"

#include <bit>
#include <charconv>

void TRowText::Padded(const char* first, const char* last, int width) {
  const auto length = static_cast<int>(last - first);
  if (length < width) FText.append(static_cast<size_t>(width - length), ' ');
  FText.append(first, last);
}

void TRowText::Fixed3(double value, int width) {
  const auto bits = std::bit_cast<uint64_t>(value);
  const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
  // Below 2^53 the value is m * 2^-shift with an integer m < 2^53, so value * 1000 can be
  // rounded exactly in 64-bit integers, ties to even, as printf rounds; larger values,
  // infinities and NaN go the general way.
  if (exponent <= 1075) {
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    const uint64_t m = exponent == 0 ? fraction : fraction | uint64_t{1} << 52;
    const int shift = exponent == 0 ? 1074 : 1075 - exponent;
    const uint64_t n = m * 1000;  // below 2^63
    uint64_t q = 0;
    if (shift == 0) {
      q = n;
    } else if (shift < 64) {
      q = n >> shift;
      const uint64_t rest = n & ((uint64_t{1} << shift) - 1);
      const uint64_t half = uint64_t{1} << (shift - 1);
      if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    }  // from 2^-64 on, value * 1000 is below one half and rounds to 0
    char buffer[32];
    char* p = buffer + sizeof buffer;
    for (int i = 0; i < 3; ++i, q /= 10) *--p = static_cast<char>('0' + q % 10);
    *--p = '.';
    do {
      *--p = static_cast<char>('0' + q % 10);
      q /= 10;
    } while (q != 0);
    if ((bits >> 63) != 0) *--p = '-';  // printf keeps the sign of -0 and of what rounds to 0
    Padded(p, buffer + sizeof buffer, width);
    return;
  }
  // std::to_chars with a precision formats as printf does in the C locale; room for the widest
  // double (309 digits, sign, point and decimals).
  char buffer[352];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  Padded(buffer, result.ptr, width);
}

void TRowText::Int(int32_t value, int width) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  Padded(buffer, result.ptr, width);
}
