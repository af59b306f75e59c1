#pragma once

#include <memory>

#include "Binding.h"

class TStrainField;

// The strain field of two measurements as Python sees it: one array per column of the strain
// CSV. Shared by strain() and the steps of track().
struct TPyStrain {
  std::shared_ptr<const TStrainField> Field;
  py::dict Arrays;
};

TPyStrain StrainResultOf(std::shared_ptr<const TStrainField> field);
