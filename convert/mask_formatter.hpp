#pragma once

// The program's number-to-text conversion under a format mask ('0' forced digit, '#'
// optional digit, '.', 'e+'/'E-' exponent marker, literal blanks and "-+()$", every other
// byte ignored). Digits are never dropped to fit: a number too wide for the mask widens
// its field. Rounding is judged on the 18-digit decimal form, ties to even.

#include <string>
#include <string_view>
#include <vector>

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
  // What one mask character became. The decimal point and the other literals are written
  // as they stand; digit positions receive digits.
  enum class Slot : unsigned char { kLiteral, kIntegerPosition, kFractionPosition };
  struct Item {
    Slot slot = Slot::kLiteral;
    char text = ' ';      // The byte a literal writes.
    bool forced = false;  // '0' rather than '#'.
  };
  struct Rounded;

  void analyse(std::string_view mask);
  char* writeMantissa(char* out, const Rounded& number) const;
  char* writeExponent(char* out, int exponent) const;

  // The mantissa part in mask order. A mask without integer positions gets one optional
  // position in front of its first '.' (or at its end), where the integer digits go.
  std::vector<Item> mantissa_;
  // The part after the exponent marker: literals and exponent positions, in mask order.
  std::vector<Item> exponent_;
  int integerPositions_ = 0;     // Digit positions before the first '.', as in the mask.
  int placedIntegerSlots_ = 0;   // The same, counting the position added for the digits.
  int leftmostForcedInteger_ = 0;  // Index among the integer slots; placedIntegerSlots_ if none.
  int fractionPositions_ = 0;
  bool anyOptionalFraction_ = false;
  int exponentPositions_ = 0;
  int forcedExponentPositions_ = 0;
  bool hasExponent_ = false;
  char exponentLetter_ = 'e';
  bool exponentSignAlways_ = true;  // An "e+" marker; "e-" writes a sign only when negative.
  bool emptyMask_ = true;
};

// One-off form of MaskFormatter(mask).format(x).
std::string formatWithMask(long double x, std::string_view mask);

}  // namespace durno
