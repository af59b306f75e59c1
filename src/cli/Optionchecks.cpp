#include <cfloat>
#include <cmath>
#include <string>

#include "cli/Subcommands.h"

std::string CheckFinitePositive(const std::string& text) {
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    if (used == text.size() && std::isfinite(value) && value >= FLT_MIN && value <= FLT_MAX)
      return {};
  } catch (...) {
  }
  return "a positive number from 1.2e-38 to 3.4e38 is needed, not " + text;
}

std::string CheckFinite(const std::string& text) {
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    if (used == text.size() && std::isfinite(value)) return {};
  } catch (...) {
  }
  return "a finite number is needed, not " + text;
}
