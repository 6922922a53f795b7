#pragma once

// What the program entry needs of the system it runs on.

#include <memory>

#include "textfile/file_system.hpp"

namespace durno {

// Makes sure no file the program opens can take the place of standard input, output or
// error (where the system would let it), and that a reader of standard output or error
// that goes away cannot end the program.
void prepareStandardStreams();

// The real file system.
std::unique_ptr<FileSystem> systemFileSystem();

}  // namespace durno
