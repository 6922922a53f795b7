#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "convert/decimal_form.hpp"
#include "convert/powers_of_ten.hpp"

namespace durno {
namespace {

struct FormCase {
  long double value;
  std::string digits;
  int point;
  bool negative;
};

void PrintTo(const FormCase& c, std::ostream* os) {
  *os << c.digits << " p=" << c.point;
}

class DecimalFormTest : public testing::TestWithParam<FormCase> {};

TEST_P(DecimalFormTest, GivesDigitsPointAndSign) {
  const FormCase& c = GetParam();
  const DecimalForm form = decimalForm(decimalInteger(c.value));
  EXPECT_EQ(std::string(form.digits.begin(), form.digits.end()), c.digits);
  EXPECT_EQ(form.point, c.point);
  EXPECT_EQ(form.negative, c.negative);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecimalFormTest,
    testing::Values(
        FormCase{0.05L, "500000000000000000", -1, false},
        FormCase{7, "700000000000000000", 1, false},
        FormCase{12345.678L, "123456780000000000", 5, false},
        FormCase{-1234.5L, "123450000000000000", 4, true},
        FormCase{0.0L, "000000000000000000", 1, false},
        FormCase{-0.0L, "000000000000000000", 1, false},
        FormCase{std::numeric_limits<long double>::quiet_NaN(), "000000000000000000", 1, false},
        // The double 1e300 is 1.000000000000000052504...e300.
        FormCase{1e300, "100000000000000005", 301, false},
        // The double 0.1 is 0.1000000000000000055511...: the 18th digit rounds up.
        FormCase{0.1, "100000000000000006", 0, false},
        FormCase{1.0L / 3, "333333333333333333", 0, false},
        FormCase{2.0L / 3, "666666666666666667", 0, false},
        // 10^18 - 1 is 18 nines; one more digit rounds 1e19 - 5 up to 10^18 and moves p.
        FormCase{999999999999999999.0L, "999999999999999999", 18, false},
        FormCase{9999999999999999995.0L, "100000000000000000", 20, false},
        FormCase{9999999999999999985.0L, "999999999999999998", 19, false},
        FormCase{std::numeric_limits<long double>::max(), "118973149535723177", 4933, false},
        FormCase{std::numeric_limits<long double>::denorm_min(), "364519953188247460", -4950,
                 false},
        FormCase{std::numeric_limits<long double>::infinity(), "100000000000000000", 1000, false},
        FormCase{-std::numeric_limits<long double>::infinity(), "100000000000000000", 1000, true}));

TEST(PowerOfTenTest, EveryFinitePowerIsCorrectlyRounded) {
  for (int n = 0; n <= kLargestFinitePowerOfTen; ++n) {
    ASSERT_EQ(powerOfTen(n), std::strtold(("1e" + std::to_string(n)).c_str(), nullptr)) << n;
  }
}

// Powers of ten sit exactly on a boundary of p and must land on the upper side of it.
TEST(DecimalFormPointTest, PowersOfTenStartTheirDecade) {
  for (int n = -4900; n <= 4900; n += 7) {
    const long double value = std::stold("1e" + std::to_string(n));
    const DecimalForm form = decimalForm(decimalInteger(value));
    EXPECT_EQ(form.point, n + 1) << n;
    EXPECT_EQ(form.digits[0], '1') << n;
  }
}

}  // namespace
}  // namespace durno
