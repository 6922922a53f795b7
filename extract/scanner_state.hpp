#pragma once

// The values a scan keeps from line to line. Every number starts at 0 and every text empty
// when the program starts; nothing is reset at a step marker or between result files, so a
// value seen after the last marker of one file shows in the first row of the next.

#include <array>
#include <string>

#include "convert/extended.hpp"
#include "extract/capacities.hpp"

namespace durno {

struct ScannerState {
  // Cut from the latest line that began with "STEP NUMBER", "VAP =", "WTVAP =", "PTOT =".
  long double stepNumber = 0;
  long double vap = 0;
  long double wtvap = 0;
  long double ptot = 0;

  // Entry k: what the latest value cut for compound key k left before it was parsed.
  std::array<std::string, kMaxCompounds> compoundTexts{};

  // Entry k: compound key k's latest value, as the run's quantity holds it.
  std::array<long double, kMaxCompounds> values{};

  // Storage for a line read byte by byte (one that crosses a buffer load); reused.
  std::string currentLine;
  // The result file being read, counted from 1 (0 before the first).
  int fileIndex = 0;
};

}  // namespace durno
