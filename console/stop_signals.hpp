#pragma once

// SIGTERM, SIGINT and SIGHUP as a run sees them. Until hold() is called they end the program
// at once (the terminal restored, nothing more written); from then on the first of them is
// only noted, so that the holder can finish what it is writing and stop where it chooses.

#include <csignal>

#include "textfile/stop_flag.hpp"

namespace durno {

class StopSignals {
 public:
  virtual ~StopSignals() = default;
  // Starts holding; returns the flag a held signal is noted in: its number, 0 while none
  // came. The flag stays valid as long as this object.
  virtual const StopFlag& hold() = 0;
};

// Called first on a helper thread (one that scans files ahead): the signals the program
// handles are blocked there, so that they reach the main thread, whose waits and reads they
// must interrupt. Nothing to do where a separate thread takes them anyway (Windows).
void keepSignalsFromThisThread();

}  // namespace durno
