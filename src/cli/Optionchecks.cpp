#include <cfloat>
#include <cmath>
#include <string>

#include "cli/Cli11.h"
#include "cli/Subcommands.h"

void AddBits16Option(CLI::App& sub, TBits16& rule) {
  sub.add_option_function<std::string>(
         "--bits16",
         [&rule](const std::string& text) {
           if (text != "percentile" && text != "shift")
             throw CLI::ValidationError("--bits16", "percentile or shift");
           rule = text == "shift" ? TBits16::Shift : TBits16::Percentile;
         },
         "How 16-bit pictures become 8-bit: percentile stretches the 0.1 % and 99.9 % "
         "percentiles to 0 and 255 (12-bit data in 16 bits is not dark), shift keeps the high "
         "byte")
      ->default_str("percentile");
}

void AddPageOption(CLI::App& sub, int32_t& page, const char* which) {
  sub.add_option("--page", page,
                 std::string("The page of a multi-page TIFF to read, from 1 (") + which +
                     "; a file of one page is read as it is)")
      ->check(CLI::Range(1, 1 << 20))
      ->capture_default_str();
}

void AddSeedOption(CLI::App& sub, uint32_t& seed, const std::string& help) {
  // Checked as a wider integer first: the conversion to 32 bits alone would say only that the
  // text could not be converted.
  sub.add_option("--seed", seed, help)
      ->check(CLI::Range(int64_t{0}, int64_t{4294967295}))
      ->capture_default_str();
}

std::string CheckFileName(const std::string& text) {
  return text.empty() ? "a file name is needed" : "";
}

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
