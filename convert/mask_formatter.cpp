#include "convert/mask_formatter.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "convert/decimal_form.hpp"
#include "convert/plain_number.hpp"

namespace durno {
namespace {

constexpr int kFormDigits = 18;

bool isLiteral(char c) {
  return c == ' ' || c == '-' || c == '+' || c == '(' || c == ')' || c == '$';
}

// Rounding of the 18-digit form to `keep` leading digits: above 5 up, below 5 down, and
// an exact 5 up only when a later digit of the form is nonzero or the kept digit is odd.
bool roundsUp(const std::array<char, 18>& digits, int keep) {
  const char first = digits[static_cast<std::size_t>(keep)];
  if (first != '5') return first > '5';
  for (int i = keep + 1; i < kFormDigits; ++i) {
    if (digits[static_cast<std::size_t>(i)] != '0') return true;
  }
  return keep > 0 && (digits[static_cast<std::size_t>(keep - 1)] - '0') % 2 == 1;
}

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

}  // namespace

// A number rounded for one mask: its 18-digit form with the digits behind the last kept
// one set to zero, and how the digits split into integer and fraction digits.
struct MaskFormatter::Rounded {
  // The 18-digit form, rounded in place: the digits behind the last kept one are zeros,
  // and so is every digit outside the 18.
  DecimalForm form;
  bool showSign = false;
  bool zeroInteger = false;  // The integer digits are the single "0".
  int integerCount = 1;
  int fractionStart = 0;

  explicit Rounded(long double x) : form(decimalForm(x)) {}

  int point() const { return form.point; }
  char digit(int i) const {
    return i >= 0 && i < kFormDigits ? form.digits[static_cast<std::size_t>(i)] : '0';
  }
  char fractionDigit(int j) const { return digit(fractionStart + j); }
  bool isZero() const { return form.digits[0] == '0'; }

  // Keeps the leading `keep` digits, rounded; a carry out of the first digit leaves "1"
  // and moves the point one place to the right.
  void keepDigits(int keep) {
    auto& digits = form.digits;
    if (keep >= kFormDigits) return;
    if (keep < 0) {  // Every digit falls behind the last kept place, led by a zero.
      digits.fill('0');
      return;
    }
    const bool up = roundsUp(digits, keep);
    std::fill(digits.begin() + keep, digits.end(), '0');
    if (!up) return;
    int i = keep - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
      digits[static_cast<std::size_t>(i--)] = '0';
    }
    if (i >= 0) {
      ++digits[static_cast<std::size_t>(i)];
      return;
    }
    digits[0] = '1';
    ++form.point;
  }
};

MaskFormatter::MaskFormatter(std::string_view mask) {
  analyse(mask);
}

void MaskFormatter::addText(std::vector<Step>& steps, char c) {
  if (steps.empty() || steps.back().op != Op::kText) {
    steps.push_back({Op::kText, static_cast<int>(literals_.size()), 0});
  }
  literals_ += c;
  ++steps.back().count;
}

void MaskFormatter::analyse(std::string_view mask) {
  emptyMask_ = mask.empty();
  bool seenPoint = false;
  bool seenMarker = false;
  std::size_t firstPoint = std::string_view::npos;  // Step index of the first '.'.
  char markerSign = '+';
  int leftmostForced = -1;  // Slot number of the first '0' before the point.
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    const bool forced = c == '0';
    const bool digitPosition = forced || c == '#';
    if (seenMarker) {
      if (digitPosition) {
        exponent_.push_back({Op::kExponentSlot, exponentPositions_++, 1});
        forcedExponentPositions_ += forced ? 1 : 0;
      } else if (isLiteral(c) || c == '.') {
        addText(exponent_, c);
      }
    } else if (digitPosition && !seenPoint) {
      if (forced && leftmostForced < 0) leftmostForced = integerPositions_;
      mantissa_.push_back({Op::kIntegerSlot, integerPositions_++, 1});
    } else if (digitPosition) {
      if (forced && !mantissa_.empty() && mantissa_.back().op == Op::kForcedFractions) {
        ++mantissa_.back().count;
      } else {
        mantissa_.push_back(
            {forced ? Op::kForcedFractions : Op::kOptionalFraction, fractionPositions_, 1});
      }
      ++fractionPositions_;
      anyOptionalFraction_ = anyOptionalFraction_ || !forced;
    } else if (c == '.') {
      if (!seenPoint) {
        // The first point opens a step of its own, so the integer digits of a mask
        // without integer positions can go right in front of it.
        firstPoint = mantissa_.size();
        mantissa_.push_back({Op::kText, static_cast<int>(literals_.size()), 0});
      }
      seenPoint = true;
      addText(mantissa_, c);
    } else if ((c == 'e' || c == 'E') && integerPositions_ + fractionPositions_ > 0) {
      const char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
      if (next == '+' || next == '-') {
        seenMarker = true;
        exponentLetter_ = c;
        markerSign = next;
        ++i;
      } else {
        addText(mantissa_, c);
      }
    } else if (isLiteral(c)) {
      addText(mantissa_, c);
    }
  }
  hasExponent_ = seenMarker && exponentPositions_ > 0;
  exponentSignAlways_ = markerSign == '+';
  if (seenMarker && !hasExponent_) {
    // A marker with no digit position after it is no marker: its bytes and the literals
    // after it stay in the text as they stand.
    addText(mantissa_, exponentLetter_);
    addText(mantissa_, markerSign);
    for (const Step& step : exponent_) {
      for (int k = 0; k < step.count; ++k)
        addText(mantissa_, literals_[static_cast<std::size_t>(step.first + k)]);
    }
    exponent_.clear();
  }
  integerSlots_ = integerPositions_;
  if (integerSlots_ == 0) {
    const auto at = firstPoint == std::string_view::npos
                        ? mantissa_.end()
                        : mantissa_.begin() + static_cast<std::ptrdiff_t>(firstPoint);
    mantissa_.insert(at, Step{Op::kIntegerSlot, 0, 1});
    integerSlots_ = 1;
  }
  leftmostForcedSlot_ = leftmostForced < 0 ? integerSlots_ : leftmostForced;
  recogniseExponentTemplate();
}

