#pragma once

// The fixed capacities of a run and the file numbers the extraction uses. They live apart
// from extraction.hpp so that the scanner state can be sized by them without a cycle.

#include <algorithm>
#include <span>
#include <string>

namespace durno {

inline constexpr int kMaxCompounds = 50;
inline constexpr int kMaxResultFiles = 70;
inline constexpr int kListFileNumber = 1;
inline constexpr int kTableFileNumber = 2;
inline constexpr int kFirstResultFileNumber = 11;  // result file i is 10 + i

// The file number under which result file i (counted from 1) is read: 10 + i for the 70
// files a dialogue can name. Only one result file is open at a time, so a command line's
// longer list reuses the same numbers in turn.
constexpr int resultFileNumber(int fileIndex) {
  return kFirstResultFileNumber + (fileIndex - 1) % kMaxResultFiles;
}

// The compound keys a run uses: the first kMaxCompounds of those it was given. The list is
// cut here once, where the run starts; the scanner, its key index and the table writer are
// sized for kMaxCompounds and take the list as cut.
inline std::span<const std::string> usedCompoundKeys(std::span<const std::string> keys) {
  return keys.first(std::min(keys.size(), static_cast<std::size_t>(kMaxCompounds)));
}

}  // namespace durno
