#pragma once

// The quantity code of a run selects which values fill the table's compound columns, the
// label line of the output table, and how a value is held. Only the codes of
// Quantity::kinds() select one; any other code is accepted by the dialogue and simply
// selects none. This is the one description of the quantities: the menu, the command line,
// its help and its messages are made from it.

#include <span>
#include <string>
#include <string_view>

#include "convert/extended_format.hpp"

namespace durno {

struct QuantityKind {
  std::string_view code;      // "A"
  std::string_view menuName;  // as the dialogue's menu names it
  std::string_view label;     // the output table's label line, without its line end
  bool heldAsDouble;
};

class Quantity {
 public:
  // Every quantity a table can hold, in the order of the menu.
  static std::span<const QuantityKind> kinds();
  // The codes of kinds() as a sentence: "A, G, F, X or P".
  static std::string codesText();

  // The quantity a code selects; the comparison is exact ("a" selects none).
  static Quantity fromCode(std::string_view code);

  // False for a code that selects none: no label, no compound columns.
  bool known() const { return !label_.empty(); }
  // The output table's label line, without its line end; empty when unknown.
  std::string_view label() const { return label_; }
  // A value as the table holds it. Activity coefficients are held as doubles: a number
  // beyond the double range becomes an infinity, which the table shows as such.
  bool heldAsDouble() const { return heldAsDouble_; }
  long double held(long double value) const {
    return heldAsDouble_ ? static_cast<long double>(roundToDouble(value)) : value;
  }

 private:
  Quantity(std::string_view label, bool heldAsDouble)
      : label_(label), heldAsDouble_(heldAsDouble) {}

  std::string_view label_;
  bool heldAsDouble_ = false;
};

// The key a formula becomes, typed or given with -c: the code, the formula, one blank. The
// blank keeps "ASiO2" from matching the lines of "ASiO2Al".
std::string compoundKeyOf(std::string_view quantityCode, std::string_view formula);

}  // namespace durno
