#include "console/standard_console.hpp"

#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <span>

#include "console/paced_grid.hpp"
#include "console/plain_host.hpp"
#include "console/terminal_host_posix.hpp"

namespace durno {
namespace {

// What the signal handlers share with the program. This is the layer's only process-wide
// mutable state, and it has to be: a handler can reach nothing but globals. The terminal
// fields are written while the handlers are not installed (in the constructor before
// installing them, in the destructor after removing them), and `armed` tells a handler
// whether there is anything to undo. The flags are the only things written by handlers;
// the program looks at them at points of its own choosing.
struct SignalRestoreState {
  int termiosFd = -1;
  termios settings{};
  int screenFd = -1;
  volatile std::sig_atomic_t armed = 0;
  // Set by hold(): a stop signal is then noted in heldStop rather than acted on.
  volatile std::sig_atomic_t holdingStops = 0;
  StopFlag heldStop{0};
  // Job control, carried out between key waits: SIGTSTP, SIGCONT and SIGWINCH came.
  volatile std::sig_atomic_t suspendAsked = 0;
  volatile std::sig_atomic_t continued = 0;
  volatile std::sig_atomic_t resized = 0;
};
SignalRestoreState signalRestore;

// Reset attributes, autowrap on, cursor visible, then a fresh line for the shell prompt.
constexpr char kRestoreSequence[] = "\x1b[0m\x1b[?7h\x1b[?25h\r\n";

// The signals that ask the program to end: held once hold() is called.
constexpr std::array<int, 3> kStopSignals{SIGTERM, SIGHUP, SIGINT};
// The fatal signals, after which only the terminal is restored.
constexpr std::array<int, 6> kFatalSignals{SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr std::array<int, 3> kJobControlSignals{SIGTSTP, SIGCONT, SIGWINCH};

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

// Waiting at a prompt, a stop signal ends the run at once; while held, it is only noted.
extern "C" void noteOrEndAtStopSignal(int signalNumber) {
  if (signalRestore.holdingStops == 0) {
    restoreTerminalAndResignal(signalNumber);
    return;
  }
  if (signalRestore.heldStop == 0) signalRestore.heldStop = signalNumber;
}

extern "C" void noteJobControl(int signalNumber) {
  if (signalNumber == SIGTSTP) signalRestore.suspendAsked = 1;
  if (signalNumber == SIGCONT) signalRestore.continued = 1;
  if (signalNumber == SIGWINCH) signalRestore.resized = 1;
}

// Installs handler for each signal and keeps the action it replaces in previous. With
// restart, a file read the signal interrupts goes on by itself (key waits never do).
template <std::size_t Count>
void installHandler(const std::array<int, Count>& signals, void (*handler)(int),
                    std::array<struct sigaction, Count>& previous, bool restart = false) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = restart ? SA_RESTART : 0;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < Count; ++i) {
    ::sigaction(signals[i], &action, &previous[i]);
  }
}

template <std::size_t Count>
void restoreActions(const std::array<int, Count>& signals,
                    const std::array<struct sigaction, Count>& previous) {
  for (std::size_t i = 0; i < Count; ++i) {
    ::sigaction(signals[i], &previous[i], nullptr);
  }
}

sigset_t signalSet(std::span<const int> signals) {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : signals)
    sigaddset(&set, signal);
  return set;
}

// Carries out, between key waits, what the job-control signals asked for. Their handlers
// only set flags: a stop request restores the terminal and stops here, and after the
// program continues (fg, bg, SIGCONT) or the window changes size, the terminal gets its raw
// settings back and the screen is drawn again from the cells the screen host keeps. The
// signals are blocked but for the terminal's key waits and the look here, so that one that
// comes just before a wait still ends it.
class JobControlledKeys : public KeySource {
 public:
  JobControlledKeys(TerminalKeys* keys, TerminalScreen* screen, KeySource& source)
      : keys_(keys), screen_(screen), source_(source) {}

  KeyPoll nextKey() override {
    takePendingSignals();
    serviceJobControl();
    return source_.nextKey();
  }

