#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Takes the text of a code file apart value by value. Any run of blanks, tabs, line ends,
// vertical tabs or form feeds separates two values, so column widths and CR LF or LF line ends
// do not matter.
//
// A value is a whole word: "12abc" is not the integer 12 and "1.5" is not an integer, so a
// damaged row is refused instead of shifting its values into the next field. Integers are an
// optional sign and decimal digits within 32 bits; decimals are finite single-precision numbers
// in plain or exponent notation ("nan", "inf", hexadecimal forms and values beyond the float
// range are refused).
class TCodeReader {
 public:
  explicit TCodeReader(std::string_view text, size_t position = 0) : FText(text), FPos(position) {}

  // The next word, of any length; empty at the end of the text.
  std::string_view Word();
  // The next word as a number; false when there is none or it is not entirely that number
  // (the position is then unspecified: a reader that failed is not read further).
  bool Int(int32_t& value);
  bool Float(float& value);

  // Bytes after the last value read.
  size_t Remaining() const { return FText.size() - FPos; }
  // Where the next value is looked for.
  size_t Position() const { return FPos; }

 private:
  void SkipBlanks();
  bool EndsWord(const char* p) const;

  std::string_view FText;
  size_t FPos = 0;
};
