#include "textfile/text_files.hpp"

#include <algorithm>

#include "convert/plain_number.hpp"
#include "textfile/direct_whole_file.hpp"

namespace durno {

namespace {

bool isUsableNumber(int number) {
  return number >= 0 && number <= TextFiles::kHighestFileNumber;
}

// The name the system is given: every '\' is a directory separator, as in the names users
// bring from Windows.
std::string systemName(std::string_view name) {
  std::string converted(name);
  std::replace(converted.begin(), converted.end(), '\\', '/');
  return converted;
}

FileStatus badNumber() {
  return FileStatus::failure(FileError::BadNumber, "bad file number");
}

}  // namespace

TextFiles::TextFiles(FileSystem& fileSystem) : fileSystem_(fileSystem) {}

bool TextFiles::isAcceptableName(std::string_view name) const {
  const std::string_view own = name.substr(fileSystem_.systemPrefixLength(name));
  return !name.empty() && own.find_first_of(std::string_view("*?\0", 3)) == std::string_view::npos;
}

TextFiles::~TextFiles() {
  closeAll();
}

OpenTextFile* TextFiles::findOpen(int number) const {
  for (const std::unique_ptr<OpenTextFile>& entry : open_) {
    if (entry->number() == number) return entry.get();
  }
  return nullptr;
}

OpenTextFile* TextFiles::openIn(int number, FileMode mode, FileStatus& status) const {
  OpenTextFile* entry = findOpen(number);
  if (entry != nullptr && entry->mode() == mode) [[likely]]
    return entry;
  if (entry != nullptr) {
    status = FileStatus::failure(FileError::WrongMode, mode == FileMode::Input
                                                           ? "file not open for input"
                                                           : "file not open for output");
  } else if (isUsableNumber(number)) {
    status = FileStatus::failure(FileError::NotOpen, "file not open");
  } else {
    status = badNumber();
  }
  return nullptr;
}

FileStatus TextFiles::openFile(int number, std::string_view name, FileMode mode) {
  if (!isAcceptableName(name)) return FileStatus::failure(FileError::BadName, "bad file name");
  if (!isUsableNumber(number)) return badNumber();
  if (findOpen(number) != nullptr) {
    return FileStatus::failure(FileError::AlreadyOpen, "file number already open");
  }
  FileStatus status;
  std::unique_ptr<OpenTextFile> opened =
      OpenTextFile::open(fileSystem_, systemName(name), number, mode, status);
  if (opened) open_.push_back(std::move(opened));
  return status;
}

std::unique_ptr<OpenTextFile> TextFiles::openDetached(std::string_view name, FileStatus& status) {
  if (!isAcceptableName(name)) {
    status = FileStatus::failure(FileError::BadName, "bad file name");
    return nullptr;
  }
  // The number is only a label here: the file is in no table of this object.
  return OpenTextFile::open(fileSystem_, systemName(name), 0, FileMode::Input, status);
}

FileStatus TextFiles::openStandardOutput(int number) {
  if (!isUsableNumber(number)) return badNumber();
  if (findOpen(number) != nullptr) {
    return FileStatus::failure(FileError::AlreadyOpen, "file number already open");
  }
  FileStatus status;
  std::unique_ptr<SystemFile> file = fileSystem_.standardOutput(status);
  if (!file) return status;
  open_.push_back(OpenTextFile::adopt(number, std::move(file)));
  return {};
}

bool TextFiles::isStillNamed(int number, std::string_view name) {
  const OpenTextFile* entry = findOpen(number);
  if (entry == nullptr || !isAcceptableName(name)) return true;
  return fileSystem_.leadsTo(systemName(name), entry->systemFile());
}

FileStatus TextFiles::mayReplace(std::string_view name, bool (*isOwn)(std::string_view head),
                                 std::string_view what) {
  // Enough for the longest beginning an output is known by.
  constexpr std::size_t kHeadBytes = 512;
  if (diskFileSize(name) <= 0) return {};
  FileStatus status;
  const std::unique_ptr<SystemFile> file =
      fileSystem_.open(systemName(name), FileMode::Input, status);
  if (!file) return {};
  std::string head(kHeadBytes, '\0');
  std::size_t filled = 0;
  for (std::size_t got = 1; got != 0 && filled < head.size(); filled += got) {
    if (!file->read(head.data() + filled, head.size() - filled, got).ok()) break;
  }
  file->close();
  head.resize(filled);
  if (isOwn(head)) return {};
  return FileStatus::failure(FileError::System, "it holds something other than a " +
                                                    std::string(what) +
                                                    " this program wrote, which it would replace");
}

bool TextFiles::folderOfExists(std::string_view name) {
  if (!isAcceptableName(name)) return true;  // the open that follows tells why
  const std::string full = systemName(name);
  const std::size_t slash = full.find_last_of("/\\");
  if (slash == std::string::npos) return true;
  return fileSystem_.folderExists(slash == 0 ? full.substr(0, 1) : full.substr(0, slash));
}

long long TextFiles::diskFileSize(std::string_view name) {
  if (!isAcceptableName(name)) return -1;
  return fileSystem_.diskFileSize(systemName(name));
}

std::unique_ptr<WholeFile> TextFiles::openWhole(std::string_view name, FileStatus& status) {
  if (!isAcceptableName(name)) {
    status = FileStatus::failure(FileError::BadName, "bad file name");
    return nullptr;
  }
  return fileSystem_.openWhole(systemName(name), status);
}

std::unique_ptr<WholeFile> TextFiles::standardOutput(FileStatus& status) {
  std::unique_ptr<SystemFile> output = fileSystem_.standardOutput(status);
  if (!output) return nullptr;
  return std::make_unique<DirectWholeFile>(std::move(output));
}

bool TextFiles::standardOutputIs(std::string_view name) {
  return isAcceptableName(name) && fileSystem_.standardOutputIs(systemName(name));
}

bool TextFiles::sameFile(std::string_view first, std::string_view second) {
  if (!isAcceptableName(first) || !isAcceptableName(second)) return false;
  return fileSystem_.sameFile(systemName(first), systemName(second));
}

bool TextFiles::oneFile(std::string_view first, std::string_view second) {
  if (!isAcceptableName(first) || !isAcceptableName(second)) return false;
  return fileSystem_.oneFile(systemName(first), systemName(second));
}

bool TextFiles::atEnd(int number) {
  OpenTextFile* entry = inputFile(number);
  return entry != nullptr && entry->atEnd();
}

OpenTextFile* TextFiles::inputFile(int number) const {
  OpenTextFile* entry = findOpen(number);
  return entry != nullptr && entry->mode() == FileMode::Input ? entry : nullptr;
}

FileStatus TextFiles::readTextField(int number, std::string& field) {
  FileStatus status;
  if (OpenTextFile* entry = openIn(number, FileMode::Input, status)) {
    return entry->readTextField(field);
  }
  field.clear();
  return status;
}

FileStatus TextFiles::readNumberField(int number, double& value, std::string* text) {
  FileStatus status;
  if (OpenTextFile* entry = openIn(number, FileMode::Input, status)) {
    return entry->readNumberField(value, text);
  }
  value = 0;
  if (text != nullptr) text->clear();
  return status;
}

FileStatus TextFiles::skipBlanksAndLineEnds(int number) {
  FileStatus status;
  if (OpenTextFile* entry = openIn(number, FileMode::Input, status)) {
    return entry->skipBlanksAndLineEnds();
  }
  return status;
}

void TextFiles::passByteOrderMark(int number) {
  if (OpenTextFile* entry = inputFile(number)) entry->passByteOrderMark();
}

FileStatus TextFiles::writeText(int number, std::string_view text) {
  FileStatus status;
  if (OpenTextFile* entry = openIn(number, FileMode::Output, status)) return entry->write(text);
  return status;
}

FileStatus TextFiles::writeNumber(int number, double value) {
  return writeText(number, plainNumberText(value));
}

FileStatus TextFiles::endLine(int number) {
  return writeText(number, "\r\n");
}

FileStatus TextFiles::closeFile(int number) {
  const auto found = std::find_if(open_.begin(), open_.end(), [number](const auto& entry) {
    return entry->number() == number;
  });
  if (found == open_.end()) return {};
  std::unique_ptr<OpenTextFile> entry = std::move(*found);
  open_.erase(found);
  return entry->close();
}

FileStatus TextFiles::closeAll() {
  FileStatus first;
  while (!open_.empty()) {
    FileStatus closed = closeFile(open_.back()->number());
    if (first.ok()) first = std::move(closed);
  }
  return first;
}

}  // namespace durno
