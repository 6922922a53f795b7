#include "app/system.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "textfile/file_system_posix.hpp"

namespace durno {

// A program started with standard input, output or error closed (`durno >&-`, some service
// managers) would hand out those numbers to the first files it opens, and the table would
// then receive the progress lines. Each closed one is taken by /dev/null before anything
// else is opened; open() gives the lowest free number, so they are filled in order.
//
// The table is the program's product and standard output only its screen: a reader of the
// screen that goes away (`durno | head`) must not end the run with SIGPIPE and leave the
// table cut short. With SIGPIPE ignored such writes fail with EPIPE, and the screen simply
// drops what it cannot show.
//
// A file-size limit (`ulimit -f`) is a full disk for the program: the write that passes it
// fails with EFBIG ("File too large") and is told, and the table is cut back to its last
// whole row, where SIGXFSZ would end the program without a word in the middle of a field.
void prepareStandardStreams() {
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
  // A closed stream is held by a stand-in opened for reading only: no file the program
  // opens can take its number, and a write to a closed standard output still fails, as it
  // must (a table or a help text that went nowhere is not written).
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    if (::open("/dev/null", O_RDONLY) < 0) return;
  }
}

// "/x" is a file's full name here.
bool slashWordsAreOptions() {
  return false;
}

// Arguments are bytes, as the program takes them everywhere.
std::vector<std::string> commandLineArguments(int argc, char** argv, std::string&) {
  return {argv, argv + argc};
}

namespace {

// What the handler notes: the first stop signal's number. A handler can reach nothing but
// globals, so this one flag is process-wide; it is written only by the handler.
StopFlag noticedStop{0};

extern "C" void noteStop(int signalNumber) {
  if (noticedStop == 0) noticedStop = signalNumber;
}

// No SA_RESTART: a read from a pipe that sends nothing more ends at the signal, and the
// reader looks at the flag.
class NotedStopSignals : public StopSignals {
 public:
  const StopFlag& hold() override {
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
