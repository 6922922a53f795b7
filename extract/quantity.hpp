#pragma once

// The quantity code of a run selects which values fill the table's compound columns, the
// label line of the output table, and how a value is held. Only "A", "G", "F", "P" and "X"
// select one; any other code is accepted by the dialogue and simply selects none.

#include <string_view>

#include "convert/extended_format.hpp"

namespace durno {

class Quantity {
 public:
  // The quantity a code selects; the comparison is exact ("a" selects none).
  static Quantity fromCode(std::string_view code);

  // False for a code that selects none: no label, no compound columns.
  bool known() const { return !label_.empty(); }
  // The output table's label line, without its line end; empty when unknown.
  std::string_view label() const { return label_; }
  // A value as the table holds it. Activity coefficients are held as doubles: a number
  // beyond the double range becomes an infinity, which the table shows as such.
  long double held(long double value) const {
    return heldAsDouble_ ? static_cast<long double>(roundToDouble(value)) : value;
  }

 private:
  Quantity(std::string_view label, bool heldAsDouble)
      : label_(label), heldAsDouble_(heldAsDouble) {}

  std::string_view label_;
  bool heldAsDouble_ = false;
};

}  // namespace durno
