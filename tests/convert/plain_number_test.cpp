#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "convert/number_parser.hpp"
#include "convert/plain_number.hpp"

namespace durno {
namespace {

struct PlainCase {
  long double value;
  std::string expected;
};

void PrintTo(const PlainCase& c, std::ostream* os) {
  *os << "'" << c.expected << "'";
}

class PlainNumberTextTest : public testing::TestWithParam<PlainCase> {};

TEST_P(PlainNumberTextTest, GivesTheExactText) {
  EXPECT_EQ(plainNumberText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlainNumberTextTest,
    testing::Values(PlainCase{0, " 0 "}, PlainCase{5, " 5 "}, PlainCase{-3, "-3 "},
                    PlainCase{12.5L, " 12.5 "}, PlainCase{0.5L, " .5 "}, PlainCase{-0.25L, "-.25 "},
                    PlainCase{parseNumber("3.2E-05"), " .000032 "},
                    PlainCase{1.0L / 3, " .333333333333333 "},
                    PlainCase{2.0L / 3, " .666666666666667 "},
                    PlainCase{999999999999999, " 999999999999999 "}, PlainCase{1e15L, " 1E+15 "},
                    PlainCase{1234567890123456, " 1.23456789012346E+15 "},
                    PlainCase{parseNumber("1E-15"), " .000000000000001 "},
                    PlainCase{parseNumber("1E-16"), " 1E-16 "},
                    PlainCase{parseNumber("1.23456789012E-07"), " 1.23456789012E-7 "},
                    PlainCase{parseNumber("1E-100"), " 1E-100 "}));

INSTANTIATE_TEST_SUITE_P(
    Edges, PlainNumberTextTest,
    testing::Values(PlainCase{-0.0L, " 0 "}, PlainCase{parseNumber("-0"), " 0 "},
                    // Rounding looks at the 16th digit alone: ...5 goes to the even 15th digit even
                    // when the 17th digit is not zero.
                    PlainCase{parseNumber("1.0000000000000251"), " 1.00000000000002 "},
                    PlainCase{parseNumber("1.0000000000000351"), " 1.00000000000004 "},
                    PlainCase{parseNumber("1.000000000000035"), " 1.00000000000004 "},
                    PlainCase{parseNumber("9999999999999995"), " 1E+16 "},
                    PlainCase{parseNumber("0.99999999999999951"), " 1 "},
                    PlainCase{123456789012345, " 123456789012345 "}, PlainCase{-100, "-100 "},
                    PlainCase{1e14L, " 100000000000000 "},
                    PlainCase{parseNumber("1.5E-14"), " .000000000000015 "},
                    PlainCase{parseNumber("1.25E-14"), " 1.25E-14 "}, PlainCase{0.1, " .1 "},
                    PlainCase{std::numeric_limits<long double>::max(), " 1.18973149535723E+4932 "},
                    PlainCase{std::numeric_limits<double>::infinity(), " 1E+999 "}));

}  // namespace
}  // namespace durno
