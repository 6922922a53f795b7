#include "convert/mask_formatter.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>

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

// The decimal digits of a non-negative value, most significant first; returns the count.
int writeUnsigned(unsigned value, std::array<char, 12>& buffer) {
  int count = 0;
  do {
    buffer[static_cast<std::size_t>(count++)] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::reverse(buffer.begin(), buffer.begin() + count);
  return count;
}

}  // namespace

// A number rounded for one mask: its significant digits (those past `count` are zeros)
// with the point position, and how they split into integer and fraction digits.
struct MaskFormatter::Rounded {
  std::array<char, kFormDigits + 1> digits{};
  int count = 0;
  int point = 1;
  bool showSign = false;
  bool zeroInteger = false;  // The integer digits are the single "0".
  int integerCount = 1;
  int fractionStart = 0;

  char digit(int i) const {
    return i >= 0 && i < count ? digits[static_cast<std::size_t>(i)] : '0';
  }
  char integerDigit(int i) const { return zeroInteger ? '0' : digit(i); }
  char fractionDigit(int j) const { return digit(fractionStart + j); }
  bool isZero() const { return count == 0 || digits[0] == '0'; }
};

namespace {

// The leading `keep` digits of the form after rounding; a carry out of the first digit
// leaves "1" and moves the point one place to the right.
void roundForm(const DecimalForm& form, int keep, std::array<char, 19>& digits, int& count,
               int& point) {
  point = form.point;
  if (keep < 0) {  // Every digit falls behind the last kept place, led by a zero.
    count = 0;
    return;
  }
  count = std::min(keep, kFormDigits);
  std::copy_n(form.digits.begin(), count, digits.begin());
  if (keep >= kFormDigits || !roundsUp(form.digits, keep)) return;
  int i = count - 1;
  while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
  if (i >= 0) {
    ++digits[static_cast<std::size_t>(i)];
    return;
  }
  digits[0] = '1';
  count = 1;
  ++point;
}

}  // namespace

MaskFormatter::MaskFormatter(std::string_view mask) { analyse(mask); }

void MaskFormatter::analyse(std::string_view mask) {
  emptyMask_ = mask.empty();
  bool seenPoint = false;
  bool seenMarker = false;
  std::size_t firstPoint = std::string_view::npos;
  char markerSign = '+';
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    const bool digitPosition = c == '0' || c == '#';
    if (seenMarker) {
      if (digitPosition) {
        exponent_.push_back({Slot::kIntegerPosition, c, c == '0'});
        ++exponentPositions_;
        forcedExponentPositions_ += c == '0' ? 1 : 0;
      } else if (isLiteral(c) || c == '.') {
        exponent_.push_back({Slot::kLiteral, c, false});
      }
    } else if (digitPosition) {
      mantissa_.push_back({seenPoint ? Slot::kFractionPosition : Slot::kIntegerPosition, c, c == '0'});
      (seenPoint ? fractionPositions_ : integerPositions_) += 1;
      anyOptionalFraction_ = anyOptionalFraction_ || (seenPoint && c == '#');
    } else if (c == '.') {
      if (!seenPoint) firstPoint = mantissa_.size();
      seenPoint = true;
      mantissa_.push_back({Slot::kLiteral, c, false});
    } else if ((c == 'e' || c == 'E') && integerPositions_ + fractionPositions_ > 0) {
      const char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
      if (next == '+' || next == '-') {
        seenMarker = true;
        exponentLetter_ = c;
        markerSign = next;
        ++i;
      } else {
        mantissa_.push_back({Slot::kLiteral, c, false});
      }
    } else if (isLiteral(c)) {
      mantissa_.push_back({Slot::kLiteral, c, false});
    }
  }
  hasExponent_ = seenMarker && exponentPositions_ > 0;
  exponentSignAlways_ = markerSign == '+';
  if (seenMarker && !hasExponent_) {
    // A marker with no digit position after it is no marker: its bytes and the literals
    // after it stay in the text as they stand.
    mantissa_.push_back({Slot::kLiteral, exponentLetter_, false});
    mantissa_.push_back({Slot::kLiteral, markerSign, false});
    mantissa_.insert(mantissa_.end(), exponent_.begin(), exponent_.end());
    exponent_.clear();
  }
  placedIntegerSlots_ = integerPositions_;
  if (placedIntegerSlots_ == 0) {
    const auto at = firstPoint == std::string_view::npos ? mantissa_.end()
                                                          : mantissa_.begin() + static_cast<long>(firstPoint);
    mantissa_.insert(at, Item{Slot::kIntegerPosition, '#', false});
    placedIntegerSlots_ = 1;
  }
  leftmostForcedInteger_ = placedIntegerSlots_;
  int index = 0;
  for (const Item& item : mantissa_) {
    if (item.slot != Slot::kIntegerPosition) continue;
    if (item.forced) {
      leftmostForcedInteger_ = index;
      break;
    }
    ++index;
  }
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
  const DecimalForm form = decimalForm(x);
  Rounded number;
  if (hasExponent_) {
    roundForm(form, integerPositions_ + fractionPositions_, number.digits, number.count, number.point);
    number.zeroInteger = number.isZero() || integerPositions_ == 0;
    number.integerCount = number.zeroInteger ? 1 : integerPositions_;
    number.fractionStart = integerPositions_;
  } else {
    roundForm(form, form.point + fractionPositions_, number.digits, number.count, number.point);
    number.zeroInteger = number.point <= 0;
    number.integerCount = number.zeroInteger ? 1 : number.point;
    number.fractionStart = number.point;
  }
  number.showSign = form.negative && (hasExponent_ || fractionPositions_ > 0 || !number.isZero());

  const std::size_t start = out.size();
  // Every item writes at most one byte, except the leftmost integer slot, which takes the
  // surplus integer digits, and the exponent, whose digits may outnumber their positions.
  const std::size_t bound = mantissa_.size() + static_cast<std::size_t>(number.integerCount) + 1 +
                            (hasExponent_ ? exponent_.size() + 2 + 12 + forcedExponentPositions_ : 0);
  out.resize(start + bound);
  char* end = writeMantissa(out.data() + start, number);
  if (hasExponent_) end = writeExponent(end, number.point - integerPositions_);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

