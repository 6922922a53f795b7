#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "convert/word_ops.hpp"

namespace durno {
namespace {

// Each word routine and its plain twin, run on the same text, say what they found in a
// form that compares: an offset, a word, a bit map.
using Outcome = std::vector<std::uint64_t>;
using Routine = std::function<Outcome(const char* data, std::size_t size)>;

struct Twins {
  const char* name;
  Routine fast;
  Routine plain;
  // Runs of these texts, repeated, are what the routine passes over or takes.
  std::vector<std::string> runs;
};
// A failure names the routine.
void PrintTo(const Twins& twins, std::ostream* out) {
  *out << twins.name;
}

// Texts the bytes of which would change the outcome lie past their end: a routine that
// reads beyond size sees more of the run.
constexpr std::size_t kSpill = 80;

Outcome offset(const char* at, const char* data) {
  return {static_cast<std::uint64_t>(at - data)};
}

Outcome everyLeast(std::uint64_t (*atLeast)(std::uint64_t, unsigned), const char* data,
                   std::size_t size) {
  Outcome outcome;
  const std::uint64_t word = firstBytesWordPlain(data, size);
  for (unsigned least = 1; least <= 128; ++least)
    outcome.push_back(atLeast(word, least));
  return outcome;
}

Outcome joined(std::uint64_t (*join)(std::uint64_t, int), const char* data, std::size_t size) {
  // Any bytes become digits (their value mod 10), the first up to 8 of them.
  const int count = static_cast<int>(std::min<std::size_t>(size, 8));
  if (count == 0) return {};
  std::uint64_t bytes = 0;
  for (int i = 0; i < count; ++i)
    bytes |= std::uint64_t{static_cast<unsigned char>(data[i]) % 10u} << (8 * i);
  return {join(bytes, count)};
}

Outcome mantissa(bool (*read)(const char*, const char*, ShortMantissa&), const char* data,
                 std::size_t size) {
  ShortMantissa m;
  m.taken = -7;  // Unchanged when nothing is read.
  const bool found = read(data, data + size, m);
  return {found, m.digits, static_cast<std::uint64_t>(m.count), static_cast<std::uint64_t>(m.point),
          static_cast<std::uint64_t>(m.taken)};
}

constexpr ThreeBytes kStops{'\r', '\n', '\x1a'};

Outcome marked(void (*mark)(const char*, std::size_t, ThreeBytes, std::uint64_t*), const char* data,
               std::size_t size) {
  // One word more than is written, to see that no more is.
  Outcome words(size / 64 + 2, 0x5555555555555555ull);
  mark(data, size, kStops, words.data());
  return words;
}

// The bit map has a bit wherever the text's byte is not 'a', one at
// size, and a word of zeros after it; the next set bit from every place.
Outcome nextBits(std::size_t (*next)(const std::uint64_t*, std::size_t), const char* data,
                 std::size_t size) {
  constexpr char runByte = 'a';
  std::vector<std::uint64_t> words(size / 64 + 2, 0);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != runByte) words[i / 64] |= std::uint64_t{1} << (i % 64);
  }
  words[size / 64] |= std::uint64_t{1} << (size % 64);
  Outcome found;
  for (std::size_t from = 0; from <= size; ++from)
    found.push_back(next(words.data(), from));
  return found;
}

const std::vector<Twins>& allTwins() {
  static const std::vector<Twins> twins = {
      {"bytesAtLeast",
       [](const char* d, std::size_t n) { return everyLeast(bytesAtLeast, d, n); },
       [](const char* d, std::size_t n) { return everyLeast(bytesAtLeastPlain, d, n); },
       {"\x7f\x80", "\x01", "\xff\x00"}},
      {"firstBytesWord",
       [](const char* d, std::size_t n) { return Outcome{firstBytesWord(d, n)}; },
       [](const char* d, std::size_t n) { return Outcome{firstBytesWordPlain(d, n)}; },
       {"ab", "\xff"}},
      {"skipBlanks",
       [](const char* d, std::size_t n) { return offset(skipBlanks(d, d + n), d); },
       [](const char* d, std::size_t n) { return offset(skipBlanksPlain(d, d + n), d); },
       {" "}},
      {"skipBlanksAndEquals",
       [](const char* d, std::size_t n) { return offset(skipBlanksAndEquals(d, d + n), d); },
       [](const char* d, std::size_t n) { return offset(skipBlanksAndEqualsPlain(d, d + n), d); },
       {" ", "=", " = ="}},
      {"joinDigits",
       [](const char* d, std::size_t n) { return joined(joinDigits, d, n); },
       [](const char* d, std::size_t n) { return joined(joinDigitsPlain, d, n); },
       {"9", "1234567890"}},
      {"readShortMantissa",
       [](const char* d, std::size_t n) { return mantissa(readShortMantissa, d, n); },
       [](const char* d, std::size_t n) { return mantissa(readShortMantissaPlain, d, n); },
       {"0", "9", "1234567890", "0.000", "12.5"}},
      {"markBytes",
       [](const char* d, std::size_t n) { return marked(markBytes, d, n); },
       [](const char* d, std::size_t n) { return marked(markBytesPlain, d, n); },
       {"a", "\r\n", "x\x1a"}},
      {"nextSetBit",
       [](const char* d, std::size_t n) { return nextBits(nextSetBit, d, n); },
       [](const char* d, std::size_t n) { return nextBits(nextSetBitPlain, d, n); },
       {"a"}},
  };
  return twins;
}

class WordRoutine : public ::testing::TestWithParam<Twins> {
 protected:
  // The first length bytes of run repeated.
  static std::string repeated(const std::string& run, std::size_t length) {
    std::string text;
    while (text.size() < length)
      text += run;
    return text.substr(0, length);
  }

  // Runs text[0, size) through both, with the run going on past size.
  void expectSame(std::string text, std::size_t size, const std::string& run) {
    text.resize(size);
    text += repeated(run, kSpill);
    const Twins& twins = GetParam();
    ASSERT_EQ(twins.fast(text.data(), size), twins.plain(text.data(), size))
        << twins.name << " on " << ::testing::PrintToString(text.substr(0, size));
  }
};

// Runs of every length from 0 to 40 and around 64, ended by each of a few bytes, and every
// text cut at every length, so that each ends at every offset of a word.
TEST_P(WordRoutine, AgreesWithItsTwinOnEveryRunLength) {
  const std::vector<std::string> kEndings = {"",   "x",   std::string(1, '\0'), "\xff", "E-02",
                                             ".5", "\r\n"};
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 40; ++n)
    lengths.push_back(n);
  for (std::size_t n = 56; n <= 72; ++n)
    lengths.push_back(n);
  for (const std::string& run : GetParam().runs) {
    for (const std::size_t length : lengths) {
      for (const std::string& ending : kEndings) {
        const std::string text = repeated(run, length) + ending + "7";
        for (std::size_t size = 0; size <= text.size(); ++size)
          expectSame(text, size, run);
      }
    }
  }
}

// Every byte value at every position of a text of three words.
TEST_P(WordRoutine, AgreesWithItsTwinOnEveryByteAtEveryPosition) {
  constexpr std::size_t kLength = 24;
  for (const std::string& run : GetParam().runs) {
    const std::string base = repeated(run, kLength);
    for (std::size_t at = 0; at < kLength; ++at) {
      for (int byte = 0; byte < 256; ++byte) {
        std::string text = base;
        text[at] = static_cast<char>(byte);
        expectSame(text, kLength, run);
        expectSame(text, at + 1, run);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Twins, WordRoutine, ::testing::ValuesIn(allTwins()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace durno
