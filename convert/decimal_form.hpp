#pragma once

// The 18-digit decimal form of a number and its rounding to fewer digits, the common
// first steps of both number-to-text conversions (the plain number text and the mask
// formatter).

#include <array>
#include <cstddef>
#include <cstdint>

namespace durno {

// The digits of the decimal form, and those the number parser keeps of a text: 10^18 - 1 is
// below 2^63, so 18 digits are exact in a 64-bit integer and in the extended format's 64-bit
// significand, and a number read with no more digits is written from them unchanged.
inline constexpr int kDecimalFormDigits = 18;

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
  std::array<char, kDecimalFormDigits> digits{};
  // Point position p: 10^(p-1) <= |x| < 10^p. Zero has p = 1.
  int point = 1;
  // True for x < 0; zero of either sign is positive.
  bool negative = false;
};

// |x| is scaled by a power of ten formed in extended precision so that the product lies
// in [1e17, 1e18), rounded to an integer (ties to even) and written in decimal; a product
// that rounds up to 1e18 is divided by ten, rounded again, and p grows by one.
// An infinity gives the digits 1 followed by zeros at p = 1000, so the mask
// " 00.000000000e+00   " writes " 10.000000000e+998   " for it: kept so, because tables
// users already have show that for a value beyond the double range. NaN, which no
// conversion produces, is treated as zero. The power of ten is 10^|18 - p| correctly
// rounded, applied by one multiplication (p < 18) or division (p > 18); only subnormals
// need two steps.
DecimalInteger decimalInteger(long double x);

// 10^0 .. 10^18.
inline constexpr auto kIntegerPowersOfTen = [] {
  std::array<std::uint64_t, 19> powers{};
  powers[0] = 1;
  for (std::size_t n = 1; n < powers.size(); ++n)
    powers[n] = powers[n - 1] * 10;
  return powers;
}();

// Rounds number to the leading `keep` of its 18 digits, the digits behind becoming zeros:
// the dropped part against half a unit of the last kept digit, a tie to an even last kept
// digit. A carry out of the first digit leaves 1 followed by zeros and raises the point
// by one. keep >= 18 changes nothing; keep < 0 gives zero (the point stays).
inline void roundToLeadingDigits(DecimalInteger& number, int keep) {
  constexpr int kDigits = kDecimalFormDigits;
  if (keep >= kDigits) return;
  if (keep < 0) {
    number.significand = 0;
    return;
  }
  const std::uint64_t unit = kIntegerPowersOfTen[static_cast<std::size_t>(kDigits - keep)];
  std::uint64_t kept = number.significand / unit;
  const std::uint64_t dropped = number.significand % unit;
  if (dropped > unit / 2 || (dropped == unit / 2 && kept % 2 == 1)) ++kept;
  if (kept == kIntegerPowersOfTen[static_cast<std::size_t>(keep)]) {
    number.significand = kIntegerPowersOfTen[kDigits - 1];
    ++number.point;
    return;
  }
  number.significand = kept * unit;
}

// Writes value < 10^18 as exactly 18 decimal digits, zeros in front.
void writeEighteenDigits(std::uint64_t value, char* out);

// The number's digits written out.
inline DecimalForm decimalForm(const DecimalInteger& number) {
  DecimalForm form;
  form.point = number.point;
  form.negative = number.negative;
  writeEighteenDigits(number.significand, form.digits.data());
  return form;
}

}  // namespace durno
