#include "convert/number_parser.hpp"

#include <algorithm>
#include <cstdint>

#include "convert/powers_of_ten.hpp"

namespace durno {
namespace {

constexpr int kKeptDigits = 18;        // 10^18 - 1 < 2^63: the kept digits are exact.
constexpr int kExponentCap = 9999;     // The exponent stops growing here.
constexpr int kTooLargePoint = 4933;   // P >= 4933: |x| >= 10^4932, past the extended range.
constexpr int kTooSmallPoint = -4933;  // P <= -4933: below the smallest subnormal.
// Counts of digits stop growing here; anything past the range rules above is equivalent,
// and the cap keeps P far from integer overflow on texts of any length.
constexpr int kDigitCountCap = 100000;
// What a number beyond the extended range becomes: 2^127 (1.70141183460469E+38).
constexpr long double kTooLargeValue = 170141183460469231731687303715884105728.0L;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A cursor over the text; reading past the end gives NUL, which ends every rule.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  char peek() const { return position_ < text_.size() ? text_[position_] : '\0'; }
  void skip() { ++position_; }
  bool take(char c) {
    if (peek() != c) return false;
    skip();
    return true;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

// The decimal mantissa: the kept digits M (k of them) and the count P of significant
// digits before the point (negative for zeros between the point and the first one).
struct Mantissa {
  std::uint64_t kept = 0;
  int keptCount = 0;
  int point = 0;
  bool anyDigit = false;
  bool nonzero = false;
};

void addDigit(Mantissa& m, char digit, bool afterPoint) {
  m.anyDigit = true;
  if (!m.nonzero && digit == '0') {
    // A leading zero: significant for the size only as a zero behind the point.
    if (afterPoint && m.point > -kDigitCountCap) --m.point;
    return;
  }
  m.nonzero = true;
  if (m.keptCount < kKeptDigits) {
    m.kept = m.kept * 10 + static_cast<unsigned>(digit - '0');
    ++m.keptCount;
  }
  if (!afterPoint && m.point < kDigitCountCap) ++m.point;
}

Mantissa readMantissa(Reader& in) {
  Mantissa m;
  bool afterPoint = false;
  for (;;) {
    const char c = in.peek();
    if (isDigit(c)) {
      addDigit(m, c, afterPoint);
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
    } else {
      return m;
    }
    in.skip();
  }
}

// The exponent after an E/e/D/d marker; no digits mean 0.
int readExponent(Reader& in) {
  const char marker = in.peek();
  if (marker != 'E' && marker != 'e' && marker != 'D' && marker != 'd') return 0;
  in.skip();
  const bool negative = in.take('-');
  if (!negative) in.take('+');
  int exponent = 0;
  while (isDigit(in.peek())) {
    exponent = std::min(exponent * 10 + (in.peek() - '0'), kExponentCap);
    in.skip();
  }
  return negative ? -exponent : exponent;
}

int radixDigitValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;  // No radix accepts it.
}

// The radix named by the letter after '&', which is consumed; any other byte means octal
// and is left for the digits.
int readRadixLetter(Reader& in) {
  const char letter = in.peek();
  int radix = 0;
  if (letter == 'H' || letter == 'h') radix = 16;
  if (letter == 'O' || letter == 'o' || letter == 'Q' || letter == 'q') radix = 8;
  if (letter == 'B' || letter == 'b') radix = 2;
  if (radix == 0) return 8;
  in.skip();
  return radix;
}

// "&H1F", "&O17", "&Q17", "&B101", "&17": a whole number read up to the first byte that
// is not a digit of its radix. It grows in extended precision (exact up to 2^64) and
// stops at 2^127, the same value a decimal number beyond range gives.
long double readRadixNumber(Reader& in) {
  const int radix = readRadixLetter(in);
  long double value = 0;
  for (int digit = radixDigitValue(in.peek()); digit < radix; digit = radixDigitValue(in.peek())) {
    value = std::min(value * radix + digit, kTooLargeValue);
    in.skip();
  }
  return value;
}

}  // namespace

long double parseNumber(std::string_view text) {
  Reader in(text);
  while (in.peek() == ' ' || in.peek() == '\t' || in.peek() == '\n')
    in.skip();
  if (in.take('&')) return readRadixNumber(in);
  const bool negative = in.take('-');
  if (!negative) in.take('+');
  const Mantissa m = readMantissa(in);
  if (!m.anyDigit) return 0;
  const int point = m.point + readExponent(in);
  long double magnitude = 0;
  if (!m.nonzero || point <= kTooSmallPoint) {
    magnitude = 0;
  } else if (point >= kTooLargePoint) {
    magnitude = kTooLargeValue;
  } else {
    magnitude = scaleByPowerOfTen(static_cast<long double>(m.kept), point - m.keptCount);
  }
  return negative ? -magnitude : magnitude;
}

}  // namespace durno
