#include <cmath>
#include <string>

#include "cli/Subcommands.h"

std::string CheckFinitePositive(const std::string& text) {
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    if (used == text.size() && std::isfinite(value) && value > 0) return {};
  } catch (...) {
  }
  return "a positive number is needed, not " + text;
}
