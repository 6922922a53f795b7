#pragma once

// Powers of ten in the extended format, shared by the parser and the decimal form. Private
// to convert/: other parts convert through the public functions only.

#include "convert/extended_format.hpp"

namespace durno {

// The largest n for which 10^n is finite in the extended format (10^4932 < 1.19e4932).
inline constexpr int kLargestFinitePowerOfTen = 4932;

// 10^0 .. 10^27 are exact in a 64-bit significand: 10^n = 5^n * 2^n and 5^27 < 2^64 < 5^28.
inline constexpr int kLargestExactPowerOfTen = 27;
inline constexpr long double kExactPowersOfTen[kLargestExactPowerOfTen + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// 10^n correctly rounded to the extended format (to nearest, ties to even), for
// 0 <= n <= kLargestFinitePowerOfTen. Up to 10^27 the value is exact.
long double powerOfTen(int n);

// scaleByPowerOfTen for the powers beyond the exact ones.
long double scaleByFarPowerOfTen(long double x, int n);

// x * 10^n for any n, with the power formed first and applied by one multiplication
// (n >= 0) or one division (n < 0). Where 10^|n| itself would overflow, the power is
// applied in two steps; that happens only for results in or near the subnormal range.
// Precondition: |n| <= 2 * kLargestFinitePowerOfTen. Inline for the exact powers, which
// nearly every everyday number needs, so a conversion makes no call for them.
inline long double scaleByPowerOfTen(long double x, int n) {
  if (n >= 0 && n <= kLargestExactPowerOfTen) return x * kExactPowersOfTen[n];
  if (n < 0 && n >= -kLargestExactPowerOfTen) return x / kExactPowersOfTen[-n];
  return scaleByFarPowerOfTen(x, n);
}

}  // namespace durno
