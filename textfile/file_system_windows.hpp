#pragma once

#include <string>
#include <string_view>

#include "textfile/file_system.hpp"

namespace durno {

// Files through the wide calls CreateFileW/ReadFile/WriteFile. Holding a file is the share
// mode it is opened with: a reader lets other readers and writers in (a result file its
// program still writes can be read, as on POSIX), a writer lets nobody in, so an Output file
// is emptied only once this program holds it alone. Names are the program's bytes in the
// console's input code page (as typed, or as a list's names become them: takeListedNames);
// they reach the system in UTF-16, whole, made absolute in the long-path form, so that any
// name the file system holds works ('\' or '/' separators, relative names against the
// current folder); a name in the long form ("\\?\C:\...", "\\?\UNC\...") goes as it is.
// A name the system takes for a device (nul, aux, con, com1 to com9, lpt1 to lpt9, with any
// extension, in any folder) or anything else that is not a disk file is refused for Output
// and for a whole file; standard output stays writable. Failures give the system's own
// message in the console's output code page.
// Two names are the same file when they lead to the same volume and file index. A file
// written whole goes to a new file beside it ("NAME.PID-N.tmp", created new) that
// MoveFileExA puts in its place; the old file is held, letting nobody write it, from the
// start until just before the move.
class WindowsFileSystem : public FileSystem {
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
  std::size_t systemPrefixLength(std::string_view name) const override;
  void takeListedNames(std::span<std::string> names) const override;
  std::string listedName(std::string_view name) const override;

 private:
  unsigned long newFiles_ = 0;  // makes the names of the new files this object creates unique
};

// The code page the program's names are in: the console's input code page, or the OEM code
// page when there is no console (the one a console would start with).
unsigned int windowsNamesCodePage();

// UTF-16 text as bytes in codePage: characters it lacks become a look-alike, or with flags
// WC_NO_BEST_FIT_CHARS its default character.
std::string windowsBytesOf(std::wstring_view text, unsigned int codePage, unsigned long flags = 0);

// The system's message for a Windows error code, without its closing full stop and line
// end ("The system cannot find the file specified"); "error N" when it has none.
std::string windowsErrorReason(unsigned long error);

}  // namespace durno
