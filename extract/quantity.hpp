#pragma once

// The quantity code of a run selects which value table is filled and written, and the
// label line of the output table. Only "A", "G", "F", "P" and "X" select one; any other
// code is accepted by the dialogue and simply selects none.

#include <string_view>

namespace durno {

enum class Quantity {
  None,                  // any other code: no label, no compound columns
  Activities,            // "A"
  ActivityCoefficients,  // "G"
  OxideFractions,        // "F"
  PartialPressures,      // "P"
  GasFractions,          // "X"
};

// The quantity a code selects; the comparison is exact ("a" selects none).
Quantity quantityFromCode(std::string_view code);

// The output table's label line for the quantity, without its line end; empty for None.
std::string_view quantityLabel(Quantity quantity);

}  // namespace durno
