#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One line of a result file, built without printf by the writers of base/Convert.h:
// Fixed3(v, w) gives exactly what "%w.3f" gives for v, Int(v, w) what "%wd" gives. Writing tens
// of thousands of rows through printf would cost more than loading and matching together.
class TRowText {
 public:
  TRowText() { FText.reserve(128); }

  void Clear() { FText.clear(); }
  void Text(std::string_view text) { FText.append(text); }
  void Fixed3(double value, int width);
  void Int(int32_t value, int width);
  std::string_view View() const { return FText; }

 private:
  std::string FText;
};
