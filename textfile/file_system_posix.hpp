#pragma once

#include "textfile/file_system.hpp"

namespace durno {

// Files on disk through open/read/write/ftruncate/close. Holding a file is an flock taken
// without waiting before anything else happens to it (LOCK_SH for Input, LOCK_EX for
// Output), so an Output file is emptied only once this program holds it alone. Names are
// used whole, as given ('/' separators, relative names against the current directory).
// Files that are not regular (pipes, terminals, character devices) are opened without
// waiting for a partner and then read and written blocking; only a named pipe opened for
// Input waits for its writer, on the descriptor of that first open, as its data would
// otherwise be missed. With a stop flag (endWaitsWhen), every wait on a pipe or device (the
// writer, data to read, room to write) looks at it at least four times a second, and
// without one a signal whose handler does not restart calls ends the wait. Two names are
// the same file
// when they lead to the same device and inode. A file written whole goes to a new file
// beside it (".NAME.PID-N.tmp", created exclusively) and is renamed over it while the old
// file is held with LOCK_EX.
class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                   FileStatus& status) override;
  bool sameFile(const std::string& first, const std::string& second) override;
  bool oneFile(const std::string& first, const std::string& second) override;
  bool leadsTo(const std::string& name, const SystemFile& file) override;
  std::unique_ptr<SystemFile> standardOutput(FileStatus& status) override;
  long long diskFileSize(const std::string& name) override;
  bool folderExists(const std::string& name) override;
  std::unique_ptr<WholeFile> openWhole(const std::string& name, FileStatus& status) override;
  bool standardOutputIs(const std::string& name) override;

 private:
  unsigned long newFiles_ = 0;  // makes the names of the new files this object creates unique
};

}  // namespace durno
