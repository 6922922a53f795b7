#include "convert/precision_control.hpp"

#include <cstdint>

namespace durno {
namespace {

// Bits 8 and 9 of the x87 control word: 0b11 is the 64-bit significand.
constexpr std::uint16_t kPrecisionControlMask = 0x0300;

void setPrecisionControl() {
#if defined(__i386__) || defined(__x86_64__)
  std::uint16_t controlWord = 0;
  __asm__ volatile("fnstcw %0" : "=m"(controlWord));
  controlWord |= kPrecisionControlMask;
  __asm__ volatile("fldcw %0" : : "m"(controlWord));
#endif
}

}  // namespace

bool selectExtendedPrecision() {
  setPrecisionControl();
  // volatile keeps the compiler from folding the sum at build time, where it is exact.
  volatile long double one = 1.0L;
  volatile long double lastBit = 0x1p-63L;
  const long double sum = one + lastBit;
  return sum != one;
}

}  // namespace durno
