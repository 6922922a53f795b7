#pragma once

#include <string>

#include "convert/mask_formatter.hpp"

namespace durno::testing_support {

// The field a mask writes for x, on its own.
inline std::string fieldOf(const MaskFormatter& mask, long double x) {
  std::string field;
  mask.appendTo(field, x);
  return field;
}

}  // namespace durno::testing_support
