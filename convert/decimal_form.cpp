#include "convert/decimal_form.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "convert/powers_of_ten.hpp"

namespace durno {
namespace {

constexpr long double kLowestScaled = 1e17L;   // 10^17, exact.
constexpr long double kScaledLimit = 1e18L;    // 10^18, exact.
constexpr std::uint64_t kDigitsLimit = 1000000000000000000ULL;  // 10^18
// Adding 2^63 to a value below 2^63 leaves a sum whose last significand bit weighs 1, so
// the addition rounds to an integer (ties to even); subtracting 2^63 again is exact.
constexpr long double kIntegerRounder = 9223372036854775808.0L;  // 2^63

// The point position an infinity is written with: the digits 1 followed by zeros at
// p = 1000, the text the program's tables have always shown for a value beyond range.
constexpr int kInfinityPoint = 1000;

// The binary exponent e with 2^e <= |x| < 2^(e+1), for finite nonzero x.
int binaryExponent(long double x) {
  // The x87 extended layout: 64-bit significand, then sign and a 15-bit biased exponent.
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &x, sizeof bytes);
  const int biased = (bytes[9] & 0x7F) << 8 | bytes[8];
  constexpr int kExponentBias = 16383;
  if (biased != 0) return biased - kExponentBias;
  return std::ilogb(x);  // Subnormal: the position of the leading one bit.
}

// floor(e * log10(2)) for |e| < 2^16, from 1292913986 = floor(2^32 * log10(2)); the
// truncated constant errs by less than 1e-6 over that range, and the caller corrects a
// guess that is off by one anyway.
int floorLog10OfPowerOfTwo(int e) {
  return static_cast<int>((std::int64_t{e} * 1292913986) >> 32);
}

void writeDigits(std::uint64_t value, std::array<char, 18>& digits) {
  for (int i = 17; i >= 0; --i) {
    digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

}  // namespace

DecimalForm decimalForm(long double x) {
  DecimalForm form;
  form.digits.fill('0');
  if (std::isnan(x) || x == 0) return form;
  form.negative = std::signbit(x);
  const long double magnitude = std::fabs(x);
  if (std::isinf(magnitude)) {
    form.digits[0] = '1';
    form.point = kInfinityPoint;
    return form;
  }
  // Choose p so that |x| * 10^(18 - p) lies in [1e17, 1e18); the first guess from the
  // binary exponent is right or one too small, and the test on the product settles it.
  int point = floorLog10OfPowerOfTwo(binaryExponent(magnitude)) + 1;
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
  const long double rounded = (scaled + kIntegerRounder) - kIntegerRounder;
  auto integer = static_cast<std::uint64_t>(rounded);
  if (integer >= kDigitsLimit) {  // Rounded up to 10^18 exactly: one digit more, p + 1.
    integer /= 10;
    ++point;
  }
  writeDigits(integer, form.digits);
  form.point = point;
  return form;
}

}  // namespace durno
