#include "extract/step_table_writer.hpp"

#include <array>
#include <charconv>
#include <set>

#include "convert/powers_of_ten.hpp"
#include "extract/capacities.hpp"

namespace durno {

namespace {

// Room for the shortest text of any long double, "-1.2345678901234567891e-4950" and more.
constexpr std::size_t kNumberRoom = 64;

template <typename Number>
void appendShortestOf(std::string& out, Number value) {
  std::array<char, kNumberRoom> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  out.append(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
}

// The columns before the keys'.
constexpr std::array<std::string_view, 5> kFixedColumns{"file", "step", "VAP", "WTVAP", "PTOT"};

std::string_view withoutTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

// A decimal read exactly with at most 18 significant digits is its own shortest text when
// its value is the extended number nearest to it: no two decimals of 18 digits are read as
// one extended number (10^18 < 2^63). Its value is the nearest when the parser formed it
// with one exact power of ten, by one correctly rounded multiplication or division.
constexpr int kMostExactDigits = 18;

// Appends a number read as such a decimal in the layout std::to_chars gives its shortest
// text: fixed or scientific, whichever is shorter, fixed on a tie. The digits then need no
// conversion, which costs more than the rest of a row. False, and nothing appended, for
// any other number.
bool appendExactDecimal(std::string& out, const NumberRead& number) {
  if (!number.isExactDecimal() || number.digitCount() > kMostExactDigits) return false;
  const int scale = number.point() - number.digitCount();
  if (scale > kLargestExactPowerOfTen || scale < -kLargestExactPowerOfTen) return false;
  std::uint64_t significand = number.significand();
  int count = number.digitCount();
  while (significand % 10 == 0) {
    significand /= 10;
    --count;
  }
  const int point = number.point();
  const int exponent = point - 1;
  std::array<char, 20> digits;
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), significand).ptr;
  const std::string_view d(digits.data(), static_cast<std::size_t>(end - digits.data()));
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const int exponentDigits = magnitude >= 1000 ? 4 : magnitude >= 100 ? 3 : 2;
  const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
  const int fixedLength = point <= 0 ? 2 - point + count : point < count ? count + 1 : point;
  // A whole number written with zeros after its digits: to_chars writes the value's exact
  // digits there, as close as a text of that length can be.
  if (fixedLength <= scientificLength && point > count) return false;
  if (number.negative()) out.push_back('-');
  if (fixedLength <= scientificLength) {
    if (point <= 0) {
      out.append("0.").append(static_cast<std::size_t>(-point), '0').append(d);
    } else if (point < count) {
      out.append(d.substr(0, static_cast<std::size_t>(point)))
          .append(".")
          .append(d.substr(static_cast<std::size_t>(point)));
    } else {
      out.append(d);
    }
    return true;
  }
  out.push_back(d[0]);
  if (count > 1) out.append(".").append(d.substr(1));
  out.append(exponent < 0 ? "e-" : "e+");
  if (magnitude < 10) out.push_back('0');
  appendShortestOf(out, magnitude);
  return true;
}

}  // namespace

void appendShortest(std::string& out, long double value) {
  appendShortestOf(out, value);
}

void appendShortest(std::string& out, double value) {
  appendShortestOf(out, value);
}

void appendShortest(std::string& out, const NumberRead& number) {
  if (!appendExactDecimal(out, number)) appendShortestOf(out, number.value());
}

StepRowFormatter::StepRowFormatter(TableFormat format, std::span<const std::string> keys,
                                   std::span<const Quantity> keyQuantities)
    : separator_(format == TableFormat::Tsv ? '\t' : ','),
      keys_(keys),
      keyQuantities_(keyQuantities) {}

void appendCsvField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text);
    return;
  }
  out.push_back('"');
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void StepRowFormatter::appendName(std::string& out, std::string_view name) const {
  // A TSV quotes nothing: names that would need it are refused before the run.
  if (separator_ == '\t') {
    out.append(name);
  } else {
    appendCsvField(out, name);
  }
}

std::string StepRowFormatter::header() const {
  std::string text;
  std::set<std::string> used;
  // A name given twice becomes NAME_2, NAME_3, ...: tools key their columns by name.
  const auto column = [&](std::string_view name) {
    std::string unique(name);
    for (int n = 2; used.count(unique) != 0; ++n)
      unique = std::string(name) + "_" + std::to_string(n);
    used.insert(unique);
    if (!text.empty()) text.push_back(separator_);
    appendName(text, unique);
  };
  for (const std::string_view name : kFixedColumns)
    column(name);
  for (const std::string& key : keys_)
    column(withoutTrailingBlanks(key));
  return text.append("\r\n");
}

std::string StepRowFormatter::fileField(std::string_view fileName) const {
  std::string field;
  appendName(field, fileName);
  return field;
}

void StepRowFormatter::appendRow(std::string& out, std::string_view fileField, long double step,
                                 const ScannerState& state, std::uint64_t given) const {
  out.append(fileField).push_back(separator_);
  appendShortest(out, step);
  const int slots = kFirstCompoundSlot + static_cast<int>(keys_.size());
  for (int slot = 0; slot < slots; ++slot) {
    out.push_back(separator_);
    if ((given & slotBit(slot)) == 0) continue;
    const NumberRead& number = state.slotValue(slot);
    const bool asDouble =
        slot >= kFirstCompoundSlot &&
        keyQuantities_[static_cast<std::size_t>(slot - kFirstCompoundSlot)].heldAsDouble();
    if (asDouble) {
      appendShortest(out, roundToDouble(number.value()));
    } else {
      appendShortest(out, number);
    }
  }
  out.append("\r\n");
}

}  // namespace durno
