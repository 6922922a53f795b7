#pragma once

// The program: the fixed sequence of screens from the start banner to the closing line,
// then one extraction pass.

#include "console/console.hpp"
#include "console/stop_signals.hpp"
#include "textfile/text_files.hpp"

namespace durno {

inline constexpr int kExitSuccess = 0;          // a completed run, or ESC at the banner
inline constexpr int kExitTableNotWritten = 1;  // the table file is missing or incomplete
inline constexpr int kExitFilesUnread = 3;      // the table lacks the rows of some result file
inline constexpr int kExitSignalBase = 128;     // plus the number of the signal that stopped it

// Runs the whole dialogue and the extraction on console and files, and returns the exit
// status. InputEnded from the console passes through: the caller decides what an input
// that ended for good means. With stopSignals, the stop signals are held from the start of
// the extraction on, and one that comes ends the scan after a whole row.
int runDialogue(Console& console, TextFiles& files, StopSignals* stopSignals = nullptr);

}  // namespace durno
