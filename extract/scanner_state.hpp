#pragma once

// The values a scan keeps from line to line. Every number starts at 0 and every text empty
// when the program starts; nothing is reset at a step marker or between result files, so a
// value seen after the last marker of one file shows in the first row of the next.

#include <array>
#include <cstdint>
#include <string>

#include "convert/extended_format.hpp"
#include "convert/number_read.hpp"
#include "extract/capacities.hpp"

namespace durno {

// The values of a row other than its step, numbered as the table's columns after STEP:
// VAP, WTVAP, PTOT, then compound key k as kFirstCompoundSlot + k.
inline constexpr int kVapSlot = 0;
inline constexpr int kWtvapSlot = 1;
inline constexpr int kPtotSlot = 2;
inline constexpr int kFirstCompoundSlot = 3;
inline constexpr int kValueSlots = kFirstCompoundSlot + kMaxCompounds;
static_assert(kValueSlots <= 64, "the seen mask has one bit per slot");

constexpr std::uint64_t slotBit(int slot) {
  return std::uint64_t{1} << slot;
}

struct ScannerState {
  // Cut from the latest line that began with "STEP NUMBER", "VAP =", "WTVAP =", "PTOT =".
  long double stepNumber = 0;
  NumberRead vap;
  NumberRead wtvap;
  NumberRead ptot;

  // Entry k: compound key k's latest value as read; the table holds it as the run's
  // quantity says.
  std::array<NumberRead, kMaxCompounds> values{};

  // Bit slotBit(s) set once a line has given slot s a value; the scanner only sets bits,
  // so a scan ahead of the table can clear them at a file's start and tell which values
  // the file itself gave.
  std::uint64_t seen = 0;
  // The same bits for the lines since the latest step line: the scanner clears them once
  // the sink has heard of the next step line, so a table of each step's own values can
  // tell which values that step gave.
  std::uint64_t givenSinceStep = 0;

  void markGiven(int slot) {
    seen |= slotBit(slot);
    givenSinceStep |= slotBit(slot);
  }

  // The value in slot s (see kVapSlot); s below kValueSlots.
  NumberRead& slotValue(int slot) {
    switch (slot) {
      case kVapSlot:
        return vap;
      case kWtvapSlot:
        return wtvap;
      case kPtotSlot:
        return ptot;
      default:
        return values[static_cast<std::size_t>(slot - kFirstCompoundSlot)];
    }
  }
  const NumberRead& slotValue(int slot) const {
    return const_cast<ScannerState&>(*this).slotValue(slot);
  }

  // Storage for a line read byte by byte (one that crosses a buffer load); reused.
  std::string currentLine;
  // The result file being read, counted from 1 (0 before the first).
  int fileIndex = 0;
};

}  // namespace durno