 private:
  void serviceJobControl() {
    bool redraw = false;
    if (signalRestore.suspendAsked != 0) {
      signalRestore.suspendAsked = 0;
      suspend();
      redraw = true;
    }
    if (signalRestore.continued != 0 || signalRestore.resized != 0) {
      signalRestore.continued = 0;
      signalRestore.resized = 0;
      redraw = true;
    }
    if (!redraw) return;
    if (keys_ != nullptr) keys_->enterRawMode();
    if (screen_ != nullptr) screen_->redraw();
  }

  // Leaves the terminal as the shell expects it and stops with the default action of
  // SIGTSTP; the call returns once the program is continued.
  void suspend() {
    if (screen_ != nullptr) screen_->restore();
    if (keys_ != nullptr) keys_->restore();
    struct sigaction previous {};
    struct sigaction stopDefault {};
    stopDefault.sa_handler = SIG_DFL;
    sigemptyset(&stopDefault.sa_mask);
    ::sigaction(SIGTSTP, &stopDefault, &previous);
    // Let the stop through, and the continue that ends it, whose handler notes it.
    constexpr std::array<int, 2> kStopAndContinue{SIGTSTP, SIGCONT};
    const sigset_t stopAndContinue = signalSet(kStopAndContinue);
    sigset_t blocked;
    ::pthread_sigmask(SIG_UNBLOCK, &stopAndContinue, &blocked);
    ::raise(SIGTSTP);
    ::pthread_sigmask(SIG_SETMASK, &blocked, nullptr);
    ::sigaction(SIGTSTP, &previous, nullptr);
  }

  // Runs the handlers of the job-control signals that came since the last look.
  static void takePendingSignals() {
    const sigset_t jobControl = signalSet(kJobControlSignals);
    sigset_t blocked;
    ::pthread_sigmask(SIG_UNBLOCK, &jobControl, &blocked);
    ::pthread_sigmask(SIG_SETMASK, &blocked, nullptr);
  }

  TerminalKeys* keys_;
  TerminalScreen* screen_;
  KeySource& source_;
};

}  // namespace

struct StandardConsole::Hosts {
  std::unique_ptr<TerminalKeys> terminalKeys;
  std::unique_ptr<PlainKeys> plainKeys;
  std::unique_ptr<TerminalScreen> terminalScreen;
  std::unique_ptr<PacedGrid> pacedScreen;  // over terminalScreen
  std::unique_ptr<PlainScreen> plainScreen;
  std::unique_ptr<JobControlledKeys> jobControlledKeys;
  std::unique_ptr<Console> console;
  std::array<struct sigaction, kStopSignals.size()> previousStopActions{};
  std::array<struct sigaction, kFatalSignals.size()> previousFatalActions{};
  std::array<struct sigaction, kJobControlSignals.size()> previousJobControlActions{};
  sigset_t maskBeforeJobControl{};
  bool stopHandlersInstalled = false;
  bool terminalHandlersInstalled = false;

  KeySource& openKeys() {
    if (::isatty(STDIN_FILENO) != 0) {
      terminalKeys = std::make_unique<TerminalKeys>(STDIN_FILENO);
      return *terminalKeys;
    }
    plainKeys = std::make_unique<PlainKeys>(STDIN_FILENO);
    return *plainKeys;
  }

  // A plain transcript that goes to a terminal must not command it.
  static PlainScreen::Controls controlsFor(int fd) {
    if (::isatty(fd) == 0) return PlainScreen::Controls::Passed;
    return localeIsUtf8() ? PlainScreen::Controls::ShownForUtf8
                          : PlainScreen::Controls::ShownFor8Bit;
  }

  // terminalFd is the terminal the screen may use (-1: none). A terminal that cannot place
  // text gets the plain transcript; with keys typed on it, each key is echoed as typed.
  void openScreen(int terminalFd) {
    if (terminalFd >= 0 && terminalTypeDrawsCells(std::getenv("TERM"))) {
      terminalScreen = std::make_unique<TerminalScreen>(terminalFd, localeIsUtf8());
    } else if (terminalFd >= 0 && terminalKeys) {
      plainScreen = std::make_unique<PlainScreen>(terminalFd, PlainScreen::Echo::EachKey,
                                                  controlsFor(terminalFd));
    } else {
      plainScreen = std::make_unique<PlainScreen>(STDOUT_FILENO, PlainScreen::Echo::WholeLine,
                                                  controlsFor(STDOUT_FILENO));
    }
  }

