#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "app/system.hpp"
#include "textfile/posix_file_system.hpp"

namespace durno {

// A program started with standard input, output or error closed (`durno >&-`, some service
// managers) would hand out those numbers to the first files it opens, and the table would
// then receive the progress lines. Each closed one is taken by /dev/null before anything
// else is opened; open() gives the lowest free number, so they are filled in order.
void prepareStandardStreams() {
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    if (::open("/dev/null", O_RDWR) < 0) return;
  }
}

namespace {

// What the handler notes: the first stop signal's number. A handler can reach nothing but
// globals, so this one flag is process-wide; it is written only by the handler.
volatile std::sig_atomic_t noticedStop = 0;

extern "C" void noteStop(int signalNumber) {
  if (noticedStop == 0) noticedStop = signalNumber;
}

// No SA_RESTART: a read from a pipe that sends nothing more ends at the signal, and the
// reader looks at the flag.
class NotedStopSignals : public StopSignals {
 public:
  const volatile std::sig_atomic_t& hold() override {
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
      struct sigaction previous {};
      ::sigaction(signalNumber, nullptr, &previous);
      if (previous.sa_handler == SIG_IGN) continue;
      struct sigaction action {};
      action.sa_handler = noteStop;
      sigemptyset(&action.sa_mask);
      ::sigaction(signalNumber, &action, nullptr);
    }
    return noticedStop;
  }
};

}  // namespace

std::unique_ptr<StopSignals> consoleFreeStopSignals() {
  return std::make_unique<NotedStopSignals>();
}

std::unique_ptr<FileSystem> systemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace durno