char* MaskFormatter::writeMantissa(char* out, const Rounded& number) const {
  const int slots = placedIntegerSlots_;
  const int digits = number.integerCount;
  // Integer digits fill the slots from the right; the slots left of them write "0" from the
  // leftmost forced one on, and the sign stands just before the leftmost digit written.
  const int firstWritten = digits >= slots ? 0 : std::min(slots - digits, leftmostForcedInteger_);
  int significantFractions = fractionPositions_;
  if (anyOptionalFraction_) {
    while (significantFractions > 0 && number.fractionDigit(significantFractions - 1) == '0') {
      --significantFractions;
    }
  }
  int integerIndex = 0;
  int fractionIndex = 0;
  for (const Item& item : mantissa_) {
    switch (item.slot) {
      case Slot::kLiteral:
        *out++ = item.text;
        break;
      case Slot::kIntegerPosition: {
        if (integerIndex == firstWritten && number.showSign) *out++ = '-';
        const int offset = integerIndex - (slots - digits);
        if (offset >= 0) {
          const int from = integerIndex == 0 ? 0 : offset;  // The leftmost slot takes the surplus.
          for (int i = from; i <= offset; ++i) *out++ = number.integerDigit(i);
        } else if (integerIndex >= leftmostForcedInteger_) {
          *out++ = '0';
        }
        ++integerIndex;
        break;
      }
      case Slot::kFractionPosition:
        if (item.forced || fractionIndex < significantFractions) {
          *out++ = number.fractionDigit(fractionIndex);
        }
        ++fractionIndex;
        break;
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
  std::array<char, 12> magnitude{};
  const int length = writeUnsigned(static_cast<unsigned>(std::abs(exponent)), magnitude);
  // |E| padded with zeros to the forced positions, then placed from the right; the
  // leftmost position takes whatever does not fit.
  const int total = std::max(length, forcedExponentPositions_);
  auto digitAt = [&](int i) {
    return i < total - length ? '0' : magnitude[static_cast<std::size_t>(i - (total - length))];
  };
  const int positions = exponentPositions_;
  int index = 0;
  for (const Item& item : exponent_) {
    if (item.slot == Slot::kLiteral) {
      *out++ = item.text;
      continue;
    }
    const int offset = index - (positions - total);
    if (offset >= 0) {
      const int from = index == 0 ? 0 : offset;
      for (int i = from; i <= offset; ++i) *out++ = digitAt(i);
    }
    ++index;
  }
  return out;
}

std::string formatWithMask(long double x, std::string_view mask) {
  return MaskFormatter(mask).format(x);
}

}  // namespace durno
