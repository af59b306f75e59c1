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

// Decimal text of an integer.
std::string IntToStr(int64_t value);

// Appends value as printf's "%<width>d" and "%<width>.<precision>f" would, byte for byte, without
// printf's cost: files with tens of thousands of numbers are written by these.
void AppendInt(std::string& out, int64_t value, int width);
void AppendFixed(std::string& out, double value, int width, int precision);
