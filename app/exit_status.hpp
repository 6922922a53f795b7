#pragma once

// Every status the program ends with, in one table; --help and the manual page say the same.

namespace durno {

enum class ExitStatus : int {
  Success = 0,      // a table, picture or text written; or ESC at the banner
  NotWritten = 1,   // the table, a list asked for, the picture or the text is missing or
                    // incomplete (a full disk, a closed output, no memory)
  Usage = 2,        // arguments that cannot be run, answers that ended early; with --plot
                    // also a table that is missing, is not DURNO's or has nothing to draw
  FilesUnread = 3,  // the table is written, but lacks the rows of some result file
  ListUnread = 4,   // the dialogue's table is written, but a compound list was not read
};

// Plus the number of the signal that stopped the run.
inline constexpr int kExitSignalBase = 128;

constexpr int exitCode(ExitStatus status) {
  return static_cast<int>(status);
}

}  // namespace durno
