#include "textfile/file_system_posix.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "textfile/descriptor_posix.hpp"

namespace durno {

namespace {

std::string systemReason(int error) {
  return std::generic_category().message(error);
}

FileStatus lastSystemFailure() {
  return FileStatus::systemFailure(systemReason(errno));
}

// A write to a pipe whose reader has gone raises SIGPIPE, which would end the program; the
// layer's failures are silent, so while a device is written SIGPIPE is held back for this
// thread, and a SIGPIPE the write raised is taken away again, leaving EPIPE as the reason.
class SigpipeHeld {
 public:
  SigpipeHeld() {
    sigemptyset(&sigpipe_);
    sigaddset(&sigpipe_, SIGPIPE);
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &sigpipe_, &previous_);
  }
  ~SigpipeHeld() {
    if (raised_ && !alreadyPending_) {
      const timespec noWait{0, 0};
      while (sigtimedwait(&sigpipe_, nullptr, &noWait) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  SigpipeHeld(const SigpipeHeld&) = delete;
  SigpipeHeld& operator=(const SigpipeHeld&) = delete;
  void noteBrokenPipe() { raised_ = true; }

 private:
  sigset_t sigpipe_;
  sigset_t previous_;
  bool alreadyPending_ = false;
  bool raised_ = false;
};

// How often a wait looks at the stop flag: a thread that signals do not reach (one that
// scans ahead) hears a stop within this time; the main thread's waits a signal ends at once.
constexpr int kStopLookMilliseconds = 250;

bool stopAsked(const StopFlag* stop) {
  return stop != nullptr && stop->load() != 0;
}

// Waits until descriptor is ready for events (or its partner has gone), or a stop is
// asked for; false at a stop. Without a stop flag it waits as the call itself would.
bool waitReady(int descriptor, short events, const StopFlag* stop) {
  if (stop == nullptr) return true;
  for (;;) {
    if (stopAsked(stop)) return false;
    pollfd watched{descriptor, events, 0};
    const int ready = ::poll(&watched, 1, kStopLookMilliseconds);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return true;  // the call itself then tells why
  }
}

class PosixFile : public SystemFile {
 public:
  PosixFile(int descriptor, bool diskFile, const StopFlag* stop)
      : descriptor_(descriptor),
        diskFile_(diskFile),
        interactive_(::isatty(descriptor) == 1),
        stop_(diskFile ? nullptr : stop) {}
  ~PosixFile() override {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  int descriptor() const { return descriptor_; }
  bool isDiskFile() const override { return diskFile_; }
  bool isInteractive() const override { return interactive_; }

  // A read that a signal interrupts is not tried again: the program's handlers that must
  // not disturb a read restart it themselves, so an interrupted read is a request to stop,
  // which a pipe that sends nothing more would otherwise keep waiting.
  // A pipe or device that sends nothing is waited on only until a stop is asked for.
  FileStatus read(char* buffer, std::size_t size, std::size_t& count) override {
    count = 0;
    if (!waitReady(descriptor_, POLLIN, stop_)) return FileStatus::stopped();
    const ssize_t got = ::read(descriptor_, buffer, size);
    if (got < 0) return lastSystemFailure();
    count = static_cast<std::size_t>(got);
    return FileStatus::success();
  }

  // The system may take part of a write (a pipe, a signal); the rest is offered again until
  // it refuses, so only a real refusal (a full disk, a device error) reports a failure.
  FileStatus write(std::string_view bytes) override {
    if (diskFile_) return writeAll(bytes, nullptr);
    SigpipeHeld held;
    return writeAll(bytes, &held);
  }

  FileStatus truncate(unsigned long long length) override {
    if (::ftruncate(descriptor_, static_cast<off_t>(length)) != 0) return lastSystemFailure();
    return FileStatus::success();
  }

  // Closing is not retried after EINTR: on Linux the descriptor is released either way, and
  // a retry could close a descriptor opened meanwhile.
  FileStatus close() override {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0 && errno != EINTR) return lastSystemFailure();
    return FileStatus::success();
  }

 private:
  FileStatus writeAll(std::string_view bytes, SigpipeHeld* sigpipe) {
    while (!bytes.empty()) {
      // A reader that holds the pipe and takes nothing is waited on only until a stop.
      if (!waitReady(descriptor_, POLLOUT, stop_)) return FileStatus::stopped();
      const ssize_t put = ::write(descriptor_, bytes.data(), bytes.size());
      if (put < 0) {
        if (errno == EINTR) continue;
        if (errno == EPIPE && sigpipe != nullptr) sigpipe->noteBrokenPipe();
        return lastSystemFailure();
      }
      if (put == 0) return FileStatus::systemFailure(systemReason(EIO));
      bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return FileStatus::success();
  }

  int descriptor_;
  bool diskFile_;
  bool interactive_;
  const StopFlag* stop_;  // for a pipe or device: ends its waits
};

int openDescriptor(const std::string& name, FileMode mode) {
  // O_NONBLOCK keeps a pipe without a partner from stalling the open; it is cleared below.
  const int access = mode == FileMode::Input ? O_RDONLY : O_WRONLY | O_CREAT;
  int descriptor = -1;
  do {
    descriptor = ::open(name.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

// A named pipe opened for reading before its writer came would read as empty at once, and
// its results would be lost without a word: it is waited on, as `cat` waits, until its
// writer has written or come and gone. The descriptor of the first open is kept: a writer
// that this open let in writes into it, and a second open would lose those bytes. False at
// a stop, or at a signal that ends the wait when no stop flag is given (an interrupted wait
// is then a request to stop, which a writer that never comes would keep waiting).
bool waitForWriter(int descriptor, const StopFlag* stop) {
  if (stop != nullptr) return waitReady(descriptor, POLLIN, stop);
  pollfd watched{descriptor, POLLIN, 0};
  return ::poll(&watched, 1, -1) >= 0;
}

// Takes the lock without waiting: shared for a reader, so that runs reading the same result
// files do not turn each other away, exclusive for a writer. Returns 0 or the errno of the
// refusal.
int lockFor(int descriptor, FileMode mode) {
  const int kind = mode == FileMode::Input ? LOCK_SH : LOCK_EX;
  for (;;) {
    if (::flock(descriptor, kind | LOCK_NB) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

}  // namespace

const std::string& outOfMemoryReason() {
  static const std::string reason = systemReason(ENOMEM);
  return reason;
}

std::unique_ptr<SystemFile> PosixFileSystem::open(const std::string& name, FileMode mode,
                                                  FileStatus& status) {
  const int descriptor = openDescriptor(name, mode);
  if (descriptor < 0) {
    status = FileStatus::systemFailure(systemReason(errno));
    return nullptr;
  }
  struct stat fileStatus {};
  if (::fstat(descriptor, &fileStatus) != 0) {
    status = FileStatus::systemFailure(systemReason(errno));
    ::close(descriptor);
    return nullptr;
  }
  const bool diskFile = S_ISREG(fileStatus.st_mode);
  // From here the descriptor is owned by the file, which closes it on every early return.
  auto file = std::make_unique<PosixFile>(descriptor, diskFile, stopFlag());
  if (S_ISDIR(fileStatus.st_mode)) {
    status = FileStatus::systemFailure(systemReason(EISDIR));
    return nullptr;
  }
  if (const int refusal = lockFor(descriptor, mode); refusal != 0) {
    if (refusal == EWOULDBLOCK) {
      status = FileStatus::inUse();
      return nullptr;
    }
    // A disk file that cannot be locked could be shared unseen; a device that does not
    // support locks is still usable.
    if (diskFile) {
      status = FileStatus::systemFailure(systemReason(refusal));
      return nullptr;
    }
  }
  if (mode == FileMode::Input && S_ISFIFO(fileStatus.st_mode) &&
      !waitForWriter(descriptor, stopFlag())) {
    status = stopAsked() ? FileStatus::stopped() : lastSystemFailure();
    return nullptr;
  }
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    status = FileStatus::systemFailure(systemReason(errno));
    return nullptr;
  }
  return file;
}

bool PosixFileSystem::sameFile(const std::string& first, const std::string& second) {
  struct stat firstStatus {};
  struct stat secondStatus {};
  return ::stat(first.c_str(), &firstStatus) == 0 && ::stat(second.c_str(), &secondStatus) == 0 &&
         firstStatus.st_dev == secondStatus.st_dev && firstStatus.st_ino == secondStatus.st_ino;
}

namespace {

// The folder a name is in, as the system resolves it, and the name's last part; the
// name as given when its folder cannot be resolved (the open that follows tells why).
std::string resolvedName(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
  char* resolved = ::realpath(folder.c_str(), nullptr);
  if (resolved == nullptr) return name;
  std::string full(resolved);
  std::free(resolved);
  return full.append("/").append(slash == std::string::npos ? name : name.substr(slash + 1));
}

}  // namespace

bool PosixFileSystem::oneFile(const std::string& first, const std::string& second) {
  if (sameFile(first, second)) return true;
  struct stat named {};
  if (::stat(first.c_str(), &named) == 0 || ::stat(second.c_str(), &named) == 0) return false;
  return first == second || resolvedName(first) == resolvedName(second);
}

bool PosixFileSystem::leadsTo(const std::string& name, const SystemFile& file) {
  const auto* posixFile = dynamic_cast<const PosixFile*>(&file);
  struct stat named {};
  struct stat held {};
  return posixFile != nullptr && ::stat(name.c_str(), &named) == 0 &&
         ::fstat(posixFile->descriptor(), &held) == 0 && named.st_dev == held.st_dev &&
         named.st_ino == held.st_ino;
}

bool PosixFileSystem::folderExists(const std::string& name) {
  struct stat named {};
  return ::stat(name.c_str(), &named) == 0 && S_ISDIR(named.st_mode);
}

long long PosixFileSystem::diskFileSize(const std::string& name) {
  struct stat named {};
  if (::stat(name.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return -1;
  return static_cast<long long>(named.st_size);
}

}  // namespace durno

namespace durno {

std::unique_ptr<SystemFile> adoptPosixDescriptor(int descriptor, bool diskFile,
                                                 const StopFlag* stop) {
  return std::make_unique<PosixFile>(descriptor, diskFile, stop);
}

}  // namespace durno
