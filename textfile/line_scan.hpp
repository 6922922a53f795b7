#pragma once

// The reader's hot loop: finding where a line stops in a buffer. Result files have lines of
// about 26 bytes and are read 16 million lines at a time, so each buffer load is indexed once,
// 16 bytes per step and without a branch per byte, into a bit map of its line stops; a line
// is then found with a bit search instead of a scan that mispredicts on every line length.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  std::size_t at = 0;
  std::size_t word = 0;
#if defined(__SSE2__)
  const __m128i carriageReturns = _mm_set1_epi8(kCarriageReturn);
  const __m128i lineFeeds = _mm_set1_epi8(kLineFeed);
  const __m128i endsOfText = _mm_set1_epi8(kEndOfText);
  auto stopsIn16 = [&](const char* block16) -> std::uint64_t {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block16));
    const __m128i hits = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(block, carriageReturns), _mm_cmpeq_epi8(block, lineFeeds)),
        _mm_cmpeq_epi8(block, endsOfText));
    return static_cast<std::uint16_t>(_mm_movemask_epi8(hits));
  };
  for (; size - at >= 64; at += 64, ++word) {
    words[word] = stopsIn16(data + at) | stopsIn16(data + at + 16) << 16 |
                  stopsIn16(data + at + 32) << 32 | stopsIn16(data + at + 48) << 48;
  }
#endif
  for (std::size_t rest = word; rest < stopIndexWords(size); ++rest)
    words[rest] = 0;
  for (; at < size; ++at) {
    if (stopsLine(data[at])) words[at / 64] |= std::uint64_t{1} << (at % 64);
  }
  words[size / 64] |= std::uint64_t{1} << (size % 64);
}

// The index of the first set bit at or after from in a stop index built by buildStopIndex;
// from must not lie beyond its end marker.
// Lines are mostly shorter than 64 bytes, so the stop lies in this word or the next about
// equally often: both are looked at without a branch, and only longer lines loop.
inline std::size_t nextStop(const std::uint64_t* words, std::size_t from) {
  std::size_t word = from / 64;
  const std::uint64_t here = words[word] & (~std::uint64_t{0} << (from % 64));
  const std::uint64_t after = words[word + 1];
  if ((here | after) != 0) [[likely]] {
    // hereZeros is 64 exactly when here is 0; then (hereZeros >> 6) is 1 and the zeros of
    // after are added, without a branch on here.
    const auto hereZeros = static_cast<std::size_t>(std::countr_zero(here));
    const auto afterZeros = static_cast<std::size_t>(std::countr_zero(after));
    return word * 64 + hereZeros + (afterZeros & (std::size_t{0} - (hereZeros >> 6)));
  }
  word += 2;
  while (words[word] == 0)
    ++word;
  return word * 64 + static_cast<std::size_t>(std::countr_zero(words[word]));
}

}  // namespace durno
