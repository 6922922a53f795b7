#pragma once

// The batch half of a run: create the output table, scan every result file line by line,
// write one row per step marker, and report whether the table was written completely.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "console/console.hpp"
#include "convert/extended.hpp"
#include "textfile/text_files.hpp"

namespace durno {

inline constexpr int kMaxCompounds = 50;
inline constexpr int kMaxResultFiles = 70;
inline constexpr int kListFileNumber = 1;
inline constexpr int kTableFileNumber = 2;
inline constexpr int kFirstResultFileNumber = 11;  // result file i is 10 + i

// Values kept across lines, steps and files; nothing is ever reset during a run.
// (The extraction engine owns the details of this struct.)
struct ScannerState;

// What the dialogue hands over. Spans longer than the capacities are cut to them.
struct ExtractionJob {
  std::string_view quantityCode;
  std::span<const std::string> compoundKeys;  // at most kMaxCompounds
  std::span<const std::string> resultFiles;   // at most kMaxResultFiles
  std::string_view tableName;                 // the output name with ".dat"
};

struct ExtractionOutcome {
  // True when the table was created and every write (and its closing) succeeded.
  bool tableWritten = false;
  // Why not, when tableWritten is false: the system's reason (e.g. "No such file or directory").
  std::string failureReason;
};

// Runs the whole extraction: header, every result file in order as file 10 + i, one
// "at STEP = " console line per row, and closing every file at the end.
ExtractionOutcome runExtraction(const ExtractionJob& job, ScannerState& state, TextFiles& files,
                                Console& console);

}  // namespace durno
