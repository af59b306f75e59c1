#pragma once

#include <string>

// The three values kept between runs, in the per-user settings store: the working directory
// ("Path/last") and the two scale factors ("Image Scale/scalex", "Image Scale/scaley").
namespace Settings {

inline constexpr const char* Organisation = "Halvern Lab.";
inline constexpr const char* Application = "Latticor Method";

// The stored "last" directory, "" when none is stored.
std::string ReadLast();
void WriteLast(const std::string& directory);
// Creates the scale group with both factors 1.0 when it does not exist yet.
void EnsureScale();
// Raises TError when the value is missing or not a number.
double ReadScale(const char* name);
void WriteScale(double scaleX, double scaleY);

}  // namespace Settings
