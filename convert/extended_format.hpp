#pragma once

#include <limits>

namespace durno {

// Every number the program reads, keeps and writes is an x87 80-bit extended float: the
// table fields are defined by rounding in exactly that format, so a platform whose
// long double is a plain double (or a 128-bit quad) would write different digits.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 80-bit extended format (64-bit significand)");
static_assert(std::numeric_limits<long double>::max_exponent == 16384,
              "long double must have the 15-bit exponent of the x87 extended format");

// The nearest double to value, ties to even, with magnitudes beyond the double range
// becoming infinities. Written out because a conversion of an out-of-range value is not
// something the language defines. Halfway between the largest double (2^1024 - 2^971) and
// 2^1024 lies 2^1024 - 2^970; from there on the value rounds to infinity (the tie goes to
// the even neighbour, and the largest double's last significand bit is odd).
inline double roundToDouble(long double value) {
  constexpr long double kOverflowFrom = 0x1p1024L - 0x1p970L;
  if (value >= kOverflowFrom) return std::numeric_limits<double>::infinity();
  if (value <= -kOverflowFrom) return -std::numeric_limits<double>::infinity();
  return static_cast<double>(value);
}

}  // namespace durno
