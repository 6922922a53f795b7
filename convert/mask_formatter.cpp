#include "convert/mask_formatter.hpp"

#include <algorithm>
#include <cstring>

#include "convert/decimal_form.hpp"
#include "convert/number_read.hpp"
#include "convert/plain_number.hpp"

namespace durno {
namespace {

using Op = MaskLayout::Op;
using Step = MaskLayout::Step;

constexpr int kFormDigits = kDecimalFormDigits;
// A mask is written in pieces when it shows at most this many digits: each of its two runs
// of digits is then one fixed-size copy of kPieceDigitCopy bytes.
constexpr int kPieceShownDigits = 16;
constexpr std::size_t kPieceDigitCopy = 16;
// The digits of a template field, zeros past the number's: the fraction's copy begins after
// at most kPieceShownDigits integer digits and reads kPieceDigitCopy bytes, which is more
// than the 18 digits the general template reads (past them it writes zeros itself).
constexpr std::size_t kTemplateDigits = kPieceShownDigits + kPieceDigitCopy;
static_assert(kTemplateDigits >= static_cast<std::size_t>(kFormDigits));

// Copies a short run of bytes; masks hold only a few literals in a row, so a plain loop
// beats a library call.
char* copyBytes(char* out, const char* from, int n) {
  for (int i = 0; i < n; ++i)
    out[i] = from[i];
  return out + n;
}

// Writes digits[from .. from + n) of the 18 digits, where every index outside them
// reads as "0".
char* writeDigitRange(char* out, const char* digits, int from, int n) {
  if (from >= 0 && from + n <= kFormDigits) {  // The usual case: within the 18.
    const char* source = digits + from;
    char* const end = out + n;
    for (; end - out >= 8; out += 8, source += 8)
      std::memcpy(out, source, 8);
    while (out != end)
      *out++ = *source++;
    return end;
  }
  for (int i = from; i < from + n; ++i)
    *out++ = i >= 0 && i < kFormDigits ? digits[i] : '0';
  return out;
}

// Writes value as exactly `count` decimal digits, zeros in front; count must suffice.
void writePaddedDigits(char* out, unsigned value, int count) {
  for (int i = count - 1; i >= 0; --i, value /= 10)
    out[i] = static_cast<char>('0' + value % 10);
}

// The exponent marker as written: its letter, then the sign of the exponent.
char* writeMarker(char* out, const MaskLayout::Exponent& part, int exponent) {
  *out++ = part.letter;
  if (exponent < 0) {
    *out++ = '-';
  } else if (part.signAlways) {
    *out++ = '+';
  }
  return out;
}

// The field of a mask that has an exponent template for a nonzero number already rounded to
// the digits the mask shows, given as at least 18 digits and the point, written at out
// without the step program; null (nothing written) where its exponent needs the general
// rules.
char* writeTemplateField(const char* digits, int point, bool negative, char* out,
                         const MaskLayout& layout, const MaskLayout::ExponentTemplate& shape) {
  const int integerPositions = layout.mantissa.integerPositions;
  const int fractionPositions = layout.mantissa.fractionPositions;
  const int exponentPositions = layout.exponent.positions;
  const int exponent = point - integerPositions;
  const unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  if (magnitude >= kIntegerPowersOfTen[static_cast<std::size_t>(exponentPositions)]) {
    return nullptr;
  }
  char* end = copyBytes(out, shape.prefix.data(), static_cast<int>(shape.prefix.size()));
  if (negative) *end++ = '-';
  end = writeDigitRange(end, digits, 0, integerPositions);
  *end++ = '.';
  end = writeDigitRange(end, digits, integerPositions, fractionPositions);
  end = writeMarker(end, layout.exponent, exponent);
  writePaddedDigits(end, magnitude, exponentPositions);
  end += exponentPositions;
  return copyBytes(end, shape.suffix.data(), static_cast<int>(shape.suffix.size()));
}

// A number rounded for one mask: its 18-digit form with the digits behind the last kept
// one set to zero (and every digit outside the 18 reading as zero), and how the digits
// split into integer and fraction digits.
struct RoundedNumber {
  DecimalForm form;
  bool showSign = false;
  bool zeroInteger = false;  // The integer digits are the single "0".
  int integerCount = 1;
  int fractionStart = 0;

