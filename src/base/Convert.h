#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

// Text of a dialog field or an option to a number. Leading and trailing blanks are allowed;
// anything else that is not a number raises the platform-style conversion error, for example
// 'abc' is not a valid integer value.
int32_t StrToInt(const std::string& text);
// A finite decimal number ("1", "-2.5", "3e-2"); "nan" and "inf" are refused like any other text.
double StrToFloat(const std::string& text);

// printf-style formatting into a string, always in the C locale: every text the system writes
// uses the decimal point, whatever locale the desktop set for the process.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// The general floating-point format: the shortest form with up to 15 significant digits,
// fixed notation from 1e-5 up to 1e15, scientific ("1.5E-7", "2E20") outside.
std::string FloatToStr(double value);

// Decimal text of an integer.
std::string IntToStr(int64_t value);

// The text with every control character (C0, DEL and the C1 range in UTF-8) replaced by "?", so
// that a name written into a text file cannot run terminal escape sequences when it is shown.
std::string PrintableText(const std::string& text);

// A 32-bit scale factor as the code file carries it: "%f" (six decimals) when that reads back
// within 1e-6 of the value, otherwise the shortest text that reads back exactly ("4.4e-06"),
// which every reader of decimals takes as well.
std::string CodeScaleText(float value);
