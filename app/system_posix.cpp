#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "app/system.hpp"
#include "textfile/posix_file_system.hpp"

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
void prepareStandardStreams() {
  ::signal(SIGPIPE, SIG_IGN);
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    if (::open("/dev/null", O_RDWR) < 0) return;
  }
}

std::unique_ptr<FileSystem> systemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace durno
