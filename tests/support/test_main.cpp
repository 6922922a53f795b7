// The test programs' entry on Windows, where a process may start with the x87 unit at
// 53-bit precision: the conversions under test need 64 bits, so it is selected first.

#include <gtest/gtest.h>

#include <cstdio>

#include "convert/precision_control.hpp"

int main(int argc, char** argv) {
  if (!durno::selectExtendedPrecision()) {
    std::fputs("the x87 unit cannot be set to 64-bit precision\n", stderr);
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
