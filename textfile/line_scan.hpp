#pragma once

// The reader's hot loop: finding where a line stops in a buffer. Result files have lines of
// about 26 bytes and are read 16 million lines at a time, so each buffer load is indexed once,
// 16 bytes per step and without a branch per byte, into a bit map of its line stops; a line
// is then found with a bit search instead of a scan that mispredicts on every line length.

#include <cstddef>
#include <cstdint>

#include "convert/word_ops.hpp"

namespace durno {

inline constexpr char kCarriageReturn = '\r';
inline constexpr char kLineFeed = '\n';
// Ctrl-Z: the end of a text file's readable content.
inline constexpr char kEndOfText = '\x1a';

inline bool stopsLine(char byte) {
  return byte == kCarriageReturn || byte == kLineFeed || byte == kEndOfText;
}

// The number of 64-bit words a stop index over size bytes needs: one bit per byte, one
// more for the end marker, and a word of zeros after it so a search may read one word ahead.
inline constexpr std::size_t stopIndexWords(std::size_t size) {
  return (size + 1) / 64 + 2;
}

// Writes a bit map of the line stops in data[0, size) to words (stopIndexWords(size) of
// them): bit i of word i / 64 is set when data[i] is CR, LF or 26. Bit size is set as well, so
// a search always ends by the end of the data.
inline void buildStopIndex(const char* data, std::size_t size, std::uint64_t* words) {
  markBytes(data, size, ThreeBytes{kCarriageReturn, kLineFeed, kEndOfText}, words);
  for (std::size_t rest = size / 64 + 1; rest < stopIndexWords(size); ++rest)
    words[rest] = 0;
  words[size / 64] |= std::uint64_t{1} << (size % 64);
}

// The index of the first set bit at or after from in a stop index built by buildStopIndex;
// from must not lie beyond its end marker.
inline std::size_t nextStop(const std::uint64_t* words, std::size_t from) {
  return nextSetBit(words, from);
}

}  // namespace durno
