#pragma once

#include "textfile/file_system.hpp"

namespace durno {

// Files through CreateFileA/ReadFile/WriteFile. Holding a file is the share mode it is
// opened with: a reader lets other readers in (FILE_SHARE_READ) and keeps writers out, a
// writer lets nobody in, so an Output file is emptied only once this program holds it
// alone. Names go to the system whole, as given ('\' or '/' separators, relative names
// against the current folder). Failures give the system's own message (FormatMessageA).
// Two names are the same file when they lead to the same volume and file index. A file
// written whole goes to a new file beside it ("NAME.PID-N.tmp", created new) that
// MoveFileExA puts in its place; the old file is held, letting nobody write it, from the
// start until just before the move.
class WindowsFileSystem : public FileSystem {
 public:
  std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                   FileStatus& status) override;
  bool sameFile(const std::string& first, const std::string& second) override;
  bool leadsTo(const std::string& name, const SystemFile& file) override;
  std::unique_ptr<SystemFile> standardOutput(FileStatus& status) override;
  long long diskFileSize(const std::string& name) override;
  std::unique_ptr<WholeFile> openWhole(const std::string& name, FileStatus& status) override;
  bool standardOutputIs(const std::string& name) override;

 private:
  unsigned long newFiles_ = 0;  // makes the names of the new files this object creates unique
};

// The system's message for a Windows error code, without its closing full stop and line
// end ("The system cannot find the file specified"); "error N" when it has none.
std::string windowsErrorReason(unsigned long error);

}  // namespace durno
