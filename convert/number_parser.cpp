#include "convert/number_parser.hpp"

#include <algorithm>
#include <cstdint>

#include "convert/decimal_form.hpp"
#include "convert/powers_of_ten.hpp"
#include "convert/word_ops.hpp"

namespace durno {
namespace {

constexpr int kKeptDigits = kDecimalFormDigits;
constexpr int kExponentCap = 9999;  // The exponent stops growing here.
// The range rules: P >= 4933 means |x| >= 10^4932, which the extended format (largest
// 1.19e4932) is taken not to hold; P <= -4933 means |x| < 10^-4933, taken as zero.
constexpr int kTooLargePoint = 4933;
constexpr int kTooSmallPoint = -4933;
// Counts of digits stop growing here; anything past the range rules above is equivalent,
// and the cap keeps P far from integer overflow on texts of any length.
constexpr int kDigitCountCap = 100000;
// What a number beyond the extended range becomes: 2^127 (1.70141183460469E+38), not an
// infinity. Kept because tables and lists users already have hold this value for it.
constexpr long double kTooLargeValue = 170141183460469231731687303715884105728.0L;

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
  bool digitsDropped = false;  // significant digits beyond the kept ones
  bool keptAsBytes = false;    // kept holds the digits one per byte (takeShortMantissa)
};

// A run of digits from the first nonzero one on: the first kKeptDigits go into M, the
// rest only count. Returns the number of digits taken.
int takeSignificantDigits(const char*& at, const char* end, Mantissa& m) {
  const char* const start = at;
  for (; at != end && isDecimalDigit(*at) && m.keptCount < kKeptDigits; ++at, ++m.keptCount)
    m.kept = m.kept * 10 + static_cast<unsigned>(*at - '0');
  const char* const kept = at;
  while (at != end && isDecimalDigit(*at))
    ++at;
  m.digitsDropped = m.digitsDropped || at != kept;
  return static_cast<int>(at - start);
}

// The common short mantissa, such as "0.007794" or "6.1002" before "E-02", is read eight
// bytes at a time rather than byte by byte: a number's digit runs are of every length, and
// each loop over them ends in a mispredicted branch. False, with nothing taken, for any
// other.
bool takeShortMantissa(const char*& at, const char* end, Mantissa& m) {
  ShortMantissa read;
  if (!readShortMantissa(at, end, read)) return false;
  m.kept = read.digits;
  m.keptAsBytes = true;
  m.keptCount = read.count;
  m.point = read.point;
  m.nonzero = read.count != 0;
  m.anyDigit = true;
  at += read.taken;
  return true;
}

// Reads digits with at most one '.', leaving `at` on the first byte that is neither.
// Zeros before the first nonzero digit are not significant; behind the point they only
// move P down.
Mantissa readMantissa(const char*& at, const char* end) {
  Mantissa m;
  if (takeShortMantissa(at, end, m)) return m;
  const char* const start = at;
  while (at != end && *at == '0')
    ++at;
  if (at != end && isDecimalDigit(*at)) {
    m.nonzero = true;
    m.point = std::min(takeSignificantDigits(at, end, m), kDigitCountCap);
  }
  if (at != end && *at == '.') {
    ++at;
    if (!m.nonzero) {
      const char* const zeros = at;
      while (at != end && *at == '0')
        ++at;
      m.point = -static_cast<int>(std::min<std::ptrdiff_t>(at - zeros, kDigitCountCap));
      m.nonzero = at != end && isDecimalDigit(*at);
    }
    takeSignificantDigits(at, end, m);
  }
  // Only a '.' was read when nothing but it lies between start and at.
  m.anyDigit = at - start > 1 || (at - start == 1 && *start != '.');
  return m;
}

// The exponent after an E/e/D/d marker; no digits mean 0.
int readExponent(const char*& at, const char* end) {
  if (at == end) return 0;
  const char marker = *at;
  if (marker != 'E' && marker != 'e' && marker != 'D' && marker != 'd') return 0;
  ++at;
  const bool negative = at != end && *at == '-';
  if (at != end && (*at == '-' || *at == '+')) ++at;
  int exponent = 0;
  for (; at != end && isDecimalDigit(*at); ++at)
    exponent = std::min(exponent * 10 + (*at - '0'), kExponentCap);
  return negative ? -exponent : exponent;
}

int radixDigitValue(char c) {
  if (isDecimalDigit(c)) return c - '0';
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

void parseDecimalNumber(const char*& at, const char* end, NumberRead& number) {
  const bool negative = at != end && *at == '-';
  if (at != end && (*at == '-' || *at == '+')) ++at;
  const Mantissa m = readMantissa(at, end);
  if (!m.anyDigit) {
    number.setValue(0);
    return;
  }
  const int point = m.point + readExponent(at, end);
  if (!m.nonzero || point <= kTooSmallPoint) {
    number.setValue(negative ? -0.0L : 0.0L);
  } else if (point >= kTooLargePoint) {
    number.setValue(negative ? -kTooLargeValue : kTooLargeValue);
  } else if (m.keptAsBytes) {
    number.setShortDecimal(m.kept, m.keptCount, point, negative);
  } else {
    number.setDecimal(m.kept, m.keptCount, point, negative, !m.digitsDropped);
  }
}

long double NumberRead::value() const {
  if (!decimal_) return value_;
  const long double magnitude =
      scaleByPowerOfTen(static_cast<long double>(significand()), point_ - digitCount_);
  return negative_ ? -magnitude : magnitude;
}

long double parseNumber(std::string_view text) {
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at != end && (*at == ' ' || *at == '\t' || *at == '\n'))
    ++at;
  if (at != end && *at == '&') {
    Reader in(std::string_view(at + 1, static_cast<std::size_t>(end - at - 1)));
    return readRadixNumber(in);
  }
  NumberRead number;
  parseDecimalNumber(at, end, number);
  return number.value();
}

}  // namespace durno
