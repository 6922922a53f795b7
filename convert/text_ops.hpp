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

// The first n bytes; the whole text when it is shorter; empty when n <= 0.
std::string firstCharacters(std::string_view text, long long n);

// Deletes every non-overlapping occurrence of key, scanning left to right and resuming
// behind each occurrence ('aaa' without 'aa' gives 'a'). An empty key, an empty text or
// a key longer than the text leaves the text unchanged.
std::string removeEveryOccurrence(std::string_view text, std::string_view key);

// Deletes every byte that occurs anywhere in set; the other bytes keep their order.
std::string removeCharactersOfSet(std::string_view text, std::string_view set);

// The one-byte text of a character code (0..255).
std::string characterText(unsigned char code);

}  // namespace durno
