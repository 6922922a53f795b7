#pragma once

// Every routine that looks at text eight bytes at a time (or sixteen, with SSE2) lives here,
// each beside a plain twin that does the same one byte at a time. The twin is the routine's
// definition; the fast one exists only because the scanner calls it on every line of files
// of millions of lines, where a byte loop mispredicts on every change of length.
// tests/convert/word_ops_test.cpp holds each fast routine to its twin on every run length,
// every byte at every position and texts ending at every offset of a word.
//
// A word is eight bytes loaded with memcpy; on a little-endian machine the text's first
// byte is the word's lowest, and the fast routines fall back to their twins elsewhere.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace durno {

inline constexpr bool kWordsLittleEnd = std::endian::native == std::endian::little;
inline constexpr std::size_t kBytesInWord = sizeof(std::uint64_t);
// kEachByte * c holds the byte c in each of the eight bytes.
inline constexpr std::uint64_t kEachByte = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = kEachByte * 0x80;

inline std::uint64_t loadWord(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The index of the lowest byte of mask that has any bit set; mask must not be 0.
inline std::size_t lowestByteSet(std::uint64_t mask) {
  return static_cast<std::size_t>(std::countr_zero(mask)) / 8;
}

// ---- bytesAtLeast: bit 7 of each byte of word whose value is at least least (1 to 128) ----
// With least 1, the bytes that are not 0; of word ^ kEachByte * c, the bytes that are not c.
//
// Write a byte as h * 128 + l, l its low seven bits (0 to 127). (word & ~kHighBits) keeps
// l; adding 128 - least (0 to 127) to it gives at most 254, so no carry reaches the next
// byte, and bit 7 of the sum is set exactly when l >= least. A byte with h set is at least
// 128 >= least whatever l is, so word itself is or-ed in; kHighBits keeps bit 7 alone.
constexpr std::uint64_t bytesAtLeast(std::uint64_t word, unsigned least) {
  return (((word & ~kHighBits) + kEachByte * (0x80 - least)) | word) & kHighBits;
}
constexpr std::uint64_t bytesAtLeastPlain(std::uint64_t word, unsigned least) {
  std::uint64_t result = 0;
  for (int i = 0; i < 8; ++i) {
    if (((word >> (8 * i)) & 0xFF) >= least) result |= std::uint64_t{0x80} << (8 * i);
  }
  return result;
}

// ---- firstBytesWord: text's first up to 8 bytes, the first lowest, 0 beyond them ----
// The same bytes in the same places whatever the machine's order.
inline std::uint64_t firstBytesWordPlain(const char* data, std::size_t size) {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < size && i < kBytesInWord; ++i)
    word |= std::uint64_t{static_cast<unsigned char>(data[i])} << (8 * i);
  return word;
}
inline std::uint64_t firstBytesWord(const char* data, std::size_t size) {
  if constexpr (kWordsLittleEnd) {
    if (size >= kBytesInWord) return loadWord(data);
  }
  return firstBytesWordPlain(data, size);
}

// ---- skipBlanks: the first byte from at on that is not a blank (32 only), or end ----
inline const char* skipBlanksPlain(const char* at, const char* end) {
  while (at != end && *at == ' ')
    ++at;
  return at;
}
inline const char* skipBlanks(const char* at, const char* end) {
  if constexpr (kWordsLittleEnd) {
    while (static_cast<std::size_t>(end - at) >= kBytesInWord) {
      // The bytes that differ from a blank; the lowest of them is the first non-blank.
      const std::uint64_t differences = loadWord(at) ^ (kEachByte * ' ');
      if (differences != 0) return at + lowestByteSet(differences);
      at += kBytesInWord;
    }
  }
  return skipBlanksPlain(at, end);
}

// ---- skipBlanksAndEquals: the first byte from at on that is neither a blank nor '=' ----
inline const char* skipBlanksAndEqualsPlain(const char* at, const char* end) {
  while (at != end && (*at == ' ' || *at == '='))
    ++at;
  return at;
}
inline const char* skipBlanksAndEquals(const char* at, const char* end) {
  if constexpr (kWordsLittleEnd) {
    while (static_cast<std::size_t>(end - at) >= kBytesInWord) {
      const std::uint64_t word = loadWord(at);
      // Bit 7 of the bytes that are not a blank, and of those that are not '='.
      const std::uint64_t others =
          bytesAtLeast(word ^ (kEachByte * ' '), 1) & bytesAtLeast(word ^ (kEachByte * '='), 1);
      if (others != 0) return at + lowestByteSet(others);
      at += kBytesInWord;
    }
  }
  return skipBlanksAndEqualsPlain(at, end);
}

