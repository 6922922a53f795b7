#pragma once

// What the program entry needs of the system it runs on.

#include <memory>

#include "console/stop_signals.hpp"
#include "textfile/file_system.hpp"

namespace durno {

// Makes sure no file the program opens can take the place of standard input, output or
// error (where the system would let it).
void prepareStandardStreams();

// The stop signals of a run without a console (--plot): SIGTERM, SIGINT and SIGHUP (on
// Windows, Ctrl+C, Ctrl+Break and closing the console window) end the program at once until
// hold() is called, and are noted from then on for the rest of the program. A signal the
// program was started to ignore stays ignored.
std::unique_ptr<StopSignals> consoleFreeStopSignals();

// The real file system.
std::unique_ptr<FileSystem> systemFileSystem();

}  // namespace durno
