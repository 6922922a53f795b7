#include <gtest/gtest.h>

#include <cstdint>

#include "convert/precision_control.hpp"

namespace durno {
namespace {

#if defined(__i386__) || defined(__x86_64__)
std::uint16_t controlWord() {
  std::uint16_t word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}

void loadControlWord(std::uint16_t word) {
  __asm__ volatile("fldcw %0" : : "m"(word));
}

// A thread Windows starts may round every x87 result to 53 bits; the program's first step
// must bring the full 64 back, or the tables would be rounded as doubles.
TEST(ExtendedPrecision, IsSelectedAgainFromDoublePrecision) {
  const std::uint16_t original = controlWord();
  loadControlWord(static_cast<std::uint16_t>((original & ~0x0300u) | 0x0200u));
  volatile long double one = 1.0L;
  volatile long double lastBit = 0x1p-63L;
  const long double rounded = one + lastBit;
  EXPECT_EQ(rounded, one) << "53-bit precision was not in force for the check to mean anything";
  EXPECT_TRUE(selectExtendedPrecision());
  EXPECT_EQ(controlWord() & 0x0300u, 0x0300u);
  loadControlWord(original);
}
#endif

}  // namespace
}  // namespace durno
