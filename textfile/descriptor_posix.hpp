#pragma once

// Inside the POSIX file layer: a descriptor it has opened, handed to the SystemFile that
// reads and writes every file of the layer (retries, SIGPIPE held on devices).

#include <memory>

#include "textfile/file_system.hpp"
#include "textfile/stop_flag.hpp"

namespace durno {

// The file owns descriptor from here on and closes it. A pipe's or device's waits end at
// a stop asked through stop (see FileSystem::endWaitsWhen).
std::unique_ptr<SystemFile> adoptPosixDescriptor(int descriptor, bool diskFile,
                                                 const StopFlag* stop = nullptr);

}  // namespace durno
