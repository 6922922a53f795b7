#pragma once

// The 18-digit decimal form of a number, the common first step of both number-to-text
// conversions (the plain number text and the mask formatter).

#include <array>
#include <cstdint>

namespace durno {

// The same form as one integer: |x| is close to significand * 10^(point - 18), with the
// significand in [10^17, 10^18); 0 for zero (point 1). The digits of DecimalForm are the
// significand written out.
struct DecimalInteger {
  std::uint64_t significand = 0;
  int point = 1;
  bool negative = false;
};

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
DecimalInteger decimalInteger(long double x);

// Writes value < 10^18 as exactly 18 decimal digits, zeros in front.
void writeEighteenDigits(std::uint64_t value, char* out);

}  // namespace durno
