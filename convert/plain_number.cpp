#include "convert/plain_number.hpp"

#include <array>

#include "convert/decimal_form.hpp"

namespace durno {
namespace {

constexpr int kPlainDigits = 15;

// The form's digits cut to 15, rounded on the 16th digit alone (an exact 5 goes to the
// even 15th digit whatever follows), with trailing zeros dropped; returns how many remain.
int roundToPlainDigits(DecimalForm& form) {
  auto& d = form.digits;
  const char judged = d[kPlainDigits];
  const bool up = judged > '5' || (judged == '5' && (d[kPlainDigits - 1] - '0') % 2 == 1);
  if (up) {
    int i = kPlainDigits - 1;
    while (i >= 0 && d[static_cast<std::size_t>(i)] == '9')
      d[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++d[static_cast<std::size_t>(i)];
    } else {
      d[0] = '1';  // 999...9 carried out: 1 followed by zeros, one place further left.
      ++form.point;
    }
  }
  int count = kPlainDigits;
  while (count > 1 && d[static_cast<std::size_t>(count - 1)] == '0')
    --count;
  return count;
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
  DecimalForm form = decimalForm(x);
  if (form.digits[0] == '0') return " 0 ";
  std::string text(1, form.negative ? '-' : ' ');
  const int count = roundToPlainDigits(form);
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
