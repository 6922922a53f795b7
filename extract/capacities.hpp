#pragma once

// The fixed capacities of a run and the file numbers the extraction uses. They live apart
// from extraction.hpp so that the scanner state can be sized by them without a cycle.

namespace durno {

inline constexpr int kMaxCompounds = 50;
inline constexpr int kMaxResultFiles = 70;
inline constexpr int kListFileNumber = 1;
inline constexpr int kTableFileNumber = 2;
inline constexpr int kFirstResultFileNumber = 11;  // result file i is 10 + i

// The file number under which result file i (counted from 1) is read.
constexpr int resultFileNumber(int fileIndex) {
  return kFirstResultFileNumber - 1 + fileIndex;
}

}  // namespace durno
