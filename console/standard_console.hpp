#pragma once

// The console of a real run, chosen at start: keys from the terminal on standard input in
// raw mode, or plain bytes from standard input; the screen on whichever of standard output
// and standard error is a terminal, or a plain transcript on standard output. A terminal
// whose TERM is "dumb" or unset gets the plain transcript too (with each typed key echoed
// when the keys come from it). The terminal
// is restored (settings, autowrap, cursor, colours) when this object goes, and on SIGTERM,
// SIGHUP and the fatal signals (SIGINT, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL),
// after which the signal takes its default course.
//
// At most one StandardConsole exists at a time. When the key source ends, the key reads
// throw InputEnded; main() should catch it, let this object go (restoring the terminal),
// print what() on standard error and exit with status 2.

#include <memory>

#include "console/console.hpp"

namespace durno {

class StandardConsole {
 public:
  StandardConsole();
  ~StandardConsole();
  StandardConsole(const StandardConsole&) = delete;
  StandardConsole& operator=(const StandardConsole&) = delete;

  Console& console();
  // True when the screen is drawn on a terminal (false in plain mode).
  bool isTerminal() const;

 private:
  struct Hosts;
  std::unique_ptr<Hosts> hosts_;
};

}  // namespace durno
