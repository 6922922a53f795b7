#pragma once

// Text operations on byte strings. Every byte value 0..255 is an ordinary character,
// NUL included; a blank is the space character (32) alone. Case mapping follows code
// page 437. None of these fails or changes its input. Equality, concatenation and length
// are std::string's own ==, + and size(), which already compare and count every byte.

#include <string>
#include <string_view>

#include "convert/word_ops.hpp"

namespace durno {

// The text without its leading blanks (character 32 only; a TAB is kept). Inline, and eight
// bytes at a time (skipBlanks), because the scanner calls it on every line of every result
// file.
inline std::string_view withoutLeadingBlanks(std::string_view text) {
  const char* const end = text.data() + text.size();
  return text.substr(static_cast<std::size_t>(skipBlanks(text.data(), end) - text.data()));
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
