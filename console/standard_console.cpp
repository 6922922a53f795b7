#include "console/standard_console.hpp"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdlib>

#include "console/plain_host.hpp"
#include "console/terminal_host.hpp"

namespace durno {
namespace {

// What a signal handler must undo. This is the layer's only process-wide mutable state: a
// handler can reach nothing else. It is written while the handlers are not installed (in
// the constructor before installing them, in the destructor after removing them), and
// `armed` tells a handler whether there is anything to undo.
struct SignalRestoreState {
  int termiosFd = -1;
  termios settings{};
  int screenFd = -1;
  volatile std::sig_atomic_t armed = 0;
};
SignalRestoreState signalRestore;

// Reset attributes, autowrap on, cursor visible, then a fresh line for the shell prompt.
constexpr char kRestoreSequence[] = "\x1b[0m\x1b[?7h\x1b[?25h\r\n";

constexpr std::array<int, 9> kRestoringSignals{SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGABRT,
                                               SIGSEGV, SIGBUS, SIGFPE, SIGILL};

// Only async-signal-safe calls: write, tcsetattr, signal, raise.
extern "C" void restoreTerminalAndResignal(int signalNumber) {
  if (signalRestore.armed != 0) {
    signalRestore.armed = 0;
    if (signalRestore.screenFd >= 0) {
      const ssize_t ignored =
          ::write(signalRestore.screenFd, kRestoreSequence, sizeof kRestoreSequence - 1);
      static_cast<void>(ignored);
    }
    if (signalRestore.termiosFd >= 0) {
      ::tcsetattr(signalRestore.termiosFd, TCSANOW, &signalRestore.settings);
    }
  }
  // The signal is blocked while its handler runs; with the default action back in place
  // it is delivered, and takes its default course, as soon as the handler returns.
  ::signal(signalNumber, SIG_DFL);
  ::raise(signalNumber);
}

}  // namespace

struct StandardConsole::Hosts {
  std::unique_ptr<TerminalKeys> terminalKeys;
  std::unique_ptr<PlainKeys> plainKeys;
  std::unique_ptr<TerminalScreen> terminalScreen;
  std::unique_ptr<PlainScreen> plainScreen;
  std::unique_ptr<Console> console;
  std::array<struct sigaction, kRestoringSignals.size()> previousActions{};
  bool handlersInstalled = false;

  KeySource& openKeys() {
    if (::isatty(STDIN_FILENO) != 0) {
      terminalKeys = std::make_unique<TerminalKeys>(STDIN_FILENO);
      return *terminalKeys;
    }
    plainKeys = std::make_unique<PlainKeys>(STDIN_FILENO);
    return *plainKeys;
  }

  // terminalFd is the terminal the screen may use (-1: none). A terminal that cannot place
  // text gets the plain transcript; with keys typed on it, each key is echoed as typed.
  ScreenHost& openScreen(int terminalFd) {
    if (terminalFd >= 0 && terminalTypeDrawsCells(std::getenv("TERM"))) {
      terminalScreen = std::make_unique<TerminalScreen>(terminalFd, localeIsUtf8());
      return *terminalScreen;
    }
    if (terminalFd >= 0 && terminalKeys) {
      plainScreen = std::make_unique<PlainScreen>(terminalFd, PlainScreen::Echo::EachKey);
    } else {
      plainScreen = std::make_unique<PlainScreen>(STDOUT_FILENO);
    }
    return *plainScreen;
  }

  void installHandlers() {
    struct sigaction action {};
    action.sa_handler = restoreTerminalAndResignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kRestoringSignals.size(); ++i) {
      ::sigaction(kRestoringSignals[i], &action, &previousActions[i]);
    }
    handlersInstalled = true;
  }

  void removeHandlers() {
    if (!handlersInstalled) return;
    signalRestore.armed = 0;
    for (std::size_t i = 0; i < kRestoringSignals.size(); ++i) {
      ::sigaction(kRestoringSignals[i], &previousActions[i], nullptr);
    }
    handlersInstalled = false;
  }
};

StandardConsole::StandardConsole() : hosts_(std::make_unique<Hosts>()) {
  Hosts& hosts = *hosts_;
  KeySource& keys = hosts.openKeys();
  int terminalFd = -1;
  if (::isatty(STDOUT_FILENO) != 0) {
    terminalFd = STDOUT_FILENO;
  } else if (::isatty(STDERR_FILENO) != 0) {
    terminalFd = STDERR_FILENO;
  }
  ScreenHost& screen = hosts.openScreen(terminalFd);
  hosts.console = std::make_unique<Console>(screen, keys);

  const bool rawKeys = hosts.terminalKeys && hosts.terminalKeys->originalSettings();
  if (rawKeys || hosts.terminalScreen) {
    signalRestore.termiosFd = rawKeys ? STDIN_FILENO : -1;
    if (rawKeys) signalRestore.settings = *hosts.terminalKeys->originalSettings();
    // A plain screen is sent no sequences, not even the restoring ones.
    signalRestore.screenFd = hosts.terminalScreen ? terminalFd : -1;
    signalRestore.armed = 1;
    hosts.installHandlers();
  }
}

StandardConsole::~StandardConsole() {
  Hosts& hosts = *hosts_;
  hosts.console->flush();
  if (hosts.terminalScreen) hosts.terminalScreen->restore();
  if (hosts.terminalKeys) hosts.terminalKeys->restore();
  hosts.removeHandlers();
}

Console& StandardConsole::console() {
  return *hosts_->console;
}

bool StandardConsole::isTerminal() const {
  return hosts_->terminalScreen != nullptr;
}

}  // namespace durno
