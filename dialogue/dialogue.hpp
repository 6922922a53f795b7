#pragma once

// The program: the fixed sequence of screens from the start banner to the closing line,
// then one extraction pass.

#include "console/console.hpp"
#include "console/stop_signals.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// How a run ended, the worst first: a stop outranks a table not written, which outranks
// result files left unread, which outrank a compound list left unread.
enum class RunEnd {
  Completed,        // the table holds every result file's rows
  LeftAtStart,      // ESC at the banner: nothing was written
  ListUnread,       // the table is written, but a compound list to load could not be read
  FilesUnread,      // the table lacks the rows of some result file
  TableNotWritten,  // the table file is missing or incomplete
  Stopped,          // a stop signal ended the scan after a whole row
};

struct RunOutcome {
  RunEnd end = RunEnd::Completed;
  int stopSignal = 0;  // the signal's number when Stopped
};

// Runs the whole dialogue and the extraction on console and files, and returns how the run
// ended. InputEnded from the console passes through: the caller decides what an input
// that ended for good means. With stopSignals, the stop signals are held from the start of
// the extraction on, and one that comes ends the scan after a whole row. jobs threads scan
// the result files (see ExtractionJob::jobs).
RunOutcome runDialogue(Console& console, TextFiles& files, StopSignals* stopSignals = nullptr,
                       int jobs = 1);

}  // namespace durno
