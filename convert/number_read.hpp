#pragma once

// A number as the parser read it, before it is rounded to the extended format: for a
// decimal text, the significant digits it kept and where the point stands. Rounding is
// left until the value is wanted, and a formatter whose field the digits alone decide
// (MaskFormatter::writeExactDecimal) needs no rounding at all.

#include <cstdint>

#include "convert/extended_format.hpp"
#include "convert/word_ops.hpp"

namespace durno {

class NumberRead {
 public:
  // Zero.
  NumberRead() = default;
  // A number known by its value alone.
  explicit NumberRead(long double value) { setValue(value); }

  // Setters, so that a scan writes each number where it is kept instead of copying it in.
  void setValue(long double value) {
    value_ = value;
    decimal_ = false;
    exact_ = false;
    digitBytes_ = false;
  }
  // The nonzero decimal number significand * 10^(point - digitCount), significand holding
  // digitCount digits (at most 18) and point within the parser's range rules;
  // everyDigitKept tells that the text had no significant digit beyond them.
  void setDecimal(std::uint64_t significand, int digitCount, int point, bool negative,
                  bool everyDigitKept) {
    significand_ = significand;
    point_ = point;
    digitCount_ = static_cast<std::int8_t>(digitCount);
    negative_ = negative;
    decimal_ = true;
    exact_ = everyDigitKept;
    digitBytes_ = false;
  }
  // The nonzero decimal number of at most 8 digits given one per byte, the first in the
  // lowest byte (values 0 to 9, bytes beyond the digits 0), as a text read eight bytes at a
  // time has them: they need not be joined into one number unless the value is wanted.
  void setShortDecimal(std::uint64_t digitBytes, int digitCount, int point, bool negative) {
    setDecimal(digitBytes, digitCount, point, negative, true);
    digitBytes_ = true;
  }

  // The number in the extended format, exactly as parseNumber gives it for the same text.
  long double value() const;

  // Whether the number is exactly significand() * 10^(point() - digitCount()), nonzero:
  // a decimal text whose every significant digit was kept.
  bool isExactDecimal() const { return exact_; }
  std::uint64_t significand() const {
    return digitBytes_ ? joinDigits(significand_, digitCount_) : significand_;
  }
  // For a short decimal: its digits one per byte as setShortDecimal took them; else false.
  bool digitBytes(std::uint64_t& bytes) const {
    bytes = significand_;
    return digitBytes_;
  }
  int digitCount() const { return digitCount_; }
  // 10^(point - 1) <= |number| < 10^point.
  int point() const { return point_; }
  bool negative() const { return negative_; }

 private:
  long double value_ = 0;          // unless decimal_
  std::uint64_t significand_ = 0;  // the digits one per byte when digitBytes_
  std::int32_t point_ = 0;
  std::int8_t digitCount_ = 0;
  bool negative_ = false;
  bool decimal_ = false;
  bool exact_ = false;
  bool digitBytes_ = false;
};

}  // namespace durno
