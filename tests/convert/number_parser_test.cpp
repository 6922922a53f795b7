#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "convert/number_parser.hpp"
#include "tests/convert/escaped_text.hpp"

namespace durno {
namespace {

struct ParseCase {
  std::string text;
  long double expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << "'" << testing_support::escaped(c.text) << "'";
}

class ParseNumberTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, GivesTheExactValue) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(parseNumber(c.text), c.expected);
}

// The decimal literals below are exact or hold what one correctly rounded operation gives.
INSTANTIATE_TEST_SUITE_P(
    Examples, ParseNumberTest,
    testing::Values(ParseCase{"12", 12}, ParseCase{"  12.5", 12.5L},
                    ParseCase{"\t-3.25E+02xyz", -325}, ParseCase{"1.5e-3", 15.0L / 1e4L},
                    ParseCase{"2D3", 2000}, ParseCase{"2d3", 2000}, ParseCase{".5", 0.5L},
                    ParseCase{"5.", 5}, ParseCase{"1.2.3", 12.0L / 10}, ParseCase{"12,5", 12},
                    ParseCase{"0012.500", 12.5L}, ParseCase{"E5", 0}, ParseCase{"\r12", 0},
                    ParseCase{"\n12", 12}, ParseCase{"1 234", 1}, ParseCase{"- 5", 0},
                    ParseCase{"5e", 5}, ParseCase{"1e+", 1}, ParseCase{"1e-", 1},
                    ParseCase{"+7", 7}, ParseCase{"1.2345E-03", 12345.0L / 1e7L},
                    ParseCase{"0.000123", 123.0L / 1e6L}));

INSTANTIATE_TEST_SUITE_P(NoNumber, ParseNumberTest,
                         testing::Values(ParseCase{"", 0}, ParseCase{"    ", 0}, ParseCase{"-", 0},
                                         ParseCase{"+", 0}, ParseCase{".", 0}, ParseCase{"-.", 0},
                                         ParseCase{"abc", 0}, ParseCase{"+-1", 0},
                                         ParseCase{"000", 0}, ParseCase{"0.000e7", 0},
                                         ParseCase{std::string("\0"
                                                               "5",
                                                               2),
                                                   0}));

INSTANTIATE_TEST_SUITE_P(
    SignificantDigits, ParseNumberTest,
    testing::Values(
        // Only 18 digits are kept, dropped digits are not rounded but still count for the size.
        ParseCase{"123456789012345678901234", 123456789012345678.0L * 1e6L},
        ParseCase{"99999999999999999999", 99999999999999999904.0L},
        ParseCase{"1234567890123456789", 1234567890123456780.0L},
        ParseCase{"0.0000123456789012345678999", 123456789012345678.0L / 1e22L},
        ParseCase{"000000000000000000000000001", 1}));

INSTANTIATE_TEST_SUITE_P(
    Range, ParseNumberTest,
    testing::Values(ParseCase{"1e4932", 170141183460469231731687303715884105728.0L},
                    ParseCase{"1e99999", 170141183460469231731687303715884105728.0L},
                    ParseCase{"-1e5000", -170141183460469231731687303715884105728.0L},
                    ParseCase{"0.01e4934", 170141183460469231731687303715884105728.0L},
                    ParseCase{"1e-5000", 0}, ParseCase{"1e-4934", 0}, ParseCase{"1e-99999", 0},
                    ParseCase{"1e9999999999999999999999",
                              170141183460469231731687303715884105728.0L}));

INSTANTIATE_TEST_SUITE_P(Radix, ParseNumberTest,
                         testing::Values(ParseCase{"&H1F", 31}, ParseCase{"&hff", 255},
                                         ParseCase{"&O17", 15}, ParseCase{"&q17", 15},
                                         ParseCase{"&B101", 5}, ParseCase{"&17", 15},
                                         ParseCase{"  &H10xyz", 16}, ParseCase{"&18", 1},
                                         ParseCase{"&B2", 0}, ParseCase{"&", 0}, ParseCase{"&H", 0},
                                         ParseCase{"&HFFFFFFFFFFFFFFFF", 18446744073709551615.0L},
                                         ParseCase{"&H" + std::string(100, 'F'),
                                                   170141183460469231731687303715884105728.0L}));

TEST(ParseNumberTest, MinusZeroIsANegativeZero) {
  for (const char* text : {"-0", "-0.000", "-0e5"}) {
    const long double value = parseNumber(text);
    EXPECT_EQ(value, 0) << text;
    EXPECT_TRUE(std::signbit(value)) << text;
  }
}

TEST(ParseNumberTest, LargestPointBelowTheRangeLimitStaysFinite) {
  const long double value = parseNumber("9.99999999999999999e4931");
  EXPECT_TRUE(std::isfinite(value));
  EXPECT_GT(value, 9.9e4931L);
}

// Numbers between 1e-4951 and the normal range lie below the smallest normal extended
// value; they must come out as subnormals, not as zero.
TEST(ParseNumberTest, SubnormalRangeIsNotLostToZero) {
  struct Case {
    const char* text;
    long double low;
    long double high;
  };
  for (const Case& c : {
           Case{"1e-4932", 0.99e-4932L, 1.01e-4932L},
           Case{"1e-4933", 0.99e-4933L, 1.01e-4933L},
           Case{"123456789012345678e-4950", 1.2e-4933L, 1.24e-4933L},
       }) {
    const long double value = parseNumber(c.text);
    EXPECT_GT(value, c.low) << c.text;
    EXPECT_LT(value, c.high) << c.text;
  }
}

TEST(ParseNumberTest, VeryLongTextsNeitherOverflowNorHang) {
  const std::string zeros(200000, '0');
  EXPECT_EQ(parseNumber("1" + zeros), 170141183460469231731687303715884105728.0L);
  EXPECT_EQ(parseNumber(std::string(".").append(zeros).append("1")), 0);
  EXPECT_EQ(parseNumber(std::string(".").append(zeros).append("1e9999")), 0);
  EXPECT_EQ(parseNumber(std::string("1").append(4000, '0').append("e-4000")), 1);
}

}  // namespace
}  // namespace durno
