// Files written whole on POSIX: a new file beside the old one, renamed over it once every
// byte is in it. rename() within one folder is atomic, so a reader, a second program or a
// stop at any moment sees the old file or the new one, never a part of either.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <system_error>

#include "textfile/descriptor_posix.hpp"
#include "textfile/direct_whole_file.hpp"
#include "textfile/file_system_posix.hpp"

namespace durno {

namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMostLinksFollowed = 40;
// The part of the old name kept in the new file's name, so that the suffix still fits.
constexpr std::size_t kLongestNameKept = 100;

FileStatus systemFailure(int error) {
  return FileStatus::systemFailure(std::generic_category().message(error));
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The name that links lead to, link by link, so that the file is replaced and the links
// stay; a link to nothing leads to the name a new file gets. Sets error on a loop.
std::string followLinks(std::string path, int& error) {
  for (int followed = 0; followed <= kMostLinksFollowed; ++followed) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return path;
    target.resize(static_cast<std::size_t>(length));
    path = target.starts_with('/') ? target : folderOf(path) + target;
  }
  error = ELOOP;
  return path;
}

class ReplacingWholeFile : public WholeFile {
 public:
  ReplacingWholeFile(int descriptor, std::string newPath, std::string path, int heldOld)
      : descriptor_(descriptor),
        file_(adoptPosixDescriptor(descriptor, true)),
        newPath_(std::move(newPath)),
        path_(std::move(path)),
        heldOld_(heldOld) {}
  ~ReplacingWholeFile() override {
    if (!committed_) {
      file_.reset();
      ::unlink(newPath_.c_str());
    }
    if (heldOld_ >= 0) ::close(heldOld_);
  }
  ReplacingWholeFile(const ReplacingWholeFile&) = delete;
  ReplacingWholeFile& operator=(const ReplacingWholeFile&) = delete;

  FileStatus write(std::string_view bytes) override { return file_->write(bytes); }

  // On disk before it takes the name: after a crash the name holds the old file or the
  // whole new one.
  FileStatus commit() override {
    if (::fsync(descriptor_) != 0 && errno != EINVAL) return systemFailure(errno);
    if (FileStatus closed = file_->close(); !closed.ok()) return closed;
    if (::rename(newPath_.c_str(), path_.c_str()) != 0) return systemFailure(errno);
    committed_ = true;
    return {};
  }

 private:
  int descriptor_;
  std::unique_ptr<SystemFile> file_;
  std::string newPath_, path_;
  int heldOld_;  // the old file, locked until the new one has taken its name; -1: none
  bool committed_ = false;
};

// Opens the old file to lock it; one that may only be written is opened for writing, which
// changes nothing in it.
int openToLock(const std::string& path) {
  for (const int access : {O_RDONLY, O_WRONLY}) {
    const int descriptor = ::open(path.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor >= 0 || errno != EACCES) return descriptor;
  }
  return -1;
}

// Holds the regular file at path with LOCK_EX, as the table writer holds its table; a
// file someone holds is in use. Sets held to the locked descriptor.
FileStatus holdOldFile(const std::string& path, int& held) {
  const int descriptor = openToLock(path);
  if (descriptor < 0) return systemFailure(errno);
  int refusal = 0;
  while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    refusal = errno;
    break;
  }
  if (refusal != 0) {
    ::close(descriptor);
    return refusal == EWOULDBLOCK ? FileStatus::inUse() : systemFailure(refusal);
  }
  held = descriptor;
  return {};
}

}  // namespace

std::unique_ptr<WholeFile> PosixFileSystem::openWhole(const std::string& name, FileStatus& status) {
  // What the name leads to decides; a name in /proc/self/fd leads there without a path.
  struct stat old {};
  const bool exists = ::stat(name.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) {
    status = systemFailure(errno);
    return nullptr;
  }
  if (exists && S_ISDIR(old.st_mode)) {
    status = systemFailure(EISDIR);
    return nullptr;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    std::unique_ptr<SystemFile> device = open(name, FileMode::Output, status);
    if (!device) return nullptr;
    return std::make_unique<DirectWholeFile>(std::move(device));
  }
  int loop = 0;
  const std::string path = followLinks(name, loop);
  if (loop != 0) {
    status = systemFailure(loop);
    return nullptr;
  }
  int held = -1;
  if (exists) {
    if (status = holdOldFile(path, held); !status.ok()) return nullptr;
  }
  const std::string folder = folderOf(path);
  const std::string kept = path.substr(folder.size(), kLongestNameKept);
  for (;;) {
    const std::string newPath = folder + "." + kept + "." + std::to_string(::getpid()) + "-" +
                                std::to_string(++newFiles_) + ".tmp";
    const int descriptor =
        ::open(newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (descriptor >= 0) {
      // The new file keeps the old one's permissions.
      if (exists) static_cast<void>(::fchmod(descriptor, old.st_mode & 07777));
      return std::make_unique<ReplacingWholeFile>(descriptor, newPath, path, held);
    }
    if (errno == EEXIST || errno == EINTR) continue;
    status = systemFailure(errno);
    if (held >= 0) ::close(held);
    return nullptr;
  }
}

// A second descriptor of standard output, so that closing what was written there leaves
// standard output itself open for the messages that follow.
std::unique_ptr<SystemFile> PosixFileSystem::standardOutput(FileStatus& status) {
  const int descriptor = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  struct stat output {};
  if (descriptor < 0 || ::fstat(descriptor, &output) != 0) {
    status = systemFailure(errno);
    if (descriptor >= 0) ::close(descriptor);
    return nullptr;
  }
  return adoptPosixDescriptor(descriptor, S_ISREG(output.st_mode), stopFlag());
}

bool PosixFileSystem::standardOutputIs(const std::string& name) {
  struct stat output {};
  struct stat named {};
  return ::fstat(STDOUT_FILENO, &output) == 0 && ::stat(name.c_str(), &named) == 0 &&
         output.st_dev == named.st_dev && output.st_ino == named.st_ino;
}

}  // namespace durno
