#include "base/Convert.h"

#include <locale.h>
#include <bit>
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

namespace {

// Switches the calling thread to the C locale for as long as it lives; other threads keep
// theirs.
class TCLocale {
 public:
  TCLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    FPrevious =
        c != static_cast<locale_t>(nullptr) ? ::uselocale(c) : static_cast<locale_t>(nullptr);
  }
  ~TCLocale() {
    if (FPrevious != static_cast<locale_t>(nullptr)) ::uselocale(FPrevious);
  }
  TCLocale(const TCLocale&) = delete;
  TCLocale& operator=(const TCLocale&) = delete;

 private:
  locale_t FPrevious;
};

}  // namespace

std::string FormatV(const char* format, va_list args) {
  TCLocale c;
  char local[256];
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(local, sizeof local, format, copy);
  va_end(copy);
  if (n <= 0) return {};
  if (static_cast<size_t>(n) < sizeof local) return std::string(local, static_cast<size_t>(n));
  std::string result(static_cast<size_t>(n), '\0');
  std::vsnprintf(result.data(), result.size() + 1, format, args);
  return result;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = FormatV(format, args);
  va_end(args);
  return result;
}

std::string IntToStr(int64_t value) {
  return std::to_string(value);
}

std::string ShortFloatToStr(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  // 15 significant digits, then the shortest text: trailing zeros of the mantissa dropped.
  std::string text = Format("%.14e", value);
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
  // Below 2^53 a finite double is m * 2^-shift with an integer m < 2^53, so value * 10^precision
  // is rounded exactly in 128-bit integers, ties to even, as printf rounds the exact binary
  // value. Larger values, more decimals, infinities and NaN go through the library.
  __extension__ using TWide = unsigned __int128;
  static constexpr uint64_t Powers[] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};
  const auto bits = std::bit_cast<uint64_t>(value);
  const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (precision >= 0 && precision <= 9 && exponent <= 1075) {
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    const uint64_t m = exponent == 0 ? fraction : fraction | uint64_t{1} << 52;
    const int shift = exponent == 0 ? 1074 : 1075 - exponent;
    const TWide n = TWide{m} * Powers[precision];  // below 2^83
    TWide q = 0;
    if (shift == 0) {
      q = n;
    } else if (shift < 128) {
      q = n >> shift;
      const TWide rest = n & ((TWide{1} << shift) - 1);
      const TWide half = TWide{1} << (shift - 1);
      if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    }  // from 2^-128 on, n is below one half of a unit and rounds to 0
    if (q >> 64 == 0) {
      auto units = static_cast<uint64_t>(q);
      char buffer[40];
      char* p = buffer + sizeof buffer;
      for (int i = 0; i < precision; ++i, units /= 10) *--p = static_cast<char>('0' + units % 10);
      if (precision > 0) *--p = '.';
      do {
        *--p = static_cast<char>('0' + units % 10);
        units /= 10;
      } while (units != 0);
      if ((bits >> 63) != 0) *--p = '-';  // printf keeps the sign of -0 and of what rounds to 0
      AppendPadded(out, p, static_cast<size_t>(buffer + sizeof buffer - p), width);
      return;
    }
  }
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

std::string PrintableText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) {
      out += '?';
      if (c1) ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string CodeScaleText(float value) {
  const std::string fixed = Format("%f", static_cast<double>(value));
  float back = 0;
  std::from_chars(fixed.data(), fixed.data() + fixed.size(), back);
  if (std::fabs(static_cast<double>(back) - static_cast<double>(value)) <=
      1e-6 * std::fabs(static_cast<double>(value)))
    return fixed;
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}
