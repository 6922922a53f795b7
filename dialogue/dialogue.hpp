#pragma once

// The program: the fixed sequence of screens from the start banner to the closing line,
// then one extraction pass.

#include "console/console.hpp"
#include "textfile/text_files.hpp"

namespace durno {

inline constexpr int kExitSuccess = 0;          // a completed run, or ESC at the banner
inline constexpr int kExitTableNotWritten = 1;  // the table file is missing or incomplete

// Runs the whole dialogue and the extraction on console and files, and returns the exit
// status. InputEnded from the console passes through: the caller decides what an input
// that ended for good means.
int runDialogue(Console& console, TextFiles& files);

}  // namespace durno
