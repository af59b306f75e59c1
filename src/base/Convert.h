#pragma once

#include <cstdint>
#include <string>

// Text of a dialog field or an option to a number. Leading and trailing blanks are allowed;
// anything else that is not a number raises the platform-style conversion error, for example
// 'abc' is not a valid integer value.
int32_t StrToInt(const std::string& text);
// A finite decimal number ("1", "-2.5", "3e-2"); "nan" and "inf" are refused like any other text.
double StrToFloat(const std::string& text);

// printf-style formatting into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The general floating-point format: the shortest form with up to 15 significant digits,
// fixed notation from 1e-5 up to 1e15, scientific ("1.5E-7", "2E20") outside.
std::string FloatToStr(double value);

// The shortest decimal text that reads back as the same 32-bit float: "399.73", "0.05", as a
// person would type it, where FloatToStr shows the float's binary noise.
std::string ShortFloatToStr(float value);

// Decimal text of an integer.
std::string IntToStr(int64_t value);
