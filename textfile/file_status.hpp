#pragma once

// How a file operation went: FileError::None, or what went wrong with the reason to show
// (the system's own text, such as errno's "No such file or directory" or the message of a
// Windows error code, or the layer's own).

#include <string>

namespace durno {

enum class FileError {
  None,
  System,       // the system refused; reason is its text
  InUse,        // the file is held by another opener, this program's other numbers included
  BadName,      // empty, or '*', '?' or a NUL byte in the name
  BadNumber,    // a file number outside 0 to 32767
  AlreadyOpen,  // opening a number that is open
  NotOpen,      // using a number that is not open
  WrongMode,    // reading an Output file or writing an Input file
  PastEnd,      // reading with no data left
};

// The reason given with FileError::InUse.
inline constexpr const char* kFileInUseReason = "file is in use";
// The reason of a call that a stop request ended (see FileSystem::endWaitsWhen).
inline constexpr const char* kStoppedReason = "Interrupted system call";
// The reason given when the program ran out of memory: the system's words, as for every
// other failure (ENOMEM's, on Windows ERROR_NOT_ENOUGH_MEMORY's). The file system of the
// platform gives them; asked once, they stay the same for the run.
const std::string& outOfMemoryReason();

struct FileStatus {
  FileError error = FileError::None;
  std::string reason;

  bool ok() const { return error == FileError::None; }

  static FileStatus success() { return {}; }
  static FileStatus failure(FileError error, std::string reason) {
    return {error, std::move(reason)};
  }
  static FileStatus systemFailure(std::string reason) {
    return failure(FileError::System, std::move(reason));
  }
  static FileStatus inUse() { return failure(FileError::InUse, kFileInUseReason); }
  static FileStatus stopped() { return systemFailure(kStoppedReason); }
};

}  // namespace durno