void MaskFormatter::recogniseExponentTemplate() {
  // Exponents of up to this many forced digits are written by the template.
  constexpr int kTemplateExponentDigits = 4;
  constexpr std::size_t kTemplateLiterals = 32;
  constexpr int kTemplateDigits = 40;
  if (!hasExponent_ || integerPositions_ + fractionPositions_ > kTemplateDigits || anyOptionalFraction_ || integerPositions_ == 0 ||
      leftmostForcedSlot_ != 0 || forcedExponentPositions_ != exponentPositions_ ||
      exponentPositions_ > kTemplateExponentDigits || literals_.size() > kTemplateLiterals) {
    return;
  }
  auto text = [this](const Step& step) {
    return std::string_view(literals_).substr(static_cast<std::size_t>(step.first),
                                              static_cast<std::size_t>(step.count));
  };
  std::size_t at = 0;
  std::string prefix;
  if (at < mantissa_.size() && mantissa_[at].op == Op::kText) prefix = text(mantissa_[at++]);
  for (int slot = 0; slot < integerPositions_; ++slot, ++at) {
    if (at >= mantissa_.size() || mantissa_[at].op != Op::kIntegerSlot) return;
  }
  const bool pointThenFractions =
      fractionPositions_ > 0 && mantissa_.size() == at + 2 && mantissa_[at].op == Op::kText &&
      text(mantissa_[at]) == "." && mantissa_[at + 1].op == Op::kForcedFractions;
  if (!pointThenFractions) return;
  std::size_t slots = 0;
  while (slots < exponent_.size() && exponent_[slots].op == Op::kExponentSlot)
    ++slots;
  if (static_cast<int>(slots) != exponentPositions_ || exponent_.size() > slots + 1) return;
  templatePrefix_ = std::move(prefix);
  if (exponent_.size() == slots + 1) templateSuffix_ = text(exponent_.back());
  exponentTemplate_ = true;
}

bool MaskFormatter::appendByTemplate(std::string& out, long double x) const {
  static constexpr auto kPowers = [] {
    std::array<std::uint64_t, kFormDigits + 1> powers{};
    powers[0] = 1;
    for (std::size_t n = 1; n < powers.size(); ++n)
      powers[n] = powers[n - 1] * 10;
    return powers;
  }();
  const DecimalInteger number = decimalInteger(x);
  if (number.significand == 0) return false;
  // Rounding to the kept digits on the integer itself: the dropped part against half a
  // unit, ties to an even last kept digit, as for the digits of the 18-digit form.
  const int keep = integerPositions_ + fractionPositions_;
  std::uint64_t rounded = number.significand;
  int point = number.point;
  if (keep < kFormDigits) {
    const std::uint64_t unit = kPowers[static_cast<std::size_t>(kFormDigits - keep)];
    std::uint64_t kept = rounded / unit;
    const std::uint64_t dropped = rounded % unit;
    if (dropped > unit / 2 || (dropped == unit / 2 && kept % 2 == 1)) ++kept;
    if (kept == kPowers[static_cast<std::size_t>(keep)]) {  // A carry out of the first digit.
      kept /= 10;
      ++point;
    }
    rounded = kept * unit;
  }
  const int exponent = point - integerPositions_;
  const unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  if (magnitude >= kPowers[static_cast<std::size_t>(exponentPositions_)]) return false;
  char digits[kFormDigits];
  writeEighteenDigits(rounded, digits);
  // The limits recogniseExponentTemplate sets keep a field well within this.
  char field[96];
  char* end = copyBytes(field, templatePrefix_.data(), static_cast<int>(templatePrefix_.size()));
  if (number.negative) *end++ = '-';
  end = writeDigitRange(end, digits, 0, integerPositions_);
  *end++ = '.';
  end = writeDigitRange(end, digits, integerPositions_, fractionPositions_);
  *end++ = exponentLetter_;
  if (exponent < 0) {
    *end++ = '-';
  } else if (exponentSignAlways_) {
    *end++ = '+';
  }
  unsigned rest = magnitude;
  for (int i = exponentPositions_ - 1; i >= 0; --i, rest /= 10)
    end[i] = static_cast<char>('0' + rest % 10);
  end += exponentPositions_;
  end = copyBytes(end, templateSuffix_.data(), static_cast<int>(templateSuffix_.size()));
  out.append(field, static_cast<std::size_t>(end - field));
  return true;
}

