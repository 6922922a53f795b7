#pragma once

// Plain, obviously right forms of the two text operations the value cut fuses into one
// pass; the differential tests hold the fast cut against them.

#include <array>
#include <string>
#include <string_view>

namespace durno::testing_support {

// Deletes every non-overlapping occurrence of key, scanning left to right and resuming
// behind each occurrence ('aaa' without 'aa' gives 'a'). An empty key, an empty text or
// a key longer than the text leaves the text unchanged.
inline std::string removeEveryOccurrence(std::string_view text, std::string_view key) {
  if (key.empty() || key.size() > text.size()) return std::string(text);
  std::string result;
  std::size_t position = 0;
  for (std::size_t found = text.find(key); found != std::string_view::npos;
       found = text.find(key, position)) {
    result.append(text, position, found - position);
    position = found + key.size();
  }
  result.append(text, position);
  return result;
}

// Deletes every byte that occurs anywhere in set; the other bytes keep their order.
inline std::string removeCharactersOfSet(std::string_view text, std::string_view set) {
  std::array<bool, 256> inSet{};
  for (const char c : set)
    inSet[static_cast<unsigned char>(c)] = true;
  std::string result;
  for (const char c : text) {
    if (!inSet[static_cast<unsigned char>(c)]) result += c;
  }
  return result;
}

}  // namespace durno::testing_support
