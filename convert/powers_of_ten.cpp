#include "convert/powers_of_ten.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace durno {
namespace {

// An unsigned big integer, 32-bit limbs, least significant first: just enough arithmetic
// to hold 5^n exactly and read its leading 64 bits.
using Limbs = std::vector<std::uint32_t>;

void multiplyByFive(Limbs& limbs) {
  std::uint64_t carry = 0;
  for (auto& limb : limbs) {
    const std::uint64_t product = std::uint64_t{limb} * 5 + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) limbs.push_back(static_cast<std::uint32_t>(carry));
}

int bitLength(const Limbs& limbs) {
  return static_cast<int>(limbs.size() - 1) * 32 + std::bit_width(limbs.back());
}

bool bitAt(const Limbs& limbs, int index) {
  return ((limbs[static_cast<std::size_t>(index / 32)] >> (index % 32)) & 1U) != 0;
}

bool anyBitBelow(const Limbs& limbs, int index) {
  for (int i = 0; i < index; ++i) {
    if (bitAt(limbs, i)) return true;
  }
  return false;
}

// The big integer rounded to nearest (ties to even) as an extended float.
long double roundToExtended(const Limbs& limbs) {
  const int length = bitLength(limbs);
  const int dropped = length > 64 ? length - 64 : 0;
  std::uint64_t significand = 0;
  for (int i = length - 1; i >= dropped; --i) {
    significand = (significand << 1) | (bitAt(limbs, i) ? 1U : 0U);
  }
  int exponent = dropped;
  if (dropped > 0 && bitAt(limbs, dropped - 1) &&
      (anyBitBelow(limbs, dropped - 1) || (significand & 1U) != 0)) {
    ++significand;
    if (significand == 0) {  // All 64 bits were ones: the carry makes 2^64.
      significand = std::uint64_t{1} << 63;
      ++exponent;
    }
  }
  return std::ldexp(static_cast<long double>(significand), exponent);
}

std::vector<long double> buildPowerTable() {
  std::vector<long double> table;
  table.reserve(kLargestFinitePowerOfTen + 1);
  Limbs powerOfFive{1};
  for (int n = 0; n <= kLargestFinitePowerOfTen; ++n) {
    // 10^n = 5^n * 2^n: rounding 5^n rounds 10^n, and the factor 2^n is exact.
    table.push_back(std::ldexp(roundToExtended(powerOfFive), n));
    multiplyByFive(powerOfFive);
  }
  return table;
}

}  // namespace

long double powerOfTen(int n) {
  if (n <= kLargestExactPowerOfTen) return kExactPowersOfTen[n];
  // Built once on first use (about a millisecond) and never changed afterwards.
  static const std::vector<long double> table = buildPowerTable();
  return table[static_cast<std::size_t>(n)];
}

long double scaleByFarPowerOfTen(long double x, int n) {
  if (n >= 0) {
    if (n <= kLargestFinitePowerOfTen) return x * powerOfTen(n);
    return x * powerOfTen(kLargestFinitePowerOfTen) * powerOfTen(n - kLargestFinitePowerOfTen);
  }
  const int magnitude = -n;
  if (magnitude <= kLargestFinitePowerOfTen) return x / powerOfTen(magnitude);
  return x / powerOfTen(magnitude - kLargestFinitePowerOfTen) /
         powerOfTen(kLargestFinitePowerOfTen);
}

}  // namespace durno
