#include "convert/plain_number.hpp"

#include "convert/decimal_form.hpp"

namespace durno {
namespace {

constexpr int kPlainDigits = 15;

// The number rounded to 15 digits on the 16th digit alone (an exact 5 goes to the even
// 15th digit whatever follows) and written out; count is set to how many digits remain
// once trailing zeros are dropped.
DecimalForm roundToPlainDigits(DecimalInteger number, int& count) {
  number.significand -= number.significand % 100;  // The 17th and 18th digits play no part.
  roundToLeadingDigits(number, kPlainDigits);
  const DecimalForm form = decimalForm(number);
  count = kPlainDigits;
  while (count > 1 && form.digits[static_cast<std::size_t>(count - 1)] == '0')
    --count;
  return form;
}

void appendExponentForm(std::string& text, const DecimalForm& form, int count) {
  text += form.digits[0];
  if (count > 1) {
    text += '.';
    text.append(form.digits.data() + 1, static_cast<std::size_t>(count - 1));
  }
  const int exponent = form.point - 1;
  text += 'E';
  text += exponent < 0 ? '-' : '+';
  text += std::to_string(exponent < 0 ? -exponent : exponent);
}

}  // namespace

std::string plainNumberText(long double x) {
  const DecimalInteger number = decimalInteger(x);
  if (number.significand == 0) return " 0 ";
  std::string text(1, number.negative ? '-' : ' ');
  int count = 0;
  const DecimalForm form = roundToPlainDigits(number, count);
  const int p = form.point;
  const int lastPower = p - count;  // The power of ten of the last significant digit.
  const char* digits = form.digits.data();
  if (lastPower >= 0 && count + lastPower <= kPlainDigits) {
    text.append(digits, static_cast<std::size_t>(count));
    text.append(static_cast<std::size_t>(lastPower), '0');
  } else if (lastPower < 0 && -lastPower <= kPlainDigits) {
    if (p > 0) {
      text.append(digits, static_cast<std::size_t>(p));
      text += '.';
      text.append(digits + p, static_cast<std::size_t>(count - p));
    } else {
      text += '.';
      text.append(static_cast<std::size_t>(-p), '0');
      text.append(digits, static_cast<std::size_t>(count));
    }
  } else {
    appendExponentForm(text, form, count);
  }
  text += ' ';
  return text;
}

}  // namespace durno
