#include "encode/CodeReader.h"

#include <charconv>
#include <cmath>

#include "base/Error.h"

namespace {

// Blank, tab, line feed, vertical tab, form feed, carriage return.
bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

void TCodeReader::SkipBlanks() {
  while (FPos < FText.size() && IsBlank(FText[FPos])) ++FPos;
}

bool TCodeReader::EndsWord(const char* p) const {
  return p == FText.data() + FText.size() || IsBlank(*p);
}

std::string_view TCodeReader::Word() {
  SkipBlanks();
  size_t first = FPos;
  while (FPos < FText.size() && !IsBlank(FText[FPos])) ++FPos;
  return FText.substr(first, FPos - first);
}

// The number is read where it stands, in one pass, and must end where its word ends.
bool TCodeReader::Int(int32_t& value) {
  SkipBlanks();
  const char* p = FText.data() + FPos;
  const char* end = FText.data() + FText.size();
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  const char* digits = p;
  int64_t magnitude = 0;
  for (; p < end && static_cast<unsigned>(*p - '0') < 10; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > int64_t{1} << 31) return false;
  }
  if (p == digits || !EndsWord(p)) return false;
  const int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX) return false;
  value = static_cast<int32_t>(result);
  FPos = static_cast<size_t>(p - FText.data());
  return true;
}

bool TCodeReader::Float(float& value) {
  SkipBlanks();
  const char* p = FText.data() + FPos;
  const char* end = FText.data() + FText.size();
  if (p < end && *p == '+') {
    ++p;
    if (p < end && (*p == '+' || *p == '-')) return false;
  }
  float parsed = 0;
  auto [last, ec] = std::from_chars(p, end, parsed, std::chars_format::general);
  if (ec != std::errc() || last == p || !EndsWord(last) || !std::isfinite(parsed)) return false;
  value = parsed;
  FPos = static_cast<size_t>(last - FText.data());
  return true;
}
