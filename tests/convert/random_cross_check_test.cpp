// Randomised checks of the conversions against straightforward reference computations:
// the 18-digit form computed the plain way from the C library's own powers of ten, strtold
// where the parser's rules agree with it, and a plain string version of the value mask.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "convert/decimal_form.hpp"
#include "convert/mask_formatter.hpp"
#include "convert/number_parser.hpp"
#include "tests/convert/mask_field.hpp"

namespace durno {
namespace {

using testing_support::fieldOf;

constexpr int kRandomCases = 300000;

// A long double with a uniformly random significand and a binary exponent in [low, high].
long double randomExtended(std::mt19937_64& random, int low, int high) {
  const std::uint64_t significand = random() | (std::uint64_t{1} << 63);
  std::uniform_int_distribution<int> exponent(low, high);
  const long double value =
      std::ldexp(static_cast<long double>(significand), exponent(random) - 63);
  return (random() & 1) != 0 ? -value : value;
}

double randomDouble(std::mt19937_64& random) {
  for (;;) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) return value;
  }
}

std::string formDigits(const DecimalForm& form) {
  return {form.digits.begin(), form.digits.end()};
}

// 10^n as the C library reads it: correctly rounded to the extended format.
long double libraryPowerOfTen(int n) {
  return std::strtold(("1e" + std::to_string(n)).c_str(), nullptr);
}

// x * 10^n the plain way: one multiplication or division by the library's power, in two
// steps only where that power would overflow.
long double referenceScale(long double x, int n) {
  constexpr int kLargest = 4932;
  if (n > kLargest) return x * libraryPowerOfTen(kLargest) * libraryPowerOfTen(n - kLargest);
  if (n < -kLargest) return x / libraryPowerOfTen(-n - kLargest) / libraryPowerOfTen(kLargest);
  return n >= 0 ? x * libraryPowerOfTen(n) : x / libraryPowerOfTen(-n);
}

