#include "match/Scale.h"

#include <cfloat>
#include <cmath>

#include "base/Convert.h"
#include "base/Error.h"

namespace {

float AsFactor(double value) {
  if (!(std::fabs(value) <= FLT_MAX)) throw TError("Floating point overflow");
  return static_cast<float>(value);
}

float Quotient(const std::string& actualText, const std::string& imageText) {
  const double actual = StrToFloat(actualText);
  const double image = StrToFloat(imageText);
  if (image == 0) throw TError("Floating point division by zero");
  return AsFactor(actual / image);
}

}  // namespace

TScaleFactors ComputeScaleFactors(const std::string& imageX, const std::string& actualX,
                                  const std::string& imageY, const std::string& actualY) {
  TScaleFactors factors;
  factors.X = Quotient(actualX, imageX);
  factors.Y = Quotient(actualY, imageY);
  return factors;
}

TScaleFactors ReadScaleFactors(const std::string& scaleX, const std::string& scaleY) {
  TScaleFactors factors;
  factors.X = AsFactor(StrToFloat(scaleX));
  factors.Y = AsFactor(StrToFloat(scaleY));
  return factors;
}

std::string ScaleText(float factor) {
  return ShortFloatToStr(factor);
}
