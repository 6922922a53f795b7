#pragma once

// The console of a real run, chosen at start: keys from the terminal on standard input in
// raw mode, or plain bytes from standard input; the screen on whichever of standard output
// and standard error is a terminal, or a plain transcript on standard output. The terminal
// is restored (settings, autowrap, cursor, colours) when this object goes, and on SIGTERM
// and SIGHUP.
//
// Required API (used by app/main.cpp):
//   class StandardConsole { public: StandardConsole(); ~StandardConsole();
//                           Console& console(); bool isTerminal() const; };