// ---- joinDigits: count (1 to 8) digits given one per byte, the first lowest, as a number ----
// Bytes beyond the count must be 0.
constexpr std::uint64_t joinDigitsPlain(std::uint64_t bytes, int count) {
  std::uint64_t joined = 0;
  for (int i = 0; i < count; ++i)
    joined = joined * 10 + ((bytes >> (8 * i)) & 0xFF);
  return joined;
}
// The shift puts the last digit in byte 7, so byte j weighs 10^(7 - j) and the bytes below
// the first digit are zeros. Then:
// - joined * 10 + (joined >> 8): byte j becomes 10 * b(j) + b(j + 1), at most 99, so no
//   carry; the even bytes 0, 2, 4, 6 hold the pairs P0, P2, P4, P6, weighing 10^6, 10^4,
//   10^2, 1 (the odd bytes are not used).
// - 0x000000FF000000FF picks bytes 0 and 4: P0 + P4 * 2^32; times 100 + 10^6 * 2^32 its
//   high half is 10^6 * P0 + 100 * P4 (P4 * 10^6 * 2^64 falls off the word, and 100 * P0 in
//   the low half stays below 2^32). Bytes 2 and 6, shifted down by 16, give P2 + P6 * 2^32;
//   times 1 + 10^4 * 2^32 its high half is 10^4 * P2 + P6. The low halves together stay
//   below 10^4, the high halves below 10^8 < 2^32, so the sum's high half, taken by >> 32,
//   is the number.
constexpr std::uint64_t joinDigits(std::uint64_t bytes, int count) {
  constexpr std::uint64_t kBytes0And4 = 0x000000FF000000FFull;
  std::uint64_t joined = bytes << (8 * (8 - count));
  joined = joined * 10 + (joined >> 8);
  return (((joined & kBytes0And4) * (100 + (1000000ull << 32))) +
          (((joined >> 16) & kBytes0And4) * (1 + (10000ull << 32)))) >>
         32;
}

// ---- readShortMantissa: a mantissa such as "0.007794" or "6.1002" in one word ----
// Digits with at most one '.', which together with the byte that ends them lie in the eight
// bytes at at, or end exactly at end, with at least one digit. The digits are kept one per
// byte, as joinDigits takes them.
struct ShortMantissa {
  std::uint64_t digits = 0;  // the significant digits, first lowest, 0 beyond them
  int count = 0;             // of significant digits: leading zeros are not
  int point = 0;             // digits before the point less the leading zeros
  int taken = 0;             // bytes of text the mantissa has
};
inline bool isDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}
// False, with m unchanged, for any other text.
inline bool readShortMantissaPlain(const char* at, const char* end, ShortMantissa& m) {
  if (end - at < static_cast<std::ptrdiff_t>(kBytesInWord)) return false;
  const int kWord = static_cast<int>(kBytesInWord);
  // A run of digits that reaches the word's end goes on past it unless the text ends there.
  auto runEnd = [&](int from) {
    while (from < kWord && isDecimalDigit(at[from]))
      ++from;
    return from < kWord || at + kWord == end ? from : -1;
  };
  const int integerDigits = runEnd(0);
  if (integerDigits < 0) return false;
  int taken = integerDigits;
  if (integerDigits < kWord && at[integerDigits] == '.') {
    taken = runEnd(integerDigits + 1);
    if (taken < 0) return false;
  }
  ShortMantissa read;
  int zeros = 0;
  for (int i = 0; i < taken; ++i) {
    if (at[i] == '.') continue;
    if (read.count == 0 && at[i] == '0') {
      ++zeros;
    } else {
      read.digits |= std::uint64_t(at[i] - '0') << (8 * read.count++);
    }
  }
  if (read.count + zeros == 0) return false;
  read.point = integerDigits - zeros;
  read.taken = taken;
  m = read;
  return true;
}
inline bool readShortMantissa(const char* at, const char* end, ShortMantissa& m) {
  if constexpr (!kWordsLittleEnd) {
    return readShortMantissaPlain(at, end, m);
  } else {
    if (end - at < static_cast<std::ptrdiff_t>(kBytesInWord)) return false;
    const std::uint64_t values = loadWord(at) ^ (kEachByte * '0');  // digits become 0..9
    // Bit 7 of each byte that is no digit: a value of 10 or more.
    const std::uint64_t nonDigits = bytesAtLeast(values, 10);
    // Where a run of digits from byte from on ends; past the word only where the text ends.
    const auto runEnd = [&](int from) {
      const std::uint64_t rest = from < 8 ? nonDigits >> (8 * from) << (8 * from) : 0;
      return rest != 0 ? static_cast<int>(lowestByteSet(rest)) : (at + 8 == end ? 8 : -1);
    };
    const int integerDigits = runEnd(0);
    if (integerDigits < 0) return false;
    int fractionDigits = 0;
    std::uint64_t digits = values;
    int taken = integerDigits;
    if (integerDigits < 8 && at[integerDigits] == '.') {
      const int fractionEnd = runEnd(integerDigits + 1);
      if (fractionEnd < 0) return false;
      fractionDigits = fractionEnd - integerDigits - 1;
      // The fraction digits are moved down over the point.
      const std::uint64_t integerMask = (std::uint64_t{1} << (8 * integerDigits)) - 1;
      digits = (values & integerMask) | ((values >> 8) & ~integerMask);
      taken = fractionEnd;
    }
    const int count = integerDigits + fractionDigits;
    if (count == 0) return false;
    digits &= count == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * count)) - 1;
    // Leading zero digits are not significant.
    const std::uint64_t nonzeroBytes = bytesAtLeast(digits, 1);
    const int zeros = nonzeroBytes != 0 ? static_cast<int>(lowestByteSet(nonzeroBytes)) : count;
    m.digits = zeros < 8 ? digits >> (8 * zeros) : 0;
    m.count = count - zeros;
    m.point = integerDigits - zeros;
    m.taken = taken;
    return true;
  }
}

