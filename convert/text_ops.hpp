#pragma once

// Text operations on byte strings. Every byte value 0..255 is an ordinary character,
// NUL included; a blank is the space character (32) alone. Case mapping follows code
// page 437. None of these fails or changes its input. Equality, concatenation and length
// are std::string's own ==, + and size(), which already compare and count every byte.

#include <string>
#include <string_view>

namespace durno {

// The text without its leading spaces; TAB and every other byte are kept.
std::string removeLeadingBlanks(std::string_view text);

// a-z to A-Z plus the seven code page 437 accented pairs; every other byte unchanged.
std::string upperCase(std::string_view text);

// A-Z to a-z plus the seven code page 437 accented pairs; every other byte unchanged.
std::string lowerCase(std::string_view text);

}  // namespace durno