  char digit(int i) const {
    return i >= 0 && i < kFormDigits ? form.digits[static_cast<std::size_t>(i)] : '0';
  }
  char fractionDigit(int j) const { return digit(fractionStart + j); }
};

// An exponent form keeps as many digits as the mask has positions; a plain form keeps
// its integer digits and as many fraction digits as there are positions.
RoundedNumber roundForMask(long double x, const MaskLayout& layout) {
  const MaskLayout::Mantissa& mantissa = layout.mantissa;
  DecimalInteger number = decimalInteger(x);
  RoundedNumber rounded;
  if (layout.hasExponent()) {
    roundToLeadingDigits(number, mantissa.integerPositions + mantissa.fractionPositions);
    rounded.zeroInteger = number.significand == 0 || mantissa.integerPositions == 0;
    rounded.integerCount = rounded.zeroInteger ? 1 : mantissa.integerPositions;
    rounded.fractionStart = mantissa.integerPositions;
  } else {
    roundToLeadingDigits(number, number.point + mantissa.fractionPositions);
    rounded.zeroInteger = number.point <= 0;
    rounded.integerCount = rounded.zeroInteger ? 1 : number.point;
    rounded.fractionStart = number.point;
  }
  rounded.showSign = number.negative && (layout.hasExponent() || mantissa.fractionPositions > 0 ||
                                         number.significand != 0);
  rounded.form = decimalForm(number);
  return rounded;
}

char* writeMantissa(char* out, const MaskLayout& layout, const RoundedNumber& number) {
  // Locals rather than references into the layout: stores through `out` could otherwise
  // alias them.
  const MaskLayout::Mantissa& mantissa = layout.mantissa;
  const char* digits = number.form.digits.data();
  const int slots = mantissa.integerSlots;
  const int integerCount = number.integerCount;
  const int fractionStart = number.fractionStart;
  const int leftmostForced = mantissa.leftmostForcedSlot;
  const char* literals = layout.literals.data();
  // Integer digits fill the slots from the right; the slots left of them write "0" from the
  // leftmost forced one on, and the sign stands just before the leftmost digit written.
  const int firstWritten =
      integerCount >= slots ? 0 : std::min(slots - integerCount, leftmostForced);
  const bool showSign = number.showSign;
  const bool zeroInteger = number.zeroInteger;
  int significantFractions = mantissa.fractionPositions;
  if (mantissa.anyOptionalFraction) {
    while (significantFractions > 0 && number.fractionDigit(significantFractions - 1) == '0') {
      --significantFractions;
    }
  }
  for (const Step& step : mantissa.steps) {
    switch (step.op) {
      case Op::kText:
        out = copyBytes(out, literals + step.first, step.count);
        break;
      case Op::kIntegerSlot: {
        const int slot = step.first;
        if (slot == firstWritten && showSign) *out++ = '-';
        const int offset = slot - (slots - integerCount);
        if (offset >= 0) {
          const int from = slot == 0 ? 0 : offset;  // The leftmost slot takes the surplus.
          out = zeroInteger ? (*out = '0', out + 1)
                            : writeDigitRange(out, digits, from, offset - from + 1);
        } else if (slot >= leftmostForced) {
          *out++ = '0';
        }
        break;
      }
      case Op::kForcedFractions:
        out = writeDigitRange(out, digits, fractionStart + step.first, step.count);
        break;
      case Op::kOptionalFraction:
        if (step.first < significantFractions) *out++ = number.fractionDigit(step.first);
        break;
      case Op::kExponentSlot:
        break;  // Only in the exponent part.
    }
  }
  return out;
}

// Positions take the padded digits from the right; the leftmost position takes whatever
// does not fit, so no digit is lost.
char* placeExponentDigits(char* out, const MaskLayout& layout, const char* padded, int total) {
  const int surplus = total - layout.exponent.positions;  // Digits beyond one per position.
  const char* literals = layout.literals.data();
  for (const Step& step : layout.exponent.steps) {
    if (step.op == Op::kText) {
      out = copyBytes(out, literals + step.first, step.count);
    } else if (step.first + surplus >= 0) {
      const int from = step.first == 0 ? 0 : step.first + surplus;
      const int to = step.first + surplus + 1;
      for (int i = from; i < to; ++i)
        *out++ = padded[i];
    }
  }
  return out;
}

char* writeExponent(char* out, const MaskLayout& layout, int exponent) {
  out = writeMarker(out, layout.exponent, exponent);
  // |E| with zeros in front up to the number of forced positions.
  const auto magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  int length = 1;
  for (unsigned rest = magnitude / 10; rest != 0; rest /= 10)
    ++length;
  const int total = std::max(length, layout.exponent.forcedPositions);
  constexpr int kUsualDigits = 16;
  if (total <= kUsualDigits) {
    char padded[kUsualDigits];
    writePaddedDigits(padded, magnitude, total);
    return placeExponentDigits(out, layout, padded, total);
  }
  std::string padded(static_cast<std::size_t>(total), '0');  // A mask with many '0's after e+.
  writePaddedDigits(padded.data(), magnitude, total);
  return placeExponentDigits(out, layout, padded.data(), total);
}

char* writeField(char* out, const MaskLayout& layout, const RoundedNumber& number) {
  out = writeMantissa(out, layout, number);
  if (!layout.hasExponent()) return out;
  return writeExponent(out, layout, number.form.point - layout.mantissa.integerPositions);
}

// Literals and positions write at most one byte each, except that the integer digits and
// the exponent digits may outnumber their positions, and the sign and the marker.
std::size_t fieldBound(const MaskLayout& layout, int integerCount) {
  constexpr std::size_t kExponentDigitsMax = 12;
  const MaskLayout::Mantissa& mantissa = layout.mantissa;
  return layout.literals.size() +
         static_cast<std::size_t>(mantissa.integerSlots + mantissa.fractionPositions) +
         static_cast<std::size_t>(integerCount) + 1 +
         (layout.hasExponent()
              ? 2 + kExponentDigitsMax + static_cast<std::size_t>(layout.exponent.positions)
              : 0);
}

// The field for x by the general rules, for any mask but the empty one.
void appendByRules(std::string& out, long double x, const MaskLayout& layout) {
  const RoundedNumber number = roundForMask(x, layout);
  const std::size_t bound = fieldBound(layout, number.integerCount);
  constexpr std::size_t kUsualField = 96;  // Holds every field of the program's masks.
  if (bound <= kUsualField) {
    char field[kUsualField];
    char* end = writeField(field, layout, number);
    out.append(field, static_cast<std::size_t>(end - field));
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + bound);
  char* end = writeField(out.data() + start, layout, number);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

// The widest field of a mask with an exponent, whose integer digits never outnumber its
// integer positions (or the single "0"); 0 for other masks, whose fields have no bound.
std::size_t boundedFieldWidth(const MaskLayout& layout) {
  if (layout.empty || !layout.hasExponent()) return 0;
  const int integerCount = std::max(layout.mantissa.integerPositions, 1);
  return fieldBound(layout, integerCount);
}

}  // namespace

MaskFormatter::MaskFormatter(std::string_view mask)
    : layout_(analyseMask(mask)),
      pieces_(makePieces(layout_)),
      fieldWidthBound_(boundedFieldWidth(layout_) +
                       (pieces_ ? TemplatePieces::kPieceSpill : std::size_t{0})) {}

std::optional<MaskFormatter::TemplatePieces> MaskFormatter::makePieces(const MaskLayout& layout) {
  constexpr int kMostExponentPositions = 3;
  const MaskLayout::ExponentTemplate* shape =
      layout.exponentTemplate ? &*layout.exponentTemplate : nullptr;
  const int positions = layout.exponent.positions;
  if (shape == nullptr || shape->prefix.size() > 8 || shape->suffix.size() > 8 ||
      positions > kMostExponentPositions ||
      layout.mantissa.integerPositions + layout.mantissa.fractionPositions > kPieceShownDigits) {
    return std::nullopt;
  }
  TemplatePieces pieces;
  std::copy(shape->prefix.begin(), shape->prefix.end(), pieces.prefix.begin());
  std::copy(shape->suffix.begin(), shape->suffix.end(), pieces.suffix.begin());
  pieces.prefixLength = static_cast<int>(shape->prefix.size());
  pieces.suffixLength = static_cast<int>(shape->suffix.size());
  pieces.exponentLimit = static_cast<int>(kIntegerPowersOfTen[static_cast<std::size_t>(positions)]);
  for (int exponent = 1 - pieces.exponentLimit; exponent < pieces.exponentLimit; ++exponent) {
    std::array<char, 8> piece{};
    char* end = writeMarker(piece.data(), layout.exponent, exponent);
    writePaddedDigits(end, static_cast<unsigned>(exponent < 0 ? -exponent : exponent), positions);
    pieces.exponents.push_back(piece);
    pieces.exponentLengths.push_back(static_cast<unsigned char>(end + positions - piece.data()));
  }
  return pieces;
}

char* MaskFormatter::writePieces(const char* digits, int point, bool negative, char* out) const {
  const TemplatePieces& pieces = *pieces_;
  const int integerPositions = layout_.mantissa.integerPositions;
  const int exponent = point - integerPositions;
  if (exponent <= -pieces.exponentLimit || exponent >= pieces.exponentLimit) return nullptr;
  const auto piece = static_cast<std::size_t>(exponent + pieces.exponentLimit - 1);
  std::memcpy(out, pieces.prefix.data(), 8);
  char* end = out + pieces.prefixLength;
  *end = '-';
  end += negative ? 1 : 0;
  std::memcpy(end, digits, kPieceDigitCopy);
  end += integerPositions;
  *end++ = '.';
  std::memcpy(end, digits + integerPositions, kPieceDigitCopy);
  end += layout_.mantissa.fractionPositions;
  std::memcpy(end, pieces.exponents[piece].data(), 8);
  end += pieces.exponentLengths[piece];
  std::memcpy(end, pieces.suffix.data(), 8);
  return end + pieces.suffixLength;
}

char* MaskFormatter::writeTemplate(const char* digits, int point, bool negative, char* out) const {
  if (pieces_) {
    if (char* end = writePieces(digits, point, negative, out)) return end;
  }
  return writeTemplateField(digits, point, negative, out, layout_, *layout_.exponentTemplate);
}

char* MaskFormatter::writeExactDecimal(char* out, const NumberRead& number) const {
  // The rounding to the extended format and, where a value is held as a double, to the
  // double format, and the scaling by a power of ten that the field's digits are found by,
  // change a number by less than 2^-53 + 2^-61 of itself: under 112 units of the 18th digit.
  // An exact decimal with no more digits than the mask shows, at most 15, has zeros from
  // the 16th digit on: at least 500 units from where rounding to the shown digits would
  // turn, so the rounded value writes the very digits the text had. Points within +-300
  // keep the number inside the double's normal range.
  constexpr int kShownDigitsLimit = 15;
  constexpr int kPointLimit = 300;
  if (!layout_.exponentTemplate || !number.isExactDecimal()) return nullptr;
  const int shown = layout_.mantissa.integerPositions + layout_.mantissa.fractionPositions;
  if (shown > kShownDigitsLimit || number.digitCount() > shown || number.point() < -kPointLimit ||
      number.point() > kPointLimit) {
    return nullptr;
  }
  // The digits, and zeros after them up to the 18th and beyond.
  char digits[kTemplateDigits];
  std::memset(digits, '0', sizeof digits);
  if (std::uint64_t bytes; number.digitBytes(bytes)) {
    // Read eight bytes at a time, which only a little-endian machine does, so stored in
    // the machine's order the digits come out first one first.
    bytes |= 0x3030303030303030ull;
    std::memcpy(digits, &bytes, sizeof bytes);
  } else {
    const auto padding = static_cast<std::size_t>(kFormDigits - number.digitCount());
    writeEighteenDigits(number.significand() * kIntegerPowersOfTen[padding], digits);
  }
  return writeTemplate(digits, number.point(), number.negative(), out);
}

char* MaskFormatter::writeTo(char* out, long double x) const {
  if (layout_.exponentTemplate) {
    DecimalInteger number = decimalInteger(x);
    if (number.significand != 0) {
      roundToLeadingDigits(number,
                           layout_.mantissa.integerPositions + layout_.mantissa.fractionPositions);
      char digits[kTemplateDigits];
      std::memset(digits, '0', sizeof digits);
      writeEighteenDigits(number.significand, digits);
      if (char* end = writeTemplate(digits, number.point, number.negative, out)) return end;
    }
  }
  return writeField(out, layout_, roundForMask(x, layout_));
}

void MaskFormatter::appendTo(std::string& out, long double x) const {
  if (layout_.empty) {
    // The plain number text without its sign place blank and without its trailing blank.
    const std::string plain = plainNumberText(x);
    const std::size_t from = plain.front() == ' ' ? 1 : 0;
    out.append(plain, from, plain.size() - 1 - from);
    return;
  }
  if (fieldWidthBound_ != 0) {
    constexpr std::size_t kBoundedField = 128;
    if (fieldWidthBound_ <= kBoundedField) {
      char field[kBoundedField];
      out.append(field, static_cast<std::size_t>(writeTo(field, x) - field));
      return;
    }
  }
  appendByRules(out, x, layout_);
}

}  // namespace durno
