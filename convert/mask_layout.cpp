#include "convert/mask_layout.hpp"

#include <cstddef>

namespace durno {
namespace {

using Op = MaskLayout::Op;
using Step = MaskLayout::Step;

bool isLiteral(char c) {
  return c == ' ' || c == '-' || c == '+' || c == '(' || c == ')' || c == '$';
}

// Reads a mask byte by byte into a MaskLayout.
class MaskReader {
 public:
  MaskReader() = default;
  MaskReader(const MaskReader&) = delete;  // The part references point into its own layout.
  MaskReader& operator=(const MaskReader&) = delete;

  MaskLayout read(std::string_view mask);

 private:
  void readMantissaByte(std::string_view mask, std::size_t& i);
  void readExponentByte(char c);
  void addIntegerPosition(bool forced);
  void addFractionPosition(bool forced);
  void addPoint();
  void addText(std::vector<Step>& steps, char c);
  void keepMarkerAsText();
  void addMissingIntegerSlot();

  MaskLayout layout_;
  MaskLayout::Mantissa& mantissa_ = layout_.mantissa;
  MaskLayout::Exponent& exponent_ = layout_.exponent;
  bool seenPoint_ = false;
  bool seenMarker_ = false;
  std::size_t firstPoint_ = std::string_view::npos;  // Step index of the first '.'.
  char markerSign_ = '+';
  int leftmostForced_ = -1;  // Slot number of the first '0' before the point.
};

MaskLayout MaskReader::read(std::string_view mask) {
  layout_.empty = mask.empty();
  for (std::size_t i = 0; i < mask.size(); ++i) {
    if (seenMarker_) {
      readExponentByte(mask[i]);
    } else {
      readMantissaByte(mask, i);
    }
  }
  exponent_.signAlways = markerSign_ == '+';
  if (seenMarker_ && exponent_.positions == 0) keepMarkerAsText();
  addMissingIntegerSlot();
  mantissa_.leftmostForcedSlot = leftmostForced_ < 0 ? mantissa_.integerSlots : leftmostForced_;
  return std::move(layout_);
}

// Reads mask[i]; an exponent marker takes the byte after it as well.
void MaskReader::readMantissaByte(std::string_view mask, std::size_t& i) {
  const char c = mask[i];
  const bool forced = c == '0';
  if (forced || c == '#') {
    seenPoint_ ? addFractionPosition(forced) : addIntegerPosition(forced);
  } else if (c == '.') {
    addPoint();
  } else if ((c == 'e' || c == 'E') &&
             mantissa_.integerPositions + mantissa_.fractionPositions > 0) {
    const char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
    if (next == '+' || next == '-') {
      seenMarker_ = true;
      exponent_.letter = c;
      markerSign_ = next;
      ++i;
    } else {
      addText(mantissa_.steps, c);
    }
  } else if (isLiteral(c)) {
    addText(mantissa_.steps, c);
  }
}

void MaskReader::readExponentByte(char c) {
  const bool forced = c == '0';
  if (forced || c == '#') {
    exponent_.steps.push_back({Op::kExponentSlot, exponent_.positions++, 1});
    exponent_.forcedPositions += forced ? 1 : 0;
  } else if (isLiteral(c) || c == '.') {
    addText(exponent_.steps, c);
  }
}

void MaskReader::addIntegerPosition(bool forced) {
  if (forced && leftmostForced_ < 0) leftmostForced_ = mantissa_.integerPositions;
  mantissa_.steps.push_back({Op::kIntegerSlot, mantissa_.integerPositions++, 1});
}

void MaskReader::addFractionPosition(bool forced) {
  std::vector<Step>& steps = mantissa_.steps;
  if (forced && !steps.empty() && steps.back().op == Op::kForcedFractions) {
    ++steps.back().count;
  } else {
    steps.push_back(
        {forced ? Op::kForcedFractions : Op::kOptionalFraction, mantissa_.fractionPositions, 1});
  }
  ++mantissa_.fractionPositions;
  mantissa_.anyOptionalFraction = mantissa_.anyOptionalFraction || !forced;
}

void MaskReader::addPoint() {
  if (!seenPoint_) {
    // The first point opens a step of its own, so the integer digits of a mask without
    // integer positions can go right in front of it.
    firstPoint_ = mantissa_.steps.size();
    mantissa_.steps.push_back({Op::kText, static_cast<int>(layout_.literals.size()), 0});
  }
  seenPoint_ = true;
  addText(mantissa_.steps, '.');
}

void MaskReader::addText(std::vector<Step>& steps, char c) {
  if (steps.empty() || steps.back().op != Op::kText) {
    steps.push_back({Op::kText, static_cast<int>(layout_.literals.size()), 0});
  }
  layout_.literals += c;
  ++steps.back().count;
}

// A marker with no digit position after it is no marker: its bytes and the literals after
// it stay in the text as they stand.
void MaskReader::keepMarkerAsText() {
  addText(mantissa_.steps, exponent_.letter);
  addText(mantissa_.steps, markerSign_);
  for (const Step& step : exponent_.steps) {
    for (int k = 0; k < step.count; ++k)
      addText(mantissa_.steps, layout_.literals[static_cast<std::size_t>(step.first + k)]);
  }
  exponent_.steps.clear();
}

void MaskReader::addMissingIntegerSlot() {
  mantissa_.integerSlots = mantissa_.integerPositions;
  if (mantissa_.integerSlots > 0) return;
  std::vector<Step>& steps = mantissa_.steps;
  const auto at = firstPoint_ == std::string_view::npos
                      ? steps.end()
                      : steps.begin() + static_cast<std::ptrdiff_t>(firstPoint_);
  steps.insert(at, Step{Op::kIntegerSlot, 0, 1});
  mantissa_.integerSlots = 1;
}

// The template of a mask of the plainest exponent shape, or none.
std::optional<MaskLayout::ExponentTemplate> exponentTemplateOf(const MaskLayout& layout) {
  // Exponents of up to this many forced digits are written by the template.
  constexpr int kTemplateExponentDigits = 4;
  constexpr std::size_t kTemplateLiterals = 32;
  // Masks showing up to this many digits are written by the template. It bounds no buffer:
  // the template reads at most the 18 digits of the number and writes zeros past them.
  constexpr int kTemplateShownDigits = 40;
  const MaskLayout::Mantissa& mantissa = layout.mantissa;
  const MaskLayout::Exponent& exponent = layout.exponent;
  if (!layout.hasExponent() ||
      mantissa.integerPositions + mantissa.fractionPositions > kTemplateShownDigits ||
      mantissa.anyOptionalFraction || mantissa.integerPositions == 0 ||
      mantissa.leftmostForcedSlot != 0 || exponent.forcedPositions != exponent.positions ||
      exponent.positions > kTemplateExponentDigits || layout.literals.size() > kTemplateLiterals) {
    return std::nullopt;
  }
  auto text = [&layout](const Step& step) {
    return std::string(
        std::string_view(layout.literals)
            .substr(static_cast<std::size_t>(step.first), static_cast<std::size_t>(step.count)));
  };
  const std::vector<Step>& steps = mantissa.steps;
  std::size_t at = 0;
  MaskLayout::ExponentTemplate result;
  if (at < steps.size() && steps[at].op == Op::kText) result.prefix = text(steps[at++]);
  for (int slot = 0; slot < mantissa.integerPositions; ++slot, ++at) {
    if (at >= steps.size() || steps[at].op != Op::kIntegerSlot) return std::nullopt;
  }
  const bool pointThenFractions = mantissa.fractionPositions > 0 && steps.size() == at + 2 &&
                                  steps[at].op == Op::kText && text(steps[at]) == "." &&
                                  steps[at + 1].op == Op::kForcedFractions;
  if (!pointThenFractions) return std::nullopt;
  std::size_t slots = 0;
  while (slots < exponent.steps.size() && exponent.steps[slots].op == Op::kExponentSlot)
    ++slots;
  if (static_cast<int>(slots) != exponent.positions || exponent.steps.size() > slots + 1) {
    return std::nullopt;
  }
  if (exponent.steps.size() == slots + 1) result.suffix = text(exponent.steps.back());
  return result;
}

}  // namespace

MaskLayout analyseMask(std::string_view mask) {
  MaskLayout layout = MaskReader().read(mask);
  layout.exponentTemplate = exponentTemplateOf(layout);
  return layout;
}

}  // namespace durno
