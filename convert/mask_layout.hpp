#pragma once

// What a format mask asks for, found once per mask: a value that the mask formatter
// writes numbers by. Private to convert/: other parts format through MaskFormatter.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace durno {

struct MaskLayout {
  // Each part of the mask as a short program: each step writes literal bytes or the
  // digits of one kind of position, so a field costs a few steps rather than one per
  // mask byte.
  enum class Op : unsigned char {
    kText,              // literals[first, first + count)
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

  // The part before the exponent marker, in mask order. A mask without integer positions
  // gets one integer slot in front of its first '.' (or at its end), where the integer
  // digits go.
  struct Mantissa {
    std::vector<Step> steps;
    int integerPositions = 0;    // Digit positions before the first '.', as in the mask.
    int integerSlots = 0;        // The same, counting a slot added for the integer digits.
    int leftmostForcedSlot = 0;  // Slot number of the leftmost '0'; integerSlots if none.
    int fractionPositions = 0;
    bool anyOptionalFraction = false;
  };

  // The part after the exponent marker: its literals and positions, in mask order. No
  // positions means no exponent.
  struct Exponent {
    std::vector<Step> steps;
    int positions = 0;
    int forcedPositions = 0;
    char letter = 'e';
    bool signAlways = true;  // An "e+" marker; "e-" writes a sign only when negative.
  };

  // A mask of the shape [literals] 0..0 . 0..0 e+ 0..0 [literals], such as
  // " 00.000000000e+00   ": every nonzero number whose exponent fits the positions is
  // written as the literals around a fixed layout of its rounded digits.
  struct ExponentTemplate {
    std::string prefix;
    std::string suffix;
  };

  bool empty = true;     // The empty mask, which writes the plain number text.
  std::string literals;  // The bytes of every kText step.
  Mantissa mantissa;
  Exponent exponent;
  std::optional<ExponentTemplate> exponentTemplate;

  bool hasExponent() const { return exponent.positions > 0; }
};

MaskLayout analyseMask(std::string_view mask);

}  // namespace durno
