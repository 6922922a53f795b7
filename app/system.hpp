#pragma once

// What the program entry needs of the system it runs on.

#include <memory>
#include <string>
#include <vector>

#include "console/stop_signals.hpp"
#include "textfile/file_system.hpp"

namespace durno {

// Makes sure no file the program opens can take the place of standard input, output or
// error (where the system would let it), and that a reader of standard output or error
// that goes away cannot end the program.
void prepareStandardStreams();

// True where words that begin with '/' may be options ("/?" on Windows): such a word that
// is no option and names no existing file is then refused, never taken as a result file.
bool slashWordsAreOptions();

// The program's arguments, its name first, as the bytes the rest of the program takes names
// in. On failure sets problem (the usage problem to report) and returns what it could.
std::vector<std::string> commandLineArguments(int argc, char** argv, std::string& problem);

// The stop signals of a run without a console (--plot): SIGTERM, SIGINT and SIGHUP (on
// Windows, Ctrl+C, Ctrl+Break and closing the console window) end the program at once until
// hold() is called, and are noted from then on for the rest of the program. A signal the
// program was started to ignore stays ignored.
std::unique_ptr<StopSignals> consoleFreeStopSignals();

// The real file system.
std::unique_ptr<FileSystem> systemFileSystem();

}  // namespace durno
