#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "convert/extended_format.hpp"

namespace durno {
namespace {

TEST(RoundToDoubleTest, RoundsToNearestAndOverflowsOnlyFromTheHalfwayPoint) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  constexpr double kLargest = std::numeric_limits<double>::max();
  const long double halfway = std::ldexp(1.0L, 1024) - std::ldexp(1.0L, 970);
  const long double belowHalfway = std::nextafter(halfway, 0.0L);
  struct Case {
    long double value;
    double expected;
  };
  for (const Case& c :
       {Case{halfway, kInfinity}, Case{-halfway, -kInfinity}, Case{belowHalfway, kLargest},
        Case{-belowHalfway, -kLargest}, Case{1e400L, kInfinity}, Case{0.1L, 0.1},
        Case{1e-400L, 0.0}, Case{-0.0L, -0.0}}) {
    const double rounded = roundToDouble(c.value);
    EXPECT_EQ(rounded, c.expected) << static_cast<double>(c.value);
    EXPECT_EQ(std::signbit(rounded), std::signbit(c.expected));
  }
}

}  // namespace
}  // namespace durno
