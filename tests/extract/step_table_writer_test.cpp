// The CSV's numbers: a decimal read exactly is written from its own digits, which must give
// the very text std::to_chars gives for its value. The rest of the CSV is held to its
// result files by tests/app/csv_table_check.py.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "convert/number_parser.hpp"
#include "extract/step_table_writer.hpp"

namespace durno {
namespace {

// Random decimals of 1 to 19 digits, some with trailing zeros, of either sign, with points
// on both sides of the exact powers of ten: every layout of the shortest text (fixed with
// leading zeros, with a point, with trailing zeros; scientific, one digit or more) and the
// numbers whose value needs std::to_chars.
TEST(StepTable, ExactDecimalsAreWrittenAsToCharsWritesTheirValue) {
  std::mt19937_64 random(27);
  for (int n = 0; n < 200000; ++n) {
    const int count = std::uniform_int_distribution(1, 19)(random);
    std::string digits = std::to_string(std::uniform_int_distribution(1, 9)(random));
    for (int d = 1; d < count; ++d)
      digits += static_cast<char>('0' + (random() % 3 == 0 ? 0 : random() % 10));
    const int point = std::uniform_int_distribution(-45, 45)(random);
    const std::string text = (random() % 2 ? "-" : "") + digits + "e" +
                             std::to_string(point - static_cast<int>(digits.size()));
    const char* at = text.data();
    NumberRead number;
    parseDecimalNumber(at, text.data() + text.size(), number);
    std::string fromDigits;
    appendShortest(fromDigits, number);
    std::string fromValue;
    appendShortest(fromValue, number.value());
    ASSERT_EQ(fromDigits, fromValue) << text;
  }
}

}  // namespace
}  // namespace durno
