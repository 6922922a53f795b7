#pragma once

// Inside the POSIX file layer: a descriptor it has opened, handed to the SystemFile that
// reads and writes every file of the layer (retries, SIGPIPE held on devices).

#include <memory>

#include "textfile/file_system.hpp"

namespace durno {

// The file owns descriptor from here on and closes it.
std::unique_ptr<SystemFile> adoptPosixDescriptor(int descriptor, bool diskFile);

}  // namespace durno
