#pragma once

// A number as the parser read it, before it is rounded to the extended format: for a
// decimal text, the significant digits it kept and where the point stands. Rounding is
// left until the value is wanted, and a formatter whose field the digits alone decide
// (MaskFormatter::writeExactDecimal) needs no rounding at all.

#include <cstdint>

#include "convert/extended_format.hpp"

namespace durno {

class NumberRead {
 public:
  // Zero.
  NumberRead() = default;
  // A number known by its value alone.
  explicit NumberRead(long double value) : value_(value) {}

  // The nonzero decimal number significand * 10^(point - digitCount), significand holding
  // digitCount digits (at most 18) and point within the parser's range rules;
  // everyDigitKept tells that the text had no significant digit beyond them.
  static NumberRead decimal(std::uint64_t significand, int digitCount, int point, bool negative,
                            bool everyDigitKept) {
    NumberRead number;
    number.significand_ = significand;
    number.point_ = point;
    number.digitCount_ = static_cast<std::int8_t>(digitCount);
    number.negative_ = negative;
    number.decimal_ = true;
    number.exact_ = everyDigitKept;
    return number;
  }

  // The number in the extended format, exactly as parseNumber gives it for the same text.
  long double value() const;

  // Whether the number is exactly significand() * 10^(point() - digitCount()), nonzero:
  // a decimal text whose every significant digit was kept.
  bool isExactDecimal() const { return exact_; }
  std::uint64_t significand() const { return significand_; }
  int digitCount() const { return digitCount_; }
  // 10^(point - 1) <= |number| < 10^point.
  int point() const { return point_; }
  bool negative() const { return negative_; }

 private:
  long double value_ = 0;  // unless decimal_
  std::uint64_t significand_ = 0;
  std::int32_t point_ = 0;
  std::int8_t digitCount_ = 0;
  bool negative_ = false;
  bool decimal_ = false;
  bool exact_ = false;
};

}  // namespace durno
