#pragma once

// The reader's hot loop: finding where a line stops in a buffer. Result files have lines of
// about 26 bytes and are read 16 million lines at a time, so the search runs over 16-byte
// blocks instead of byte by byte.

#include <cstddef>
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

// Returns the first byte in [begin, end) that stops a line (CR, LF or 26), or end.
// Reads nothing outside [begin, end).
inline const char* findLineStop(const char* begin, const char* end) {
  const char* at = begin;
#if defined(__SSE2__)
  const __m128i carriageReturns = _mm_set1_epi8(kCarriageReturn);
  const __m128i lineFeeds = _mm_set1_epi8(kLineFeed);
  const __m128i endsOfText = _mm_set1_epi8(kEndOfText);
  while (end - at >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i hits = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(block, carriageReturns), _mm_cmpeq_epi8(block, lineFeeds)),
        _mm_cmpeq_epi8(block, endsOfText));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return at + __builtin_ctz(static_cast<unsigned>(mask));
    at += 16;
  }
#endif
  while (at != end && !stopsLine(*at))
    ++at;
  return at;
}

}  // namespace durno
