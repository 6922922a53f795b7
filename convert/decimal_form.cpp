#include "convert/decimal_form.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "convert/powers_of_ten.hpp"

namespace durno {
namespace {

constexpr long double kLowestScaled = 1e17L;                    // 10^17, exact.
constexpr long double kScaledLimit = 1e18L;                     // 10^18, exact.
constexpr std::uint64_t kDigitsLimit = 1000000000000000000ULL;  // 10^18

// The point position an infinity is written with: the digits 1 followed by zeros at
// p = 1000. Kept for the e+998 field that tables users already have show for a value
// beyond the double range.
constexpr int kInfinityPoint = 1000;

// The x87 extended layout: a 64-bit significand with an explicit leading bit, then 16
// bits of sign and 15-bit biased exponent.
struct ExtendedBits {
  std::uint64_t significand = 0;
  std::uint16_t signAndExponent = 0;

  int biasedExponent() const { return signAndExponent & 0x7FFF; }
  bool negative() const { return (signAndExponent & 0x8000) != 0; }
};
constexpr int kExponentBias = 16383;
constexpr int kSpecialExponent = 0x7FFF;  // Infinities and NaNs.

ExtendedBits bitsOf(const long double& x) {
  ExtendedBits bits;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&x);
  std::memcpy(&bits.significand, bytes, sizeof bits.significand);
  std::memcpy(&bits.signAndExponent, bytes + 8, sizeof bits.signAndExponent);
  return bits;
}

// floor(log2 |x|) for finite nonzero x.
int binaryExponent(const ExtendedBits& bits) {
  if (bits.biasedExponent() != 0) return bits.biasedExponent() - kExponentBias;
  // Subnormal: significand * 2^(1 - 16383 - 63), so its leading one bit at 63 - clz
  // stands for 2^(-16382 - clz).
  return 1 - kExponentBias - std::countl_zero(bits.significand);
}

// A first guess at floor(log10 |x|) from the bits: log2 |x| = e + log2(1 + f) with f the
// fraction below the leading bit, and log2(1 + f) >= f on [0, 1), so (e + f) * log10(2)
// never exceeds log10 |x| and falls short by under 0.027. The guess is therefore exact
// except just above a power of ten, where it is one too small and the caller corrects it.
int guessFloorLog10(const ExtendedBits& bits) {
  constexpr double kLog10Of2 = 0.301029995663981195;
  constexpr double kFractionUnit = 0x1p-63;  // The weight of the significand's last bit.
  const double fraction =
      static_cast<double>(bits.significand & ~(std::uint64_t{1} << 63)) * kFractionUnit;
  const int exponent = binaryExponent(bits);
  // Subnormals have no leading bit at 63: their fraction term is dropped, which only
  // lowers the guess further, still by less than one.
  const double log2Guess = exponent + (bits.biasedExponent() != 0 ? fraction : 0.0);
  const double log10Guess = log2Guess * kLog10Of2;
  const int truncated = static_cast<int>(log10Guess);
  return truncated > log10Guess ? truncated - 1 : truncated;  // Floor, without a call.
}

// x rounded to an integer, ties to even, for 0 <= x < 2^63: the x87 store-as-integer
// instruction under the default rounding mode, in one step and without a library call
// (the library's llrintl is not inlined unless errno handling is given up for the whole
// unit).
std::uint64_t roundToInteger(long double x) {
  std::int64_t rounded;
  asm("fistpll %0" : "=m"(rounded) : "t"(x) : "st");
  return static_cast<std::uint64_t>(rounded);
}

// Two digits per step from a table of "00".."99".
constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// The nine decimal digits of value < 10^9 into out[0..8], without divisions: the product
// with 2882303762 = floor(2^58 / 10^8) + 1, shifted right by 26 and raised by 4, holds
// value / 10^8 as a 32.32 fixed-point number exact enough that the integer part is the
// first digit and each multiplication of the fraction by 100 yields the next two digits.
// (The constants follow J. Anhalt's integer-to-text method; checked for every value.)
void writeNineDigits(std::uint32_t value, char* out) {
  std::uint64_t fixed = ((std::uint64_t{value} * 2882303762ULL) >> 26) + 4;
  out[0] = static_cast<char>('0' + (fixed >> 32));
  for (int i = 1; i < 9; i += 2) {
    fixed = (fixed & 0xFFFFFFFFULL) * 100;
    std::memcpy(out + i, &kDigitPairs[2 * (fixed >> 32)], 2);
  }
}

}  // namespace

void writeEighteenDigits(std::uint64_t value, char* out) {
  constexpr std::uint64_t kNineDigits = 1000000000;  // 10^9
  writeNineDigits(static_cast<std::uint32_t>(value / kNineDigits), out);
  writeNineDigits(static_cast<std::uint32_t>(value % kNineDigits), out + 9);
}

DecimalInteger decimalInteger(long double x) {
  DecimalInteger result;
  const ExtendedBits bits = bitsOf(x);
  const bool special = bits.biasedExponent() == kSpecialExponent;
  if (bits.significand == 0 || (special && bits.significand << 1 != 0)) {
    return result;  // Zero of either sign, and NaN.
  }
  result.negative = bits.negative();
  if (special) {  // An infinity.
    result.significand = kDigitsLimit / 10;
    result.point = kInfinityPoint;
    return result;
  }
  const long double magnitude = result.negative ? -x : x;
  // Choose p so that |x| * 10^(18 - p) lies in [1e17, 1e18); the test on the product
  // settles a guess that is off by one.
  int point = guessFloorLog10(bits) + 1;
  long double scaled = scaleByPowerOfTen(magnitude, 18 - point);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (scaled >= kScaledLimit) {
      ++point;
    } else if (scaled < kLowestScaled) {
      --point;
    } else {
      break;
    }
    scaled = scaleByPowerOfTen(magnitude, 18 - point);
  }
  std::uint64_t integer = roundToInteger(scaled);
  if (integer >= kDigitsLimit) {  // Rounded up to 10^18 exactly: one digit more, p + 1.
    integer /= 10;
    ++point;
  }
  result.significand = integer;
  result.point = point;
  return result;
}

}  // namespace durno
