#pragma once

#include <string>

// The two scale factors, physical units per pixel, as 32-bit floats.
struct TScaleFactors {
  float X = 1.0f;
  float Y = 1.0f;
};

// Factors from a length measured in the image (pixels) and the same length in the physical
// unit, given as the texts of the dialog's fields: X = actualX / imageX, Y = actualY / imageY.
// Raises the conversion error of a text that is not a number, "Floating point division by
// zero" for an image length of 0 and "Floating point overflow" for a factor beyond the float
// range. Nothing is returned on failure, so the caller's factors stay as they were.
TScaleFactors ComputeScaleFactors(const std::string& imageX, const std::string& actualX,
                                  const std::string& imageY, const std::string& actualY);

// Factors typed in directly, with the same conversion and range errors.
TScaleFactors ReadScaleFactors(const std::string& scaleX, const std::string& scaleY);

// A factor as the dialog shows it: the general format with up to 15 significant digits of the
// float widened to double, so 0.1 shows as 0.100000001490116.
std::string ScaleText(float factor);