std::string MaskFormatter::format(long double x) const {
  std::string text;
  appendTo(text, x);
  return text;
}

void MaskFormatter::appendTo(std::string& out, long double x) const {
  if (emptyMask_) {
    // The plain number text without its sign place blank and without its trailing blank.
    const std::string plain = plainNumberText(x);
    const std::size_t from = plain.front() == ' ' ? 1 : 0;
    out.append(plain, from, plain.size() - 1 - from);
    return;
  }
  if (exponentTemplate_ && appendByTemplate(out, x)) return;
  Rounded number(x);
  const bool negative = number.form.negative;
  if (hasExponent_) {
    number.keepDigits(integerPositions_ + fractionPositions_);
    number.zeroInteger = number.isZero() || integerPositions_ == 0;
    number.integerCount = number.zeroInteger ? 1 : integerPositions_;
    number.fractionStart = integerPositions_;
  } else {
    number.keepDigits(number.point() + fractionPositions_);
    number.zeroInteger = number.point() <= 0;
    number.integerCount = number.zeroInteger ? 1 : number.point();
    number.fractionStart = number.point();
  }
  number.showSign = negative && (hasExponent_ || fractionPositions_ > 0 || !number.isZero());

  // Literals and positions write at most one byte each, except that the integer digits
  // and the exponent digits may outnumber their positions, and the sign and the marker.
  constexpr std::size_t kExponentDigitsMax = 12;
  const std::size_t bound =
      literals_.size() + static_cast<std::size_t>(integerSlots_ + fractionPositions_) +
      static_cast<std::size_t>(number.integerCount) + 1 +
      (hasExponent_ ? 2 + kExponentDigitsMax + static_cast<std::size_t>(exponentPositions_) : 0);
  constexpr std::size_t kUsualField = 96;  // Holds every field of the program's masks.
  if (bound <= kUsualField) {
    char field[kUsualField];
    char* end = writeMantissa(field, number);
    if (hasExponent_) end = writeExponent(end, number.point() - integerPositions_);
    out.append(field, static_cast<std::size_t>(end - field));
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + bound);
  char* end = writeMantissa(out.data() + start, number);
  if (hasExponent_) end = writeExponent(end, number.point() - integerPositions_);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

char* MaskFormatter::writeMantissa(char* out, const Rounded& number) const {
  // Locals rather than members: stores through `out` could otherwise alias them.
  const char* digits = number.form.digits.data();
  const int slots = integerSlots_;
  const int integerCount = number.integerCount;
  const int fractionStart = number.fractionStart;
  const int leftmostForced = leftmostForcedSlot_;
  const char* literals = literals_.data();
  // Integer digits fill the slots from the right; the slots left of them write "0" from the
  // leftmost forced one on, and the sign stands just before the leftmost digit written.
  const int firstWritten =
      integerCount >= slots ? 0 : std::min(slots - integerCount, leftmostForced);
  const bool showSign = number.showSign;
  const bool zeroInteger = number.zeroInteger;
  int significantFractions = fractionPositions_;
  if (anyOptionalFraction_) {
    while (significantFractions > 0 && number.fractionDigit(significantFractions - 1) == '0') {
      --significantFractions;
    }
  }
  for (const Step& step : mantissa_) {
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

char* MaskFormatter::writeExponent(char* out, int exponent) const {
  *out++ = exponentLetter_;
  if (exponent < 0) {
    *out++ = '-';
  } else if (exponentSignAlways_) {
    *out++ = '+';
  }
  // |E| with zeros in front up to the number of forced positions.
  auto magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  int length = 1;
  for (unsigned rest = magnitude / 10; rest != 0; rest /= 10)
    ++length;
  const int total = std::max(length, forcedExponentPositions_);
  auto writePadded = [magnitude, total](char* padded) {
    unsigned rest = magnitude;
    for (int i = total - 1; i >= 0; --i, rest /= 10)
      padded[i] = static_cast<char>('0' + rest % 10);
  };
  constexpr int kUsualDigits = 16;
  if (total <= kUsualDigits) {
    char padded[kUsualDigits];
    writePadded(padded);
    return placeExponentDigits(out, padded, total);
  }
  std::string padded(static_cast<std::size_t>(total), '0');  // A mask with many '0's after e+.
  writePadded(padded.data());
  return placeExponentDigits(out, padded.data(), total);
}

// Positions take the padded digits from the right; the leftmost position takes whatever
// does not fit, so no digit is lost.
char* MaskFormatter::placeExponentDigits(char* out, const char* padded, int total) const {
  const int surplus = total - exponentPositions_;  // Digits beyond one per position.
  const char* literals = literals_.data();
  for (const Step& step : exponent_) {
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

std::string formatWithMask(long double x, std::string_view mask) {
  return MaskFormatter(mask).format(x);
}

}  // namespace durno
