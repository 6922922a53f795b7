#pragma once

// Powers of ten in the extended format, shared by the parser and the decimal form. Private
// to convert/: other parts convert through the public functions only.

#include "convert/extended.hpp"

namespace durno {

// The largest n for which 10^n is finite in the extended format (10^4932 < 1.19e4932).
inline constexpr int kLargestFinitePowerOfTen = 4932;

// 10^n correctly rounded to the extended format (to nearest, ties to even), for
// 0 <= n <= kLargestFinitePowerOfTen. Up to 10^27 the value is exact (5^27 < 2^64).
long double powerOfTen(int n);

// x * 10^n for any n, with the power formed first and applied by one multiplication
// (n >= 0) or one division (n < 0). Where 10^|n| itself would overflow, the power is
// applied in two steps; that happens only for results in or near the subnormal range.
// Precondition: |n| <= 2 * kLargestFinitePowerOfTen.
long double scaleByPowerOfTen(long double x, int n);

}  // namespace durno
