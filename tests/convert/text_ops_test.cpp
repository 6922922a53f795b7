#include <gtest/gtest.h>

#include <string>

#include "convert/text_ops.hpp"
#include "tests/convert/escaped_text.hpp"
#include "tests/support/reference_text_ops.hpp"

namespace durno {
namespace {

using namespace std::string_literals;

struct TwoTextCase {
  std::string text;
  std::string other;  // The key, the set, or unused.
  std::string expected;
};

using testing_support::escaped;
using testing_support::removeCharactersOfSet;
using testing_support::removeEveryOccurrence;

void PrintTo(const TwoTextCase& c, std::ostream* os) {
  *os << "'" << escaped(c.text) << "' '" << escaped(c.other) << "'";
}

class RemoveEveryOccurrenceTest : public testing::TestWithParam<TwoTextCase> {};

TEST_P(RemoveEveryOccurrenceTest, DeletesNonOverlappingOccurrencesLeftToRight) {
  EXPECT_EQ(removeEveryOccurrence(GetParam().text, GetParam().other), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RemoveEveryOccurrenceTest,
    testing::Values(TwoTextCase{"aaa", "aa", "a"}, TwoTextCase{"aaaa", "aa", ""},
                    TwoTextCase{"abcabc", "bc", "aa"},
                    TwoTextCase{"VAP = 1.2E-03  WTVAP = 5", "VAP =", " 1.2E-03  WT 5"},
                    TwoTextCase{"abc", "", "abc"}, TwoTextCase{"", "a", ""},
                    TwoTextCase{"ab", "abc", "ab"}, TwoTextCase{"ABab", "ab", "AB"},
                    TwoTextCase{"abab", "abab", ""},
                    // A sequence that only forms an occurrence after a deletion stays.
                    TwoTextCase{"aabb", "ab", "ab"}, TwoTextCase{"x\0y\0y"s, "\0y"s, "x"}));

class RemoveCharactersOfSetTest : public testing::TestWithParam<TwoTextCase> {};

TEST_P(RemoveCharactersOfSetTest, KeepsOnlyBytesOutsideTheSet) {
  EXPECT_EQ(removeCharactersOfSet(GetParam().text, GetParam().other), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RemoveCharactersOfSetTest,
                         testing::Values(TwoTextCase{"   12 = 5 = 7", " =", "1257"},
                                         TwoTextCase{"SiO2  SiO2 0.5 =", "SiO2", "   0.5 ="},
                                         TwoTextCase{"abc", "", "abc"}, TwoTextCase{"", " =", ""},
                                         TwoTextCase{"a=b", "==  ", "ab"},
                                         TwoTextCase{"\xff"
                                                     "a\x80",
                                                     "\x80\xff", "a"},
                                         TwoTextCase{"a\0b"s, "\0"s, "ab"}));

class RemoveLeadingBlanksTest : public testing::TestWithParam<TwoTextCase> {};

TEST_P(RemoveLeadingBlanksTest, RemovesSpacesOnly) {
  EXPECT_EQ(removeLeadingBlanks(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RemoveLeadingBlanksTest,
                         testing::Values(TwoTextCase{"  ab  ", "", "ab  "},
                                         TwoTextCase{"\tab", "", "\tab"},
                                         TwoTextCase{"    ", "", ""}, TwoTextCase{"", "", ""},
                                         TwoTextCase{"ab", "", "ab"},
                                         TwoTextCase{" \n x", "", "\n x"}));

class CaseMappingTest : public testing::TestWithParam<TwoTextCase> {};

// text: lower-case form, other: upper-case form, both ways round.
TEST_P(CaseMappingTest, MapsBothWays) {
  EXPECT_EQ(upperCase(GetParam().text), GetParam().other);
  EXPECT_EQ(lowerCase(GetParam().other), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Code437Pairs, CaseMappingTest,
    testing::Values(TwoTextCase{"hello world 1", "HELLO WORLD 1", ""}, TwoTextCase{"az", "AZ", ""},
                    TwoTextCase{"\x87", "\x80", ""}, TwoTextCase{"\x84", "\x8E", ""},
                    TwoTextCase{"\x94", "\x99", ""}, TwoTextCase{"\x81", "\x9A", ""},
                    TwoTextCase{"\x82", "\x90", ""}, TwoTextCase{"\xA4", "\xA5", ""},
                    TwoTextCase{"\x86", "\x8F", ""}));

TEST(CaseMappingTest, LeavesEveryUnpairedByteUnchanged) {
  std::string lower = "abcdefghijklmnopqrstuvwxyz\x87\x84\x94\x81\x82\xA4\x86";
  std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x80\x8E\x99\x9A\x90\xA5\x8F";
  for (int code = 0; code < 256; ++code) {
    const std::string byte(1, static_cast<char>(code));
    if (lower.find(byte) == std::string::npos) {
      EXPECT_EQ(upperCase(byte), byte) << code;
    }
    if (upper.find(byte) == std::string::npos) {
      EXPECT_EQ(lowerCase(byte), byte) << code;
    }
  }
  EXPECT_EQ(upperCase("Hello World 1"), "HELLO WORLD 1");
  EXPECT_EQ(upperCase("\x91\x92"), "\x91\x92");
  EXPECT_EQ(lowerCase("\x91\x92"), "\x91\x92");
  EXPECT_EQ(upperCase("a\0b"s), "A\0B"s);
}

}  // namespace
}  // namespace durno
