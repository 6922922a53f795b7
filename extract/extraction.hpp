#pragma once

// The batch half of a run: create the output table, scan every result file line by line,
// write one row per step marker, and report whether the table was written completely.

#include <csignal>
#include <span>
#include <string>
#include <string_view>

#include "convert/extended_format.hpp"
#include "extract/capacities.hpp"
#include "extract/extraction_events.hpp"
#include "extract/quantity.hpp"
#include "extract/scanner_state.hpp"
#include "extract/table_format.hpp"
#include "textfile/stop_flag.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// The capacity kMaxCompounds (50) and the file numbers come from capacities.hpp;
// ScannerState (scanner_state.hpp) holds the values kept across lines, steps and files,
// never reset during a run.

// What the dialogue or the command line hands over.
struct ExtractionJob {
  std::string_view quantityCode;
  std::span<const std::string> compoundKeys;  // the first kMaxCompounds are used
  // Read in this order, one at a time, however many there are.
  std::span<const std::string> resultFiles;
  // The output name with ".dat"; with tableToStandardOutput, only the name messages use.
  std::string_view tableName;
  bool tableToStandardOutput = false;
  // Other files the run has read (the lists it loaded): the table may not be one of them.
  std::span<const std::string> otherInputs;
  // A request to stop, looked at before each line is scanned: a signal number, 0 while none
  // came. Null when nothing can ask the run to stop.
  const StopFlag* stopSignal = nullptr;
  // How many threads scan disk files ahead of the table; 1 reads every file in turn on the
  // calling thread. Pipes and devices are always read in turn.
  int jobs = 1;
  // Called first on each scanning thread (to keep stop signals for the calling thread).
  void (*workerThreadSetup)() = nullptr;
  // The .dat table, or a CSV or TSV of each step's own values (extract/step_extraction.hpp).
  TableFormat format = TableFormat::Dat;
  // With a CSV or TSV: how the values of each compound key are held, key by key; keys
  // beyond it are held as quantityCode says.
  std::span<const Quantity> keyQuantities;
};

struct ExtractionOutcome {
  // Ok when the table was created and every write (and its closing) succeeded; else the
  // first failure, or FileError::InUse when the table is one of the files the run reads.
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

// Runs the whole extraction: header, every result file in order, one row per step marker,
// and closing every file at the end; events hears of each step and file as it happens.
//
// A result file that cannot be opened is passed over as a file without lines; a read
// failure inside a file ends that file. Both are told to events with the system's reason.
// The outcome tells whether the table was created and completely written. The scan runs to
// the end unless the table would be one of the files the run reads (then nothing is
// created or read), a write to the table fails (a table that cannot hold more rows is not
// worth the rest of the scan) or a stop is requested (then the scan ends after a whole
// row). After a scan that ran to its end, events hears of the compound keys that began no
// line of any result file.
// Whether a table of format may be written over what tableName holds: nothing, an empty
// file, or a table of that format this program wrote (TextFiles::mayReplace).
FileStatus tableMayReplace(TextFiles& files, std::string_view tableName, TableFormat format);

ExtractionOutcome runExtraction(const ExtractionJob& job, ScannerState& state, TextFiles& files,
                                ExtractionEvents& events);

}  // namespace durno
