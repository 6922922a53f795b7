#pragma once

// The console of a real run, chosen at start: keys from the terminal on standard input in
// raw mode, or plain bytes from standard input; the screen on whichever of standard output
// and standard error is a terminal, or a plain transcript on standard output. A terminal
// whose TERM is "dumb" or unset gets the plain transcript too (with each typed key echoed
// when the keys come from it). The terminal is restored (settings, autowrap, cursor,
// colours) when this object goes, and on the stop signals (SIGTERM, SIGHUP, SIGINT) and the
// fatal signals (SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL), after which the signal
// takes its default course; once hold() is called, the stop signals are only noted (see
// StopSignals). On SIGTSTP the terminal is restored and the program stops; after SIGCONT and
// SIGWINCH the terminal is set up and drawn again. These happen at the next key wait.
//
// At most one StandardConsole exists at a time. When the key source ends, the key reads
// throw InputEnded; the caller should let this object go (restoring the terminal) before
// it shows what() on standard error.

#include <memory>

#include "console/console.hpp"
#include "console/stop_signals.hpp"

namespace durno {

class StandardConsole : public StopSignals {
 public:
  StandardConsole();
  ~StandardConsole() override;
  StandardConsole(const StandardConsole&) = delete;
  StandardConsole& operator=(const StandardConsole&) = delete;

  Console& console();
  const StopFlag& hold() override;

 private:
  struct Hosts;
  std::unique_ptr<Hosts> hosts_;
};

}  // namespace durno
