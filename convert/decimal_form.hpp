#pragma once

// The 18-digit decimal form of a number, the common first step of both number-to-text
// conversions (the plain number text and the mask formatter).

#include <array>

namespace durno {

struct DecimalForm {
  // The 18 significant decimal digits of |x| as ASCII '0'..'9'; all '0' for zero.
  std::array<char, 18> digits{};
  // Point position p: 10^(p-1) <= |x| < 10^p. Zero has p = 1.
  int point = 1;
  // True for x < 0; zero of either sign is positive.
  bool negative = false;
};

// |x| is scaled by a power of ten formed in extended precision so that the product lies
// in [1e17, 1e18), rounded to an integer (ties to even) and written in decimal; a product
// that rounds up to 1e18 is divided by ten, rounded again, and p grows by one.
// An infinity gives the digits 1 followed by zeros at p = 1000, so the value mask writes
// ' 10.000000000e+998   ' for a double field that overflowed. NaN, which no conversion
// produces, is treated as zero. The power of ten is 10^|18 - p| correctly rounded, applied
// by one multiplication (p < 18) or division (p > 18); only subnormals need two steps.
DecimalForm decimalForm(long double x);

}  // namespace durno
