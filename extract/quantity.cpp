#include "extract/quantity.hpp"

#include <array>

namespace durno {

namespace {

// The label texts are kept as users' tables have them, "Activities " with its blank and
// "fractional" included; the menu names as the menu has always shown them.
constexpr std::array<QuantityKind, 5> kKinds{{
    {"A", "Activities", "Activities ", false},
    {"G", "Activity Coefficients", "Activity Coefficients", true},
    {"F", "Oxide mole fractions in silicate", "oxide mole fractional in silicate", false},
    {"X", "Gas Mole Fractions", "gas mole fractions", false},
    {"P", "Gas Partial Pressures", "partial pressures", false},
}};

}  // namespace

std::span<const QuantityKind> Quantity::kinds() {
  return kKinds;
}

std::string Quantity::codesText() {
  std::string text;
  for (std::size_t at = 0; at < kKinds.size(); ++at) {
    if (at > 0) text += at + 1 == kKinds.size() ? " or " : ", ";
    text += kKinds[at].code;
  }
  return text;
}

Quantity Quantity::fromCode(std::string_view code) {
  for (const QuantityKind& kind : kKinds) {
    if (kind.code == code) return Quantity(kind.label, kind.heldAsDouble);
  }
  return Quantity({}, false);
}

std::string compoundKeyOf(std::string_view quantityCode, std::string_view formula) {
  std::string key(quantityCode);
  return key.append(formula).append(" ");
}

}  // namespace durno