// ---- markBytes: a bit map of where any of three bytes stands in data[0, size) ----
// Bit i of words[i / 64] is set when data[i] is one of them; writes size / 64 + 1 words,
// the last one's bits beyond size clear.
struct ThreeBytes {
  char a, b, c;
  bool has(char byte) const { return byte == a || byte == b || byte == c; }
};
inline void markBytesPlain(const char* data, std::size_t size, ThreeBytes bytes,
                           std::uint64_t* words) {
  for (std::size_t word = 0; word <= size / 64; ++word)
    words[word] = 0;
  for (std::size_t at = 0; at < size; ++at) {
    if (bytes.has(data[at])) words[at / 64] |= std::uint64_t{1} << (at % 64);
  }
}
// With SSE2, each 64 bytes are compared 16 at a time, the three comparisons or-ed and their high
// bits gathered by movemask into 16 bits of the word; the bytes after the last whole 64 one by one.
inline void markBytes(const char* data, std::size_t size, ThreeBytes bytes, std::uint64_t* words) {
#if !defined(__SSE2__)
  markBytesPlain(data, size, bytes, words);
#else
  std::size_t at = 0;
  const __m128i as = _mm_set1_epi8(bytes.a);
  const __m128i bs = _mm_set1_epi8(bytes.b);
  const __m128i cs = _mm_set1_epi8(bytes.c);
  auto hitsIn16 = [&](const char* block16) -> std::uint64_t {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block16));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, as), _mm_cmpeq_epi8(block, bs)),
                     _mm_cmpeq_epi8(block, cs));
    return static_cast<std::uint16_t>(_mm_movemask_epi8(hits));
  };
  for (; size - at >= 64; at += 64) {
    words[at / 64] = hitsIn16(data + at) | hitsIn16(data + at + 16) << 16 |
                     hitsIn16(data + at + 32) << 32 | hitsIn16(data + at + 48) << 48;
  }
  words[at / 64] = 0;
  for (; at < size; ++at) {
    if (bytes.has(data[at])) words[at / 64] |= std::uint64_t{1} << (at % 64);
  }
#endif
}

// ---- nextSetBit: the index of the first set bit at or after from in words ----
// A set bit must come at or after from, and a word of zeros may be read after it.
inline std::size_t nextSetBitPlain(const std::uint64_t* words, std::size_t from) {
  while ((words[from / 64] >> (from % 64) & 1) == 0)
    ++from;
  return from;
}
// The bit is mostly in from's word or the next (lines are mostly shorter than 64 bytes):
// both are looked at without a branch, and only longer gaps loop.
inline std::size_t nextSetBit(const std::uint64_t* words, std::size_t from) {
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
