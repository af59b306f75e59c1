#include "base/Convert.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "base/Error.h"

namespace {

std::string_view Trimmed(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (first < last && blank(text[first])) ++first;
  while (last > first && blank(text[last - 1])) --last;
  return std::string_view(text).substr(first, last - first);
}

}  // namespace

int32_t StrToInt(const std::string& text) {
  std::string_view s = Trimmed(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int32_t value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size())
    throw TError("'" + text + "' is not a valid integer value");
  return value;
}

double StrToFloat(const std::string& text) {
  std::string_view s = Trimmed(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  // Only plain decimal notation: no "inf", "nan" or hexadecimal forms, and a finite result.
  bool plain = !s.empty() && s.find_first_not_of("0123456789.eE-+") == std::string_view::npos;
  if (!plain || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
    throw TError("'" + text + "' is not a valid floating point value");
  return value;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string result(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(result.data(), result.size() + 1, format, args);
  va_end(args);
  return result;
}

std::string IntToStr(int64_t value) {
  return std::to_string(value);
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  // 15 significant digits, then the shortest text: trailing zeros of the mantissa dropped.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  std::string text(buffer);
  size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string mantissa = text.substr(0, e);
  bool negative = mantissa[0] == '-';
  std::string digits;
  for (char c : mantissa)
    if (c >= '0' && c <= '9') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (std::fabs(value) >= 1e-5 && exponent < 15) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out += digits;
    } else if (static_cast<int>(digits.size()) <= exponent + 1) {
      out += digits + std::string(static_cast<size_t>(exponent + 1) - digits.size(), '0');
    } else {
      out.append(digits, 0, static_cast<size_t>(exponent + 1));
      out += '.';
      out.append(digits, static_cast<size_t>(exponent + 1));
    }
  } else {
    out += digits.substr(0, 1);
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1);
    }
    out += 'E';
    out += std::to_string(exponent);
  }
  return out;
}

namespace {

void AppendPadded(std::string& out, const char* text, size_t length, int width) {
  if (static_cast<size_t>(width) > length) out.append(static_cast<size_t>(width) - length, ' ');
  out.append(text, length);
}

}  // namespace

void AppendInt(std::string& out, int64_t value, int width) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  AppendPadded(out, text, static_cast<size_t>(end - text), width);
}

void AppendFixed(std::string& out, double value, int width, int precision) {
  // to_chars in fixed notation with a precision rounds the exact binary value as printf does;
  // infinities and NaN are left to printf's spelling.
  char text[400];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision);
  if (result.ec != std::errc() || !std::isfinite(value)) {
    out += Format("%*.*f", width, precision, value);
    return;
  }
  AppendPadded(out, text, static_cast<size_t>(result.ptr - text), width);
}
