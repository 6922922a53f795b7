#pragma once

// The batch half of a run: create the output table, scan every result file line by line,
// write one row per step marker, and report whether the table was written completely.

#include <array>
#include <csignal>
#include <span>
#include <string>
#include <string_view>

#include "console/console.hpp"
#include "convert/extended.hpp"
#include "extract/capacities.hpp"
#include "extract/scanner_state.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// The capacities kMaxCompounds (50) and kMaxResultFiles (70) and the file numbers come
// from capacities.hpp; ScannerState (scanner_state.hpp) holds the values kept across lines,
// steps and files, never reset during a run.

// What the dialogue hands over. Spans longer than the capacities are cut to them.
struct ExtractionJob {
  std::string_view quantityCode;
  std::span<const std::string> compoundKeys;  // at most kMaxCompounds
  std::span<const std::string> resultFiles;   // at most kMaxResultFiles
  std::string_view tableName;                 // the output name with ".dat"
  // The list files the dialogue read; the table must not replace one of them either.
  std::span<const std::string> listFiles;
  // A request to stop, looked at before each line is scanned: a signal number, 0 while none
  // came. Null when nothing can ask the run to stop.
  const volatile std::sig_atomic_t* stopSignal = nullptr;
};

struct ExtractionOutcome {
  // Ok when the table was created and every write (and its closing) succeeded; else the
  // first failure, or FileError::InUse when the table is one of the result or list files.
  FileStatus table = FileStatus::failure(FileError::NotOpen, "not written");
  // Result files that could not be opened, or not read to their end.
  int unreadableFiles = 0;
  // The signal that stopped the scan after a whole row; 0 when the scan ran to its end.
  int stoppedBy = 0;
  // The rows written, and the step and result file of the last one.
  long long rows = 0;
  long double lastRowStep = 0;
  std::string lastRowFile;
};

// Runs the whole extraction: header, every result file in order as file 10 + i, one
// "at STEP = " console line per row, and closing every file at the end.
//
// A result file that cannot be opened is passed over as a file without lines, and the
// console shows one line naming it and the system's reason ('Result file "NAME" could not
// be opened: REASON'); a read failure inside a file ends that file the same way ('... could
// not be read: REASON').
// The outcome tells whether the table was created and completely written; the scan runs
// to the end either way, unless the table would be one of the result files or list files
// (then nothing is created or read) or a stop is requested (then the scan ends after a whole row).
// After a scan that ran to its end, one console line lists the compound keys that began
// no line of any result file ('Not found in any result file: ASiO2, AMgO').
ExtractionOutcome runExtraction(const ExtractionJob& job, ScannerState& state, TextFiles& files,
                                Console& console);

}  // namespace durno
