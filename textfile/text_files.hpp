#pragma once

// Numbered sequential text files: the program opens files under small numbers of its own
// choosing (1 for list files, 2 for the output table, 10 + i for result file i), reads
// lines and comma/line-end separated fields, and writes text with CR LF line ends.
//
// Every operation returns how it went. A failed open leaves the number closed; reading a
// number that is not open gives empty text and 0, and any failed read gives them too.
//
// Line ends read: CR, CR LF and LF are each one line end (a lone LF reads as CR LF), except
// inside a double-quoted field, whose bytes stay as they are. Byte 26 ends the readable data.
// Lines written end in CR LF. A '\' in a file name is a directory separator.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textfile/file_status.hpp"
#include "textfile/file_system.hpp"
#include "textfile/open_text_file.hpp"
#include "textfile/stop_flag.hpp"

namespace durno {

class TextFiles {
 public:
  // File numbers are signed 16-bit: 0 to 32767 are usable.
  static constexpr int kHighestFileNumber = 32767;

  explicit TextFiles(FileSystem& fileSystem);
  ~TextFiles();  // closes every file still open
  TextFiles(const TextFiles&) = delete;
  TextFiles& operator=(const TextFiles&) = delete;

  // See FileSystem::endWaitsWhen: the flag that ends the waits of the files opened here.
  void endWaitsWhen(const StopFlag* stop) { fileSystem_.endWaitsWhen(stop); }
  // Opens name under number. The whole name goes to the system, however long; an empty name
  // or one with '*', '?' or a NUL byte fails before the system is asked (a prefix of the
  // system's own, FileSystem::systemPrefixLength, is not looked at). Output empties an
  // existing file, but only once this program holds it exclusively.
  FileStatus openFile(int number, std::string_view name, FileMode mode);
  // Opens name for input outside the numbers: the caller owns the file and closes it. The
  // same checks and name rules as openFile; unlike the rest of this class, it may be called
  // from several threads at once when the file system allows. Null on failure, with why in
  // status.
  std::unique_ptr<OpenTextFile> openDetached(std::string_view name, FileStatus& status);
  // Opens the program's standard output under number for writing; nothing is emptied.
  FileStatus openStandardOutput(int number);
  // True when the file open under number can still be found under name (see
  // FileSystem::leadsTo); true too for a number that is not open.
  bool isStillNamed(int number, std::string_view name);
  // Whether an output may write over what name holds: nothing, an empty file, something
  // not on disk (a device, a pipe), or a file whose first bytes isOwn takes for this
  // program's own output of that kind. Otherwise a failure whose reason says the file holds
  // something else. A file that cannot be looked at is left to the open to refuse.
  // The reason names what, the kind of output ("table").
  FileStatus mayReplace(std::string_view name, bool (*isOwn)(std::string_view head),
                        std::string_view what);
  // The length of the disk file name, or -1 (see FileSystem::diskFileSize).
  long long diskFileSize(std::string_view name);
  // True when the folder that name, as openFile would take it, lies in exists (always for
  // a name without a folder).
  bool folderOfExists(std::string_view name);
  // Opens name, with openFile's rules for names, to be written whole: see
  // FileSystem::openWhole. Null on failure, with why in status.
  std::unique_ptr<WholeFile> openWhole(std::string_view name, FileStatus& status);
  // Standard output, to be written directly.
  std::unique_ptr<WholeFile> standardOutput(FileStatus& status);
  // True when standard output is the file name, as openFile would take it, leads to.
  bool standardOutputIs(std::string_view name);
  // True when both names, as openFile would take them, exist and lead to one file.
  bool sameFile(std::string_view first, std::string_view second);
  // True when both names, as openFile would take them, lead or would lead to one file.
  bool oneFile(std::string_view first, std::string_view second);
  // True when an Input file has no byte left or its next byte is 26, and when its next byte
  // cannot be read (so that a read-until-the-end loop always stops). False for an Output
  // file and for a number that is not open.
  bool atEnd(int number);
  // The file open under number for input, for a loop that reads its lines (see
  // OpenTextFile::readLine) without a look-up per line; null when number is not open for
  // input. Valid until number is closed.
  OpenTextFile* inputFile(int number) const;
  FileStatus readTextField(int number, std::string& field);
  // With text, also gives the field's bytes as read, so that a message can quote them.
  FileStatus readNumberField(int number, double& value, std::string* text = nullptr);
  // Passes blanks, TABs, CRs and LFs, up to the next other byte or the end of the data.
  FileStatus skipBlanksAndLineEnds(int number);
  // Before anything is read from the Input file under number: passes the UTF-8 byte order
  // mark that an editor may put at the start of a list.
  void passByteOrderMark(int number);
  // See FileSystem::takeListedNames and FileSystem::listedName.
  void takeListedNames(std::span<std::string> names) { fileSystem_.takeListedNames(names); }
  std::string listedName(std::string_view name) { return fileSystem_.listedName(name); }
  FileStatus writeText(int number, std::string_view text);
  FileStatus writeNumber(int number, double value);
  FileStatus endLine(int number);
  // Closing can be where a full disk shows: the outcome tells whether every byte written
  // reached the file. Closing a number that is not open does nothing.
  FileStatus closeFile(int number);
  // Closes the latest opened first; the first failure is the outcome.
  FileStatus closeAll();

 private:
  bool isAcceptableName(std::string_view name) const;
  OpenTextFile* findOpen(int number) const;
  // The file open under number in mode; null with why not in status.
  OpenTextFile* openIn(int number, FileMode mode, FileStatus& status) const;

  FileSystem& fileSystem_;
  std::vector<std::unique_ptr<OpenTextFile>> open_;  // in order of opening
};

}  // namespace durno
