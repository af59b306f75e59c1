#include "match/RowText.h"

#include <charconv>

void TRowText::Padded(const char* first, const char* last, int width) {
  const auto length = static_cast<int>(last - first);
  if (length < width) FText.append(static_cast<size_t>(width - length), ' ');
  FText.append(first, last);
}

void TRowText::Fixed3(double value, int width) {
  // std::to_chars with a precision formats as printf does in the C locale, exactly rounded;
  // room for the widest double (309 digits, sign, point and decimals).
  char buffer[352];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  Padded(buffer, result.ptr, width);
}

void TRowText::Int(int32_t value, int width) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  Padded(buffer, result.ptr, width);
}
