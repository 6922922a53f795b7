#include "convert/text_ops.hpp"

#include <array>

namespace durno {
namespace {

// Code page 437 letters with a case partner besides a-z/A-Z: {upper, lower}.
constexpr std::array<std::array<unsigned char, 2>, 7> kAccentedPairs = {{
    {0x80, 0x87},  // C cedilla
    {0x8E, 0x84},  // A diaeresis
    {0x99, 0x94},  // O diaeresis
    {0x9A, 0x81},  // U diaeresis
    {0x90, 0x82},  // E acute
    {0xA5, 0xA4},  // N tilde
    {0x8F, 0x86},  // A ring
}};

using ByteTable = std::array<unsigned char, 256>;

constexpr ByteTable identityTable() {
  ByteTable table{};
  for (int i = 0; i < 256; ++i)
    table[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
  return table;
}

constexpr ByteTable caseTable(bool toUpper) {
  ByteTable table = identityTable();
  for (int c = 'a'; c <= 'z'; ++c) {
    const int upper = c - ('a' - 'A');
    if (toUpper) {
      table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(upper);
    } else {
      table[static_cast<std::size_t>(upper)] = static_cast<unsigned char>(c);
    }
  }
  for (const auto& [upper, lower] : kAccentedPairs) {
    if (toUpper) {
      table[lower] = upper;
    } else {
      table[upper] = lower;
    }
  }
  return table;
}

constexpr ByteTable kToUpper = caseTable(true);
constexpr ByteTable kToLower = caseTable(false);

std::string mapBytes(std::string_view text, const ByteTable& table) {
  std::string result(text);
  for (char& c : result)
    c = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return result;
}

}  // namespace

std::string_view withoutTrailingBlanks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string removeLeadingBlanks(std::string_view text) {
  return std::string(withoutLeadingBlanks(text));
}

std::string quoted(std::string_view name) {
  std::string text;
  text.reserve(name.size() + 2);
  text.push_back('"');
  text.append(name).push_back('"');
  return text;
}

std::string upperCase(std::string_view text) {
  return mapBytes(text, kToUpper);
}

std::string lowerCase(std::string_view text) {
  return mapBytes(text, kToLower);
}

}  // namespace durno