  void openConsole(KeySource& keys) {
    if (terminalScreen) {
      pacedScreen = std::make_unique<PacedGrid>(*terminalScreen);
      console = std::make_unique<Console>(*pacedScreen, keys);
    } else {
      console = std::make_unique<Console>(*plainScreen, keys);
    }
  }

  // A stop signal the program was started to ignore (nohup, a background job of a shell
  // without job control) stays ignored.
  void installStopHandlers() {
    installHandler(kStopSignals, noteOrEndAtStopSignal, previousStopActions);
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
      if (previousStopActions[i].sa_handler == SIG_IGN) {
        ::sigaction(kStopSignals[i], &previousStopActions[i], nullptr);
      }
    }
    stopHandlersInstalled = true;
  }

  void installTerminalHandlers() {
    installHandler(kFatalSignals, restoreTerminalAndResignal, previousFatalActions);
    installHandler(kJobControlSignals, noteJobControl, previousJobControlActions, true);
    const sigset_t jobControl = signalSet(kJobControlSignals);
    ::pthread_sigmask(SIG_BLOCK, &jobControl, &maskBeforeJobControl);
    if (terminalKeys) terminalKeys->letThroughWhileWaiting(kJobControlSignals);
    terminalHandlersInstalled = true;
  }

  void removeHandlers() {
    signalRestore.armed = 0;
    if (terminalHandlersInstalled) {
      // Signals still blocked come in first, to the handlers that only note them.
      ::pthread_sigmask(SIG_SETMASK, &maskBeforeJobControl, nullptr);
      restoreActions(kFatalSignals, previousFatalActions);
      restoreActions(kJobControlSignals, previousJobControlActions);
      terminalHandlersInstalled = false;
    }
    // The stop signals stay held to the end once they are: one that came has been noted,
    // and the holder is about to end the program with a status of its own.
    if (stopHandlersInstalled && signalRestore.holdingStops == 0) {
      restoreActions(kStopSignals, previousStopActions);
      stopHandlersInstalled = false;
    }
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
  hosts.openScreen(terminalFd);
  const bool rawKeys = hosts.terminalKeys && hosts.terminalKeys->originalSettings();
  KeySource* keySource = &keys;
  if (rawKeys || hosts.terminalScreen) {
    hosts.jobControlledKeys = std::make_unique<JobControlledKeys>(
        rawKeys ? hosts.terminalKeys.get() : nullptr, hosts.terminalScreen.get(), keys);
    keySource = hosts.jobControlledKeys.get();
  }
  hosts.openConsole(*keySource);

  if (rawKeys || hosts.terminalScreen) {
    signalRestore.termiosFd = rawKeys ? STDIN_FILENO : -1;
    if (rawKeys) signalRestore.settings = *hosts.terminalKeys->originalSettings();
    // A plain screen is sent no sequences, not even the restoring ones.
    signalRestore.screenFd = hosts.terminalScreen ? terminalFd : -1;
    signalRestore.armed = 1;
    hosts.installTerminalHandlers();
  }
  hosts.installStopHandlers();
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

const StopFlag& StandardConsole::hold() {
  signalRestore.heldStop = 0;
  signalRestore.holdingStops = 1;
  return signalRestore.heldStop;
}

void keepSignalsFromThisThread() {
  constexpr std::array<int, 8> kHandled{SIGTERM, SIGHUP,  SIGINT,   SIGQUIT,
                                        SIGTSTP, SIGCONT, SIGWINCH, SIGPIPE};
  const sigset_t handled = signalSet(kHandled);
  ::pthread_sigmask(SIG_BLOCK, &handled, nullptr);
}

}  // namespace durno
