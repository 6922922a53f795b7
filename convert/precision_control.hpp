#pragma once

// The x87 unit rounds every result to the precision its control word selects. Linux starts
// a process at 64 bits, but Windows may start one (or a thread made by CreateThread) at 53,
// and the conversions would then round as doubles and write wrong digits without a sign.

namespace durno {

// Selects 64-bit precision for the calling thread and checks that it took: true when
// 1 + 2^-63 differs from 1 in long double arithmetic. A program that gets false must not
// convert numbers.
bool selectExtendedPrecision();

}  // namespace durno
