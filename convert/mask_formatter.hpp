#pragma once

// The program's number-to-text conversion under a format mask ('0' forced digit, '#'
// optional digit, '.', 'e+'/'E-' exponent marker, literal blanks and "-+()$", every other
// byte ignored). Digits are never dropped to fit: a number too wide for the mask widens
// its field. Rounding is judged on the 18-digit decimal form, ties to even.

#include <string>
#include <string_view>

#include "convert/extended.hpp"

namespace durno {

class MaskFormatter {
 public:
  // Analyses the mask once; formatting many numbers under one mask costs no re-parse.
  explicit MaskFormatter(std::string_view mask);

  // The field for x. A double argument is widened exactly, so it formats as the double.
  std::string format(long double x) const;

  // Appends the field for x to out, for callers that compose a whole row in one buffer.
  void appendTo(std::string& out, long double x) const;

 private:
  struct Layout;
  std::string mask_;
  // Filled by the constructor; what the analysed mask holds is private to the formatter.
  struct Analysed {
    int integerPositions = 0;
    int fractionPositions = 0;
    int exponentPositions = 0;
    bool hasExponent = false;
    bool emptyMask = true;
  } analysed_;
};

// One-off form of MaskFormatter(mask).format(x).
std::string formatWithMask(long double x, std::string_view mask);

}  // namespace durno
