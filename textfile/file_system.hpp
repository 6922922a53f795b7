#pragma once

// The program's one door to the file system. The numbered text-file layer (text_files.hpp)
// holds the rules; this interface only opens, reads, writes, truncates, closes, replaces a
// file whole and tells whether two names are one file, so the rules are tested against
// MemoryFileSystem and the real thing is PosixFileSystem (WindowsFileSystem on Windows).

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "textfile/file_status.hpp"
#include "textfile/stop_flag.hpp"

namespace durno {

enum class FileMode { Input, Output };

// One open file. Reads and writes go at the file's own position, front to back.
class SystemFile {
 public:
  virtual ~SystemFile() = default;
  // True for a regular disk file; false for a device, pipe or terminal.
  virtual bool isDiskFile() const = 0;
  // True for a terminal, which is read one byte per call so that nothing typed ahead is
  // taken beyond the line asked for. Pipes and other devices are read in blocks.
  virtual bool isInteractive() const = 0;
  // Reads up to size bytes; sets count to the bytes read (0 at the end of the data).
  virtual FileStatus read(char* buffer, std::size_t size, std::size_t& count) = 0;
  // Writes all bytes or reports why not (a short write is a failure).
  virtual FileStatus write(std::string_view bytes) = 0;
  // Sets the file's length (disk files only).
  virtual FileStatus truncate(unsigned long long length) = 0;
  // Releases the file; further calls are not made.
  virtual FileStatus close() = 0;
};

// A file written whole under a name. For a regular file (or a name where none is yet) the
// bytes go to a new file beside it, which takes the name only at commit(): until then the
// name keeps its old file, and a WholeFile let go without commit() removes the new file it
// made, and nothing else. A name that is not a regular file (a device, a pipe, a terminal,
// standard output) is written directly and never removed.
class WholeFile {
 public:
  virtual ~WholeFile() = default;
  virtual FileStatus write(std::string_view bytes) = 0;
  // Puts the bytes written in place of the old file, or reports why not (the old file then
  // stays). Called at most once; nothing is written afterwards.
  virtual FileStatus commit() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A flag that asks the files of this file system to give up what may take without end
  // once it is not 0 (a stop signal's number): passing a line that never ends, and on the
  // real systems waiting for a pipe's partner or data. Such a call then fails with
  // kStoppedReason. Null, the default, asks nothing; the flag must outlive its use.
  void endWaitsWhen(const StopFlag* stop) { stop_ = stop; }
  bool stopAsked() const { return stop_ != nullptr && stop_->load() != 0; }
  const StopFlag* stopFlag() const { return stop_; }

  // Opens name. Input needs an existing readable file and shares it with other readers;
  // Output opens or creates a writable one without emptying it (the caller truncates once
  // it holds the file) and holds it alone. A file that a writer holds cannot be opened at
  // all, and one that any opener holds cannot be opened for Output, this program's other
  // numbers included; the error is then FileError::InUse. On failure returns null and
  // sets status. The whole name goes to the system, however long.
  virtual std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                           FileStatus& status) = 0;
  // True when both names exist and lead to one file, however they are spelt (a link, a
  // "..", a second name of the same file).
  virtual bool sameFile(const std::string& first, const std::string& second) = 0;
  // True when both names lead to one file, or would once created: sameFile, or names that
  // the system takes for one (on POSIX the same name in the same folder, on Windows also
  // without case). Two outputs of one run must never be one file.
  virtual bool oneFile(const std::string& first, const std::string& second) = 0;
  // True when name still leads to file, one this file system opened: false once the file
  // or a folder on its way was removed or renamed, so that what was written there can no
  // longer be found under that name.
  virtual bool leadsTo(const std::string& name, const SystemFile& file) = 0;
  // The program's standard output as an Output file (a pipe, a terminal or a file the shell
  // opened), shared with whatever else writes there. Closing it leaves standard output open.
  virtual std::unique_ptr<SystemFile> standardOutput(FileStatus& status) = 0;
  // The length of the disk file name, or -1 when it is no disk file or cannot be asked.
  virtual long long diskFileSize(const std::string& name) = 0;
  // True when name leads to a folder.
  virtual bool folderExists(const std::string& name) = 0;
  // Opens name to be written whole (see WholeFile). A link is followed: the file it leads to
  // is replaced and the link stays. A file that another opener holds (a table being written)
  // is refused with FileError::InUse, and it stays held by this program from the open to
  // the commit, so that two programs cannot replace it at once. On failure returns null and
  // sets status; nothing has been created then.
  virtual std::unique_ptr<WholeFile> openWhole(const std::string& name, FileStatus& status) = 0;
  // True when standard output is the file that name leads to (`>> name`).
  virtual bool standardOutputIs(const std::string& name) = 0;

  // How many leading bytes of name are a form of the system's own, which the layer's name
  // rules do not look at (on Windows the long form's "\\?\"); none here.
  virtual std::size_t systemPrefixLength(std::string_view /*name*/) const { return 0; }
  // The names one list file holds, turned in place into the bytes this file system takes
  // names in (on Windows a list is UTF-8 or in the ANSI code page, names are in the
  // console's code page); listedName is a name as a saved list holds it, which reads back
  // as it was. Here a list holds the names' own bytes.
  virtual void takeListedNames(std::span<std::string> /*names*/) const {}
  virtual std::string listedName(std::string_view name) const { return std::string(name); }

 private:
  const StopFlag* stop_ = nullptr;
};

}  // namespace durno
