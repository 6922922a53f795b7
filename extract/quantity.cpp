#include "extract/quantity.hpp"

#include <array>

namespace durno {

namespace {

struct QuantityKind {
  std::string_view code;
  std::string_view label;
  bool heldAsDouble;
};

// The label texts are kept as users' tables have them, "Activities " with its blank and
// "fractional" included.
constexpr std::array<QuantityKind, 5> kKinds{{
    {"A", "Activities ", false},
    {"G", "Activity Coefficients", true},
    {"F", "oxide mole fractional in silicate", false},
    {"P", "partial pressures", false},
    {"X", "gas mole fractions", false},
}};

}  // namespace

Quantity Quantity::fromCode(std::string_view code) {
  for (const QuantityKind& kind : kKinds) {
    if (kind.code == code) return Quantity(kind.label, kind.heldAsDouble);
  }
  return Quantity({}, false);
}

}  // namespace durno
