#include "extract/quantity.hpp"

namespace durno {

Quantity quantityFromCode(std::string_view code) {
  if (code == "A") return Quantity::Activities;
  if (code == "G") return Quantity::ActivityCoefficients;
  if (code == "F") return Quantity::OxideFractions;
  if (code == "P") return Quantity::PartialPressures;
  if (code == "X") return Quantity::GasFractions;
  return Quantity::None;
}

std::string_view quantityLabel(Quantity quantity) {
  switch (quantity) {
    case Quantity::Activities:
      return "Activities ";
    case Quantity::ActivityCoefficients:
      return "Activity Coefficients";
    case Quantity::OxideFractions:
      return "oxide mole fractional in silicate";
    case Quantity::PartialPressures:
      return "partial pressures";
    case Quantity::GasFractions:
      return "gas mole fractions";
    case Quantity::None:
      break;
  }
  return {};
}

}  // namespace durno
