#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "convert/number_parser.hpp"
#include "extract/line_match.hpp"
#include "extract/scanner.hpp"
#include "tests/support/reference_text_ops.hpp"

namespace durno {
namespace {

using testing_support::removeCharactersOfSet;
using testing_support::removeEveryOccurrence;

struct BeginCase {
  std::string line;
  std::string key;
  bool begins;
};

TEST(LineBeginning, MatchesOnlyTheExactLeadingBytes) {
  const std::vector<BeginCase> cases = {
      {"VAP = 0.25", "VAP =", true},
      {"VAP=0.25", "VAP =", false},
      {"WTVAP = 3.0", "VAP =", false},
      {"STEP NUMBER    12", "STEP NUMBER", true},
      {"STEP NUMBE", "STEP NUMBER", false},  // shorter than the key
      {"ASiO2  =  1.5E-03", "ASiO2 ", true},
      {"ASiO2= 1.5E-03", "ASiO2 ", false},
      {"aSiO2 = 1.5E-03", "ASiO2 ", false},
      {"ASiO2(l) = 1.5E-03", "ASiO2 ", false},
      {"ASiO2(l) = 2.0E-01", "ASiO2", true},  // a key without its trailing blank
      {"ASiO2", "ASiO2 ", false},
      {"\tVAP = 1", "VAP =", false},
      {"", "", true},
      {"anything", "", true},
      {"", "VAP =", false},
      {std::string("A\0B = 1", 7), std::string("A\0B", 3), true},
      {std::string("A\0C = 1", 7), std::string("A\0B", 3), false},
  };
  for (const BeginCase& c : cases) {
    const std::string keys[] = {c.key};
    bool found = false;
    CompoundKeyIndex(keys).forEachMatch(c.line, [&](int) { found = true; });
    EXPECT_EQ(found, c.begins) << "line '" << c.line << "' key '" << c.key << "'";
  }
}

TEST(LineBeginning, LeadingBlanksGoButTabsStay) {
  EXPECT_EQ(withoutLeadingBlanks("   VAP =  0.25"), "VAP =  0.25");
  EXPECT_EQ(withoutLeadingBlanks("\tVAP = 1"), "\tVAP = 1");
  EXPECT_EQ(withoutLeadingBlanks(" \tVAP"), "\tVAP");
  EXPECT_EQ(withoutLeadingBlanks("    "), "");
  EXPECT_EQ(withoutLeadingBlanks(""), "");
  EXPECT_EQ(withoutLeadingBlanks("ab  "), "ab  ");
}

// Blanks are passed eight at a time, so every run length around the word size counts,
// and so do bytes that differ from a blank in a single bit.
TEST(LineBeginning, BlankRunsOfEveryLengthAroundTheWordSize) {
  for (std::size_t blanks = 0; blanks <= 25; ++blanks) {
    for (const std::string rest : {"", "X", "ASiO2 = 1", "\t", "!", "0"}) {
      const std::string line = std::string(blanks, ' ') + rest;
      EXPECT_EQ(withoutLeadingBlanks(line), rest) << blanks << " blanks before '" << rest << "'";
    }
  }
}

struct CutCase {
  std::string line;
  std::string key;
  std::string cut;
};

TEST(ValueCut, RemovesEveryKeyOccurrenceThenBlanksAndEquals) {
  const std::vector<CutCase> cases = {
      {"VAP =  0.25", "VAP =", "0.25"},
      {"VAP = 0.5  12", "VAP =", "0.512"},
      {"VAP = 0.1  PTOT = 2.0", "VAP =", "0.1PTOT2.0"},
      {"VAP = 1.2E-03  WTVAP = 5", "VAP =", "1.2E-03WT5"},  // the one inside WTVAP goes too
      {"STEP NUMBER    12", "STEP NUMBER", "12"},
      {"ASiO2  =  1.5E-03", "ASiO2 ", "1.5E-03"},
      {"ASiO2(l) = 2.0E-01", "ASiO2", "(l)2.0E-01"},
      {"   12 = 5 = 7", "", "1257"},
      {"aaa", "aa", "a"},  // occurrences never overlap
      {"aaaa", "aa", ""},
      {"abcabc", "bc", "aa"},
      {"abbcc", "bc", "abc"},  // what a deletion brings together stays
      {"VAP =\t1 ", "VAP =", "\t1"},
      {"VAP =", "VAP =", ""},
      {"", "VAP =", ""},
      {"x", "longer key", "x"},
  };
  std::string out = "stale contents that must be replaced";
  for (const CutCase& c : cases) {
    cutValueText(c.line, c.key, out);
    EXPECT_EQ(out, c.cut) << "line '" << c.line << "' key '" << c.key << "'";
  }
}

// Random bytes from a small alphabet make keys occur often, overlap and abut.
std::string randomText(std::mt19937& random, int maxLength, std::string_view alphabet) {
  std::uniform_int_distribution<int> length(0, maxLength);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text(length(random), ' ');
  for (char& c : text)
    c = alphabet[pick(random)];
  return text;
}

TEST(ValueCut, AgreesWithTheTwoTextOperationsItFuses) {
  std::mt19937 random(12345);
  std::string out;
  for (int i = 0; i < 20000; ++i) {
    const std::string key = randomText(random, 4, "ab =");
    const std::string line = randomText(random, 30, "ab =\t");
    cutValueText(line, key, out);
    EXPECT_EQ(out, removeCharactersOfSet(removeEveryOccurrence(line, key), " ="))
        << "line '" << line << "' key '" << key << "'";
  }
}

// The number is mostly read in place, without the cut text; it must be the very number the
// cut text gives, bit for bit, whatever blanks, '=', tabs, signs and key bytes lie around it.
TEST(ValueCut, NumberReadInPlaceIsTheCutTextsNumber) {
  std::mt19937 random(4242);
  std::string scratch;
  for (int i = 0; i < 200000; ++i) {
    const std::string key = randomText(random, 3, "A1e= .");
    const std::string line = key + randomText(random, 16, "A1e= .-+\t&5E");
    std::string cut;
    cutValueText(line, key, cut);
    const long double expected = parseNumber(cut);
    const long double found = cutValue(line, key, scratch).value();
    ASSERT_EQ(std::memcmp(&found, &expected, 10), 0) << "line '" << line << "' key '" << key << "'";
  }
}

TEST(CompoundKeyIndex, FindsExactlyTheKeysALineBeginsWith) {
  // Keys of 0 to 12 bytes exercise the empty key, every length class, the comparison
  // beyond the eighth byte and colliding hash slots; equal keys must all be found. NUL and
  // 0xFF bytes check that no byte is treated as an end or a sign.
  std::mt19937 random(777);
  const std::string_view alphabet("AB\0\xff", 4);
  for (int round = 0; round < 600; ++round) {
    std::vector<std::string> keys;
    const int count = std::uniform_int_distribution<int>(0, kMaxCompounds)(random);
    const std::string_view letters = round % 2 == 0 ? alphabet.substr(0, 2) : alphabet;
    for (int k = 0; k < count; ++k)
      keys.push_back(randomText(random, 12, letters));
    const CompoundKeyIndex index(keys);
    for (int n = 0; n < 50; ++n) {
      const std::string line = randomText(random, 14, letters);
      std::vector<int> expected;
      for (int k = 0; k < count; ++k) {
        if (std::string_view(line).starts_with(keys[k])) expected.push_back(k);
      }
      std::vector<int> found;
      index.forEachMatch(line, [&](int k) { found.push_back(k); });
      std::sort(found.begin(), found.end());
      ASSERT_EQ(found, expected) << "line '" << line << "'";
    }
  }
}

}  // namespace
}  // namespace durno
