#pragma once

// How a result-file line is recognised and how its number is taken. These rules decide
// which values reach the table, so they are kept small, exact and separately testable.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "convert/extended.hpp"

namespace durno {

// The line without its leading blanks (character 32 only; a TAB is kept and then begins
// no key). Inline, and eight bytes at a time, because the scanner calls it on every line
// of every result file and a byte loop mispredicts on every change of indentation.
inline std::string_view withoutLeadingBlanks(std::string_view line) {
  std::size_t first = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020ull;
    while (line.size() - first >= sizeof(std::uint64_t)) {
      std::uint64_t word;
      std::memcpy(&word, line.data() + first, sizeof word);
      const std::uint64_t differences = word ^ kEightBlanks;
      if (differences != 0) {
        // The lowest differing byte is the first byte that is not a blank.
        return line.substr(first + static_cast<std::size_t>(std::countr_zero(differences)) / 8);
      }
      first += sizeof word;
    }
  }
  while (first < line.size() && line[first] == ' ')
    ++first;
  return line.substr(first);
}

// True when the line is at least as long as key and starts with it byte for byte. Case
// and a trailing blank of the key count; the empty key begins every line.
inline bool lineBeginsWith(std::string_view line, std::string_view key) {
  return line.size() >= key.size() && line.compare(0, key.size(), key) == 0;
}

// The value cut's text: the line with every non-overlapping occurrence of key removed
// (scanning left to right and resuming behind each one; an empty key removes nothing),
// then every blank and every '=' removed. Replaces the contents of out and reuses its
// storage, so a scan allocates only when a line is longer than any before it.
void cutValueText(std::string_view line, std::string_view key, std::string& out);

// The number the value cut gives for a line that begins with key: the number at the start
// of cutValueText, or 0 when none is there. scratch holds the cut text afterwards.
long double cutValue(std::string_view line, std::string_view key, std::string& scratch);

}  // namespace durno