// The 18-digit form computed straight from its definition: search the p whose product
// lies in [1e17, 1e18), round it with nearbyint (ties to even), print it with printf.
std::string referenceDigits(long double x, int& point) {
  const long double magnitude = std::fabs(x);
  point = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
  long double scaled = referenceScale(magnitude, 18 - point);
  while (scaled >= 1e18L)
    scaled = referenceScale(magnitude, 18 - ++point);
  while (scaled < 1e17L)
    scaled = referenceScale(magnitude, 18 - --point);
  long double rounded = std::nearbyint(scaled);
  if (rounded == 1e18L) {
    rounded = 1e17L;
    ++point;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.0Lf", rounded);
  return text;
}

TEST(RandomCrossCheck, DecimalFormFollowsItsDefinitionOverTheWholeRange) {
  std::mt19937_64 random(5);
  for (int i = 0; i < kRandomCases / 3; ++i) {
    const long double x = i % 2 == 0 ? randomExtended(random, -16445, 16383) : randomDouble(random);
    if (x == 0) continue;
    int point = 0;
    const std::string digits = referenceDigits(x, point);
    const DecimalForm form = decimalForm(decimalInteger(x));
    ASSERT_EQ(formDigits(form), digits) << static_cast<double>(x);
    ASSERT_EQ(form.point, point) << static_cast<double>(x);
  }
}

TEST(RandomCrossCheck, ParserScalesByTheCorrectlyRoundedPower) {
  std::mt19937_64 random(6);
  std::uniform_int_distribution<std::uint64_t> mantissa(1, 999999999999999999ULL);
  std::uniform_int_distribution<int> exponent(-4950, 4914);
  for (int i = 0; i < kRandomCases / 3; ++i) {
    const std::uint64_t m = mantissa(random);
    const int e = exponent(random);
    const std::string text = std::to_string(m) + "E" + std::to_string(e);
    if (static_cast<int>(text.find('E')) + e <= -4933) continue;  // Below range: 0 by rule.
    ASSERT_EQ(parseNumber(text), referenceScale(static_cast<long double>(m), e)) << text;
  }
}

// Texts of at most 18 digits whose power of ten is exact parse to the correctly rounded
// value, which is what strtold gives; short mantissas take the word-at-a-time way.
TEST(RandomCrossCheck, ParserMatchesStrtoldWhereThePowerIsExact) {
  std::mt19937_64 random(2);
  std::uniform_int_distribution<int> digitCount(1, 18);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> exponent(-9, 9);
  for (int i = 0; i < kRandomCases; ++i) {
    const int count = digitCount(random);
    std::string mantissa;
    for (int d = 0; d < count; ++d)
      mantissa += static_cast<char>('0' + digit(random));
    const int pointAt = std::uniform_int_distribution<int>(0, count)(random);
    mantissa.insert(static_cast<std::size_t>(pointAt), 1, '.');
    std::string text = random() & 1 ? "-" : "";
    text.append(mantissa);
    // Without an exponent the text may end right behind a digit run.
    if (random() & 1) text.append("E").append(std::to_string(exponent(random)));
    ASSERT_EQ(parseNumber(text), std::strtold(text.c_str(), nullptr)) << text;
  }
}

// The value mask written out by hand: 11 digits rounded by the rule (ties on the 18-digit
// form go to even), two before the point, and E = p - 2.
std::string referenceValueField(long double x) {
  const DecimalForm form = decimalForm(decimalInteger(x));
  std::string digits = formDigits(form);
  int point = form.point;
  const std::string kept = digits.substr(0, 11);
  const std::string dropped = digits.substr(11);
  bool up = dropped[0] > '5' ||
            (dropped[0] == '5' && (dropped.find_first_not_of('0', 1) != std::string::npos ||
                                   (kept.back() - '0') % 2 == 1));
  std::string rounded = kept;
  if (up) {
    int i = 10;
    while (i >= 0 && rounded[static_cast<std::size_t>(i)] == '9')
      rounded[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++rounded[static_cast<std::size_t>(i)];
    } else {
      rounded.assign(11, '0');
      rounded[0] = '1';
      ++point;
    }
  }
  const int exponent = point - 2;
  char exponentText[16];
  std::snprintf(exponentText, sizeof exponentText, "%c%02d", exponent < 0 ? '-' : '+',
                std::abs(exponent));
  std::string field = form.negative ? " -" : " ";
  field.append(rounded, 0, 2).append(".").append(rounded, 2).append("e").append(exponentText);
  return field.append("   ");
}

TEST(RandomCrossCheck, ValueMaskMatchesTheReferenceAndParsesBackWithinHalfAUnit) {
  const MaskFormatter valueMask(" 00.000000000e+00   ");
  std::mt19937_64 random(3);
  std::string field;
  for (int i = 0; i < kRandomCases; ++i) {
    const long double x = i % 2 == 0 ? randomExtended(random, -16380, 16380) : randomDouble(random);
    field.clear();
    valueMask.appendTo(field, x);
    ASSERT_EQ(field, referenceValueField(x));
    if (x == 0) continue;
    // Half a unit of the 11th significant digit, with room for the parser's own rounding
    // of the 11-digit text.
    const int point = decimalInteger(x).point;
    const long double halfUnit = 0.5L * std::pow(10.0L, static_cast<long double>(point - 11));
    const long double back = parseNumber(field);
    ASSERT_LE(std::fabs(back - x), halfUnit * (1 + 1e-15L)) << field;
  }
}

// Exponent-form masks of the plainest shape take a shorter way to their fields. A field
// must not depend on that: behind a long run of blanks the same mask is written the
// general way, and the two fields must agree byte for byte after the blanks. The values
// include halves at the last kept digit, carries out of the first one, and exponents at
// the edge of the positions.
TEST(RandomCrossCheck, PlainExponentMasksWriteWhatTheGeneralRulesWrite) {
  const std::string longPrefix(40, ' ');
  std::vector<long double> values = {0.0L, -0.0L, 1.0L, -1.0L, 99999999999.5L, 9.5L, -9.5L,
                                     0.000123456789015L, 123456789015.0L, 123456789025.0L, 1e99L,
                                     9.99999999999e99L, 1e100L, 1e-99L, 1e-100L,
                                     // The e+998 field of an infinity.
                                     HUGE_VALL, -HUGE_VALL};
  std::mt19937_64 random(5);
  for (int i = 0; i < kRandomCases / 10; ++i) {
    values.push_back(randomExtended(random, -400, 400));
    // Whole numbers of up to 14 digits: ties and carries at the kept digits.
    values.push_back(static_cast<long double>(random() % 100000000000000ULL));
  }
  for (const char* mask : {" 00.000000000e+00   ", "0.00e+00", "(000.0E-0)", "$0.0000e+0000 ",
                           "00.00000000000000000000e+00"}) {
    const MaskFormatter plain(mask);
    const MaskFormatter prefixed(longPrefix + mask);
    for (const long double x : values) {
      const std::string general = fieldOf(prefixed, x);
      ASSERT_EQ(longPrefix + fieldOf(plain, x), general) << mask << " " << general;
    }
  }
}

// A number read from text is written from its digits where they decide the field. The
// field must be the one its value gives, and the one its value rounded to a double gives,
// for decimals of every length (trailing zeros included), points near the double range's
// ends and powers of ten, whose rounded value may fall just below them.
TEST(RandomCrossCheck, FieldsFromTheDigitsReadAreTheFieldsOfTheValue) {
  std::mt19937_64 random(6);
  std::uniform_int_distribution<int> digitCount(1, 20);
  std::uniform_int_distribution<int> exponent(-330, 330);
  std::vector<std::string> texts = {"1",
                                    "1e-300",
                                    "1e300",
                                    "-0.000100",
                                    "9.9999999999e99",
                                    "99999999999",
                                    "1.00000000000000000001"};
  for (int i = 0; i < kRandomCases / 3; ++i) {
    std::string text = (random() & 1) != 0 ? "-" : "";
    const int digits = digitCount(random);
    for (int d = 0; d < digits; ++d)
      text += static_cast<char>('0' + random() % ((random() & 3) != 0 ? 10 : 1));
    texts.push_back(text + "e" + std::to_string(exponent(random)));
  }
  int fromDigits = 0;
  for (const char* mask : {" 00.000000000e+00   ", "0.00e+00", "(000.0E-0)", "$0.0000e+0000 ",
                           "000.000000000000e+000"}) {
    const MaskFormatter formatter(mask);
    for (const std::string& text : texts) {
      const char* at = text.data();
      NumberRead number;
      parseDecimalNumber(at, text.data() + text.size(), number);
      char field[128];
      const char* end = formatter.writeExactDecimal(field, number);
      if (end == nullptr) continue;
      ++fromDigits;
      const std::string written(static_cast<const char*>(field), end);
      ASSERT_EQ(written, fieldOf(formatter, number.value())) << mask << " " << text;
      ASSERT_EQ(written, fieldOf(formatter, roundToDouble(number.value()))) << mask << " " << text;
    }
  }
  EXPECT_GT(fromDigits, kRandomCases / 3);
}

// Whole-number rounding of the step mask against a reference made of nearbyint (which
// rounds half to even), for numbers whose 18-digit form holds them exactly.
TEST(RandomCrossCheck, StepMaskRoundsHalvesToEven) {
  const MaskFormatter stepMask(" #####    ");
  std::mt19937_64 random(4);
  std::uniform_int_distribution<long long> halves(-400000, 400000);
  for (int i = 0; i < kRandomCases / 10; ++i) {
    const long double x = static_cast<long double>(halves(random)) / 2;
    const long double whole = std::nearbyint(x);
    char expected[64];
    std::snprintf(expected, sizeof expected, " %s%.0Lf    ", whole < 0 ? "-" : "",
                  std::fabs(whole));
    ASSERT_EQ(fieldOf(stepMask, x), expected) << static_cast<double>(x);
  }
}

}  // namespace
}  // namespace durno
