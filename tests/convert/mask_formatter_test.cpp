#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>

#include "convert/mask_formatter.hpp"
#include "convert/number_parser.hpp"
#include "tests/convert/mask_field.hpp"

namespace durno {
namespace {

std::string formatWithMask(long double x, std::string_view mask) {
  return testing_support::fieldOf(MaskFormatter(mask), x);
}

constexpr const char* kStepMask = " #####    ";
constexpr const char* kValueMask = " 00.000000000e+00   ";

struct ProgramMaskCase {
  long double value;
  std::string stepField;
  std::string valueField;
};

void PrintTo(const ProgramMaskCase& c, std::ostream* os) {
  *os << "'" << c.valueField << "'";
}

class ProgramMasksTest : public testing::TestWithParam<ProgramMaskCase> {};

TEST_P(ProgramMasksTest, GiveTheExactFields) {
  const ProgramMaskCase& c = GetParam();
  EXPECT_EQ(formatWithMask(c.value, kStepMask), c.stepField);
  EXPECT_EQ(formatWithMask(c.value, kValueMask), c.valueField);
}

// The numbers are the parser's results for their usual decimal texts, as in a run.
INSTANTIATE_TEST_SUITE_P(
    Table, ProgramMasksTest,
    testing::Values(
        ProgramMaskCase{1, " 1    ", " 10.000000000e-01   "},
        ProgramMaskCase{-1, " -1    ", " -10.000000000e-01   "},
        ProgramMaskCase{0, " 0    ", " 00.000000000e-01   "},
        ProgramMaskCase{0.5L, " 0    ", " 50.000000000e-02   "},
        ProgramMaskCase{1.5L, " 2    ", " 15.000000000e-01   "},
        ProgramMaskCase{2.5L, " 2    ", " 25.000000000e-01   "},
        ProgramMaskCase{-2.5L, " -2    ", " -25.000000000e-01   "},
        ProgramMaskCase{parseNumber("-0.4"), " 0    ", " -40.000000000e-02   "},
        ProgramMaskCase{parseNumber("-0.6"), " -1    ", " -60.000000000e-02   "},
        ProgramMaskCase{12, " 12    ", " 12.000000000e+00   "},
        ProgramMaskCase{99999.5L, " 100000    ", " 99.999500000e+03   "},
        ProgramMaskCase{parseNumber("123456.7"), " 123457    ", " 12.345670000e+04   "},
        ProgramMaskCase{parseNumber("12345.678"), " 12346    ", " 12.345678000e+03   "},
        ProgramMaskCase{-1234.5L, " -1234    ", " -12.345000000e+02   "},
        ProgramMaskCase{parseNumber("3.2E-05"), " 0    ", " 32.000000000e-06   "},
        ProgramMaskCase{parseNumber("1.23456789012E-07"), " 0    ", " 12.345678901e-08   "},
        ProgramMaskCase{parseNumber("1E-100"), " 0    ", " 10.000000000e-101   "},
        ProgramMaskCase{parseNumber("9.99999999999"), " 10    ", " 10.000000000e+00   "},
        ProgramMaskCase{parseNumber("99.9999999999"), " 100    ", " 10.000000000e+01   "},
        ProgramMaskCase{100000000005, " 100000000005    ", " 10.000000000e+10   "},
        ProgramMaskCase{100000000015, " 100000000015    ", " 10.000000002e+10   "},
        ProgramMaskCase{100000000025, " 100000000025    ", " 10.000000002e+10   "},
        ProgramMaskCase{10, " 10    ", " 10.000000000e+00   "},
        ProgramMaskCase{-0.0L, " 0    ", " 00.000000000e-01   "},
        ProgramMaskCase{parseNumber("-0"), " 0    ", " 00.000000000e-01   "},
        ProgramMaskCase{0.0, " 0    ", " 00.000000000e-01   "},
        ProgramMaskCase{-0.0, " 0    ", " 00.000000000e-01   "}));

TEST(ProgramMasksTest, DoubleArgumentsFormatAsTheDouble) {
  // The double nearest 0.1 lies above it; its 18-digit form ends ...006.
  EXPECT_EQ(formatWithMask(0.1, kValueMask), " 10.000000000e-02   ");
  EXPECT_EQ(formatWithMask(1e300, kValueMask), " 10.000000000e+299   ");
  EXPECT_EQ(formatWithMask(1e300, kStepMask),
            " 100000000000000005" + std::string(283, '0') + "    ");
}

TEST(ProgramMasksTest, InfinityGivesTheOutOfRangeField) {
  const double infinite = std::numeric_limits<double>::infinity();
  EXPECT_EQ(formatWithMask(infinite, kValueMask), " 10.000000000e+998   ");
  EXPECT_EQ(formatWithMask(-infinite, kValueMask), " -10.000000000e+998   ");
}

TEST(ProgramMasksTest, ExtremeExponentsAreWrittenInFull) {
  EXPECT_EQ(formatWithMask(std::numeric_limits<long double>::max(), kValueMask),
            " 11.897314954e+4931   ");
  EXPECT_EQ(formatWithMask(std::numeric_limits<long double>::denorm_min(), kValueMask),
            " 36.451995319e-4952   ");
  EXPECT_EQ(formatWithMask(std::numeric_limits<double>::denorm_min(), kValueMask),
            " 49.406564584e-325   ");
}

TEST(MaskFormatterTest, ReusedFormatterAppendsFieldAfterField) {
  const MaskFormatter value(kValueMask);
  const MaskFormatter step(kStepMask);
  std::string row = "row:";
  step.appendTo(row, 3);
  value.appendTo(row, -0.5L);
  value.appendTo(row, 1e-100L);
  EXPECT_EQ(row, "row: 3     -50.000000000e-02    10.000000000e-101   ");
}

struct MaskCase {
  std::string mask;
  long double value;
  std::string expected;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << "'" << c.mask << "'";
}

class GeneralMaskTest : public testing::TestWithParam<MaskCase> {};

TEST_P(GeneralMaskTest, FormatsByTheMaskRules) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(formatWithMask(c.value, c.mask), c.expected);
}

INSTANTIATE_TEST_SUITE_P(IgnoredAndLiteralCharacters, GeneralMaskTest,
                         testing::Values(MaskCase{"Ax0", 5, "5"},
                                         MaskCase{"$#,##0.00", 1234.5L, "$1234.50"},
                                         MaskCase{"(0)", -3, "(-3)"}, MaskCase{"+0-", 4, "+4-"},
                                         MaskCase{"0 0", 123, "12 3"}, MaskCase{"# #", 5, " 5"},
                                         MaskCase{"# #", -5, " -5"}, MaskCase{"# 0", 0, " 0"},
                                         MaskCase{"e0", 5, "5"}, MaskCase{"0e", 5, "5e"},
                                         MaskCase{"0ex0", 5, "0e5"},
                                         MaskCase{"0.0.0", 1.25L, "1.2.5"},
                                         MaskCase{"xyz", 42, "42"}, MaskCase{"$", -7, "$-7"}));

INSTANTIATE_TEST_SUITE_P(
    DigitPositions, GeneralMaskTest,
    testing::Values(MaskCase{"000", 7, "007"}, MaskCase{"#0#", 7, "07"}, MaskCase{"##0", 0, "0"},
                    MaskCase{"###", 0, "0"}, MaskCase{"0", 123456, "123456"},
                    MaskCase{"00", -1, "-01"}, MaskCase{"#.##", 0.5L, "0.5"},
                    MaskCase{"#.##", 3, "3."}, MaskCase{"#.#0", 3, "3.0"},
                    MaskCase{"#.00", 0.125L, "0.12"}, MaskCase{"#.00", 0.135L, "0.14"},
                    MaskCase{"#.00", -0.001L, "-0.00"}, MaskCase{"#", -0.001L, "0"},
                    MaskCase{".00", 12.345L, "12.34"}, MaskCase{" .##", 5, " 5."},
                    MaskCase{"$.00", -0.5L, "$-0.50"}, MaskCase{".00", 12.355L, "12.36"},
                    MaskCase{".##", 0.5L, "0.5"}, MaskCase{"0.000", 0.0005L, "0.000"},
                    MaskCase{"0.000", 0.0015L, "0.002"}, MaskCase{"0.0", 9.96L, "10.0"},
                    MaskCase{"#", 0.6L, "1"}, MaskCase{"#.#", 0.04L, "0."},
                    MaskCase{"0.0", 0.06L, "0.1"}));

INSTANTIATE_TEST_SUITE_P(
    Exponents, GeneralMaskTest,
    testing::Values(MaskCase{"0.00E+00", 12345, "1.23E+04"}, MaskCase{"0.00E-00", 12345, "1.23E04"},
                    MaskCase{"0.00E-00", 0.012345L, "1.23E-02"},
                    MaskCase{"0.00e+0", 1e-100L, "1.00e-100"}, MaskCase{"0e+00", 0, "0e+00"},
                    MaskCase{"00e+0", 0, "00e-1"}, MaskCase{"0.0e+00", 9.96L, "1.0e+01"},
                    MaskCase{"#.##e+##", 1.5L, "1.5e+0"}, MaskCase{"0e+#0", 5e12L, "5e+12"},
                    MaskCase{"0e+0 x$", 5e3L, "5e+3 $"}, MaskCase{"0e+", 5, "5e+"},
                    MaskCase{"0e+e-0", 5, "5e+-0"}, MaskCase{".00e+00", 5, "0.50e+01"},
                    MaskCase{"000e+0", -12345, "-123e+2"}));

TEST(MaskFormatterTest, EmptyMaskGivesThePlainNumberWithoutItsBlanks) {
  struct Case {
    long double value;
    const char* expected;
  };
  for (const Case& c : {Case{12.5L, "12.5"}, Case{-12.5L, "-12.5"}, Case{0.5L, ".5"}, Case{0, "0"},
                        Case{1e-16L, "1E-16"}}) {
    EXPECT_EQ(formatWithMask(c.value, ""), c.expected);
  }
}

}  // namespace
}  // namespace durno
