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

// Text looked at eight bytes at a time, as one 64-bit word loaded with memcpy: on a
// little-endian machine the text's first byte is the word's lowest. kEachByte * c holds c
// in every byte.
inline constexpr std::uint64_t kEachByte = 0x0101010101010101ull;

// Bit 7 of each byte of word whose value is at least least (1 to 128), no other bit: with
// least 1, the bytes that are not 0 (of word ^ kEachByte * c: the bytes that are not c).
constexpr std::uint64_t bytesAtLeast(std::uint64_t word, unsigned least) {
  constexpr std::uint64_t kHighBits = kEachByte * 0x80;
  return (((word & ~kHighBits) + kEachByte * (0x80 - least)) | word) & kHighBits;
}

// The text without its leading blanks (character 32 only; a TAB is kept). Inline, and eight
// bytes at a time, because the scanner calls it on every line of every result file and a
// byte loop mispredicts on every change of indentation.
inline std::string_view withoutLeadingBlanks(std::string_view text) {
  std::size_t first = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kEightBlanks = kEachByte * ' ';
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
