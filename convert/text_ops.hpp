#pragma once

// Text operations on byte strings. Every byte value 0..255 is an ordinary character,
// NUL included; a blank is the space character (32) alone. Case mapping follows code
// page 437. None of these fails or changes its input. Equality, concatenation and length
// are std::string's own ==, + and size(), which already compare and count every byte.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace durno {

// The text without its leading blanks (character 32 only; a TAB is kept). Inline, and eight
// bytes at a time, because the scanner calls it on every line of every result file and a
// byte loop mispredicts on every change of indentation.
inline std::string_view withoutLeadingBlanks(std::string_view text) {
  std::size_t first = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020ull;
    while (text.size() - first >= sizeof(std::uint64_t)) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + first, sizeof word);
      const std::uint64_t differences = word ^ kEightBlanks;
      if (differences != 0) {
        // The lowest differing byte is the first byte that is not a blank.
        return text.substr(first + static_cast<std::size_t>(std::countr_zero(differences)) / 8);
      }
      first += sizeof word;
    }
  }
  while (first < text.size() && text[first] == ' ')
    ++first;
  return text.substr(first);
}

// The text without its trailing blanks.
std::string_view withoutTrailingBlanks(std::string_view text);

// The text without the blanks at either end.
inline std::string_view withoutBlanksAround(std::string_view text) {
  return withoutTrailingBlanks(withoutLeadingBlanks(text));
}

// withoutLeadingBlanks as a string of its own.
std::string removeLeadingBlanks(std::string_view text);

// A name as messages show it: in double quotes, so that blanks around it are seen.
std::string quoted(std::string_view name);

// a-z to A-Z plus the seven code page 437 accented pairs; every other byte unchanged.
std::string upperCase(std::string_view text);

// A-Z to a-z plus the seven code page 437 accented pairs; every other byte unchanged.
std::string lowerCase(std::string_view text);

}  // namespace durno
