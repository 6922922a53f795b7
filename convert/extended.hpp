#pragma once

#include <limits>

namespace durno {

// Every number the program reads, keeps and writes is an x87 80-bit extended float: the
// table fields are defined by rounding in exactly that format, so a platform whose
// long double is a plain double (or a 128-bit quad) would write different digits.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 80-bit extended format (64-bit significand)");
static_assert(std::numeric_limits<long double>::max_exponent == 16384,
              "long double must have the 15-bit exponent of the x87 extended format");

}  // namespace durno
