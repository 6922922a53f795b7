#pragma once

// The program's number-to-text conversion under a format mask ('0' forced digit, '#'
// optional digit, '.', 'e+'/'E-' exponent marker, literal blanks and "-+()$", every other
// byte ignored). Digits are never dropped to fit: a number too wide for the mask widens
// its field. Rounding is judged on the 18-digit decimal form, ties to even.
//
// Choices for masks the program never uses: a mask without integer positions writes its
// integer digits (at least "0") just before its first '.', or at its end; an exponent
// marker with no digit position after it is written as literal text; a mask whose
// exponent positions are optional still writes at least one exponent digit. The
// extended mask characters ';', ',', '%', '*', '"' and '\' are not recognised (ignored).

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
  // The analysed mask as a short program: each step writes literal bytes or the digits
  // of one kind of position, so a field costs a few steps rather than one per mask byte.
  enum class Op : unsigned char {
    kText,              // literals_[first, first + count)
    kIntegerSlot,       // integer slot number `first` (slots count from the left)
    kForcedFractions,   // fraction digits first .. first + count - 1
    kOptionalFraction,  // fraction digit `first`, left out when it and all after are zeros
    kExponentSlot,      // exponent position number `first`
  };
  struct Step {
    Op op = Op::kText;
    int first = 0;
    int count = 0;
  };
  struct Rounded;

  void analyse(std::string_view mask);
  void recogniseExponentTemplate();
  // The common exponent-form field written without the step program; false (nothing
  // written) where the number needs the general rules.
  bool appendByTemplate(std::string& out, long double x) const;
  void addText(std::vector<Step>& steps, char c);
  char* writeMantissa(char* out, const Rounded& number) const;
  char* writeExponent(char* out, int exponent) const;
  char* placeExponentDigits(char* out, const char* padded, int total) const;

  // The mantissa part in mask order. A mask without integer positions gets one integer
  // slot in front of its first '.' (or at its end), where the integer digits go.
  std::vector<Step> mantissa_;
  // The part after the exponent marker: its literals and positions, in mask order.
  std::vector<Step> exponent_;
  std::string literals_;        // The bytes of every kText step.
  int integerPositions_ = 0;    // Digit positions before the first '.', as in the mask.
  int integerSlots_ = 0;        // The same, counting a slot added for the integer digits.
  int leftmostForcedSlot_ = 0;  // Slot number of the leftmost '0'; integerSlots_ if none.
  int fractionPositions_ = 0;
  bool anyOptionalFraction_ = false;
  int exponentPositions_ = 0;
  int forcedExponentPositions_ = 0;
  bool hasExponent_ = false;
  char exponentLetter_ = 'e';
  bool exponentSignAlways_ = true;  // An "e+" marker; "e-" writes a sign only when negative.
  bool emptyMask_ = true;
  // A mask of the shape [literals] 0..0 . 0..0 e+ 0..0 [literals], such as the table's
  // value mask: every nonzero number whose exponent fits the positions is written as the
  // literals around a fixed layout of its rounded digits.
  bool exponentTemplate_ = false;
  std::string templatePrefix_;
  std::string templateSuffix_;
};

// One-off form of MaskFormatter(mask).format(x).
std::string formatWithMask(long double x, std::string_view mask);

}  // namespace durno
