// Arbitrary bytes through every conversion: the parser must accept any text, and the
// formatter any number under any mask, without crashing, hanging or reading out of bounds;
// the value cut must agree with the two plain text operations it fuses.
// Input layout: the first byte splits the rest into a number text and a mask text (which
// also serves as the cut's key).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/mask_formatter.hpp"
#include "convert/number_parser.hpp"
#include "convert/plain_number.hpp"
#include "convert/text_ops.hpp"
#include "extract/line_match.hpp"
#include "tests/support/reference_text_ops.hpp"

namespace {

// Masks longer than this only repeat what shorter ones exercise and make fields huge.
constexpr std::size_t kLongestMask = 64;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = std::min<std::size_t>(data[0], input.size());
  const std::string_view numberText = input.substr(0, split);
  const std::string_view maskText = input.substr(split, kLongestMask);

  const long double value = durno::parseNumber(numberText);
  const long double whole = durno::parseNumber(input);
  const std::string plain = durno::plainNumberText(value);
  check(plain.size() >= 3 && plain.back() == ' ');

  const durno::MaskFormatter valueMask(" 00.000000000e+00   ");
  const durno::MaskFormatter stepMask(" #####    ");
  std::string valueField;
  valueMask.appendTo(valueField, value);
  check(valueField.size() >= 20 && valueField.size() <= 24);
  std::string stepField;
  stepMask.appendTo(stepField, value);
  // A value field always reads back as a number within its 11 digits.
  const long double back = durno::parseNumber(valueField);
  check(value == 0 || back != 0 || valueField.find("e-49") != std::string::npos);

  const durno::MaskFormatter anyMask(maskText);
  std::string row;
  anyMask.appendTo(row, value);
  anyMask.appendTo(row, whole);
  anyMask.appendTo(row, static_cast<double>(value));

  using durno::testing_support::removeCharactersOfSet;
  using durno::testing_support::removeEveryOccurrence;
  std::string cut;
  durno::cutValueText(input, maskText, cut);
  check(cut == removeCharactersOfSet(removeEveryOccurrence(input, maskText), " ="));
  durno::upperCase(durno::removeLeadingBlanks(input));
  return 0;
}
