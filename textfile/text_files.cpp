#include "textfile/text_files.hpp"

#include <algorithm>

#include "textfile/input_buffer.hpp"
#include "textfile/line_scan.hpp"
#include "textfile/text_files_internal.hpp"

namespace durno {

using namespace text_files_internal;

namespace {

// Disk files are read 64 KiB at a time: large enough that the system call per buffer costs
// little against scanning 2,500 lines of a result file, small enough to stay in the L2 cache.
constexpr std::size_t kDiskBufferSize = 64 * 1024;
// A terminal is read one byte per system call, so that nothing typed ahead is taken beyond
// the byte the caller asked for. Pipes (a result file read through `<(zcat run.out.gz)`)
// and other devices are read in blocks like disk files: a byte per call would make such a
// read some seventy times slower.
constexpr std::size_t kTerminalBufferSize = 1;
// writeBlanks hands the system runs of at most this many blanks.
constexpr std::string_view kBlankRun = "                ";
static_assert(kBlankRun.size() == 16);

bool isUsableNumber(int number) {
  return number >= 0 && number <= TextFiles::kHighestFileNumber;
}

bool isAcceptableName(std::string_view name) {
  return !name.empty() && name.find_first_of(std::string_view("*?\0", 3)) == std::string_view::npos;
}

// The name the system is given: every '\' is a directory separator, as in the names users
// bring from Windows.
std::string systemName(std::string_view name) {
  std::string converted(name);
  std::replace(converted.begin(), converted.end(), '\\', '/');
  return converted;
}

}  // namespace

TextFiles::TextFiles(FileSystem& fileSystem) : fileSystem_(fileSystem) {}

TextFiles::~TextFiles() {
  closeAll();
}

TextFiles::NumberRecord* TextFiles::recordFor(int number) {
  if (!isUsableNumber(number)) return &badNumberRecord_;
  return &records_[number];
}

const TextFiles::NumberRecord* TextFiles::recordFor(int number) const {
  if (!isUsableNumber(number)) return &badNumberRecord_;
  const auto found = records_.find(number);
  return found == records_.end() ? nullptr : &found->second;
}

void TextFiles::succeed(int number) {
  NumberRecord* record = recordFor(number);
  if (record->last.failed) record->last = FileOutcome{};
}

void TextFiles::fail(int number, FileError error, std::string_view reason) {
  if (number == hotNumber_) hotNumber_ = kNoHotNumber;
  errorState_ = error;
  NumberRecord* record = recordFor(number);
  record->last = FileOutcome{true, std::string(reason)};
  if (!record->first.failed) record->first = record->last;
}

void TextFiles::refuseUse(int number, const OpenEntry* entry, FileMode wanted) {
  if (entry != nullptr) {
    fail(number, kBadFileMode, wanted == FileMode::Input ? kNotInputReason : kNotOutputReason);
  } else if (isUsableNumber(number)) {
    fail(number, kFileNotOpen, kNotOpenReason);
  } else {
    fail(number, kBadFileNumber, kBadNumberReason);
  }
}

void TextFiles::openFile(int number, std::string_view name, FileMode mode) {
  if (!isAcceptableName(name)) return fail(number, kBadFileName, kBadNameReason);
  if (!isUsableNumber(number)) return fail(number, kBadFileNumber, kBadNumberReason);
  if (findOpen(number) != nullptr) return fail(number, kFileAlreadyOpen, kAlreadyOpenReason);

  auto entry = std::make_unique<OpenEntry>();
  entry->number = number;
  entry->mode = mode;
  std::string reason;
  entry->file = fileSystem_.open(systemName(name), mode, reason);
  if (!entry->file) {
    return fail(number, reason == kFileInUseReason ? kPermissionDenied : kFileAccessError, reason);
  }
  entry->diskFile = entry->file->isDiskFile();
  if (mode == FileMode::Input) {
    entry->input.emplace(*entry->file,
                         entry->file->isInteractive() ? kTerminalBufferSize : kDiskBufferSize);
    if (entry->input->peek() == kReadFailed) {
      const std::string failure = entry->input->failure();
      entry->file->close();
      return fail(number, kDeviceIoError, failure);
    }
  } else if (entry->diskFile) {
    // Emptied only now that the file is held: an open that loses the race for a file in
    // use must not destroy its content.
    if (SystemResult emptied = entry->file->truncate(0); !emptied.ok) {
      entry->file->close();
      return fail(number, kDeviceIoError, emptied.reason);
    }
  }
  entry->record = recordFor(number);
  *entry->record = NumberRecord{};
  open_.push_back(std::move(entry));
}

bool TextFiles::sameFile(std::string_view first, std::string_view second) {
  if (!isAcceptableName(first) || !isAcceptableName(second)) return false;
  return fileSystem_.sameFile(systemName(first), systemName(second));
}

bool TextFiles::isOpen(int number) const {
  return findOpen(number) != nullptr;
}

void TextFiles::makeHot(OpenEntry& entry) {
  if (entry.record->last.failed) return;
  hotNumber_ = entry.number;
  hotInput_ = &*entry.input;
}

bool TextFiles::atEndOfFile(int number) {
  OpenEntry* entry = findOpen(number);
  if (entry == nullptr) {
    refuseUse(number, nullptr, FileMode::Input);
    return false;
  }
  if (entry->mode == FileMode::Output) {
    succeed(*entry);
    return false;
  }
  InputBuffer& reader = *entry->input;
  const int next = reader.peek();
  if (next == kReadFailed) {
    // A file that cannot be read further is at its end for a read-until-the-end loop;
    // answering false would keep such a loop reading failures for ever.
    fail(number, kDeviceIoError, reader.failure());
    return true;
  }
  succeed(*entry);
  makeHot(*entry);
  return next == kNoByte || next == kEndOfText;
}

std::string TextFiles::readLine(int number) {
  std::string line;
  readLine(number, line);
  return line;
}

bool TextFiles::readLineFromFile(int number, std::string& line) {
  OpenEntry* entry = inputEntry(number);
  if (entry == nullptr) {
    line.clear();
    return false;
  }
  if (entry->input->takeBufferedLine(line)) {
    succeed(*entry);
    makeHot(*entry);
    return true;
  }
  return readLineByteByByte(*entry, line);
}

// A line that crosses a buffer load, ends at a 26 or at the end of the data, or comes from
// a device.
bool TextFiles::readLineByteByByte(OpenEntry& entry, std::string& line) {
  const int number = entry.number;
  line.clear();
  InputBuffer& reader = *entry.input;
  bool collected = false;
  for (;;) {
    const int next = reader.peek();
    if (next == kReadFailed) {
      line.clear();
      fail(number, kDeviceIoError, reader.failure());
      return false;
    }
    if (next == kNoByte || next == kEndOfText) break;
    if (!isLineEnd(next)) {
      collected = true;
      reader.takeUpToLineStop(line);
      continue;  // the stop, or a refill when the buffer ran out first
    }
    if (!reader.takeLineEnd()) {
      line.clear();
      fail(number, kDeviceIoError, reader.failure());
      return false;
    }
    succeed(entry);
    return true;
  }
  if (!collected) {
    fail(number, kInputPastEnd, kPastEndReason);
    return false;
  }
  succeed(entry);
  return true;
}

TextFiles::OpenEntry* TextFiles::startField(int number, int& next) {
  OpenEntry* entry = inputEntry(number);
  if (entry == nullptr) return nullptr;
  InputBuffer& reader = *entry->input;
  next = reader.peek();
  while (next == kBlank) {
    reader.take();
    next = reader.peek();
  }
  if (next == kReadFailed) {
    fail(number, kDeviceIoError, reader.failure());
    return nullptr;
  }
  if (next == kNoByte || next == kEndOfText) {
    fail(number, kInputPastEnd, kPastEndReason);
    return nullptr;
  }
  return entry;
}

void TextFiles::skipBlanksAndLineEnds(int number) {
  OpenEntry* entry = inputEntry(number);
  if (entry == nullptr) return;
  InputBuffer& reader = *entry->input;
  int next = reader.peek();
  while (next == kBlank || next == kTab || isLineEnd(next)) {
    reader.take();
    next = reader.peek();
  }
  if (next == kReadFailed) return fail(number, kDeviceIoError, reader.failure());
  succeed(*entry);
}

std::string TextFiles::readTextField(int number) {
  int next = 0;
  OpenEntry* entry = startField(number, next);
  if (entry == nullptr) return {};
  InputBuffer& reader = *entry->input;
  std::string field;
  bool ended = true;  // whether a terminator follows that is to be skipped
  if (next == kQuote) {
    // Inside quotes every byte is the field's own, line ends and 26 included.
    reader.take();
    for (next = reader.peek(); next >= 0 && next != kQuote; next = reader.peek()) {
      field.push_back(static_cast<char>(next));
      reader.take();
    }
    if (next == kQuote) reader.take();
  } else {
    for (; next >= 0 && next != kComma && !isLineEnd(next) && next != kEndOfText;
         next = reader.peek()) {
      if (next != kTab) field.push_back(static_cast<char>(next));
      reader.take();
    }
    ended = next == kComma || isLineEnd(next);
  }
  if (next == kReadFailed || (ended && !reader.skipTerminator())) {
    fail(number, kDeviceIoError, reader.failure());
    return {};
  }
  succeed(*entry);
  return field;
}

bool TextFiles::writeBytes(OpenEntry& entry, std::string_view bytes) {
  if (bytes.empty()) return true;
  const SystemResult written = entry.file->write(bytes);
  if (!written.ok) {
    entry.writePositionKnown = false;
    fail(entry.number, kDiskFull, written.reason);
    return false;
  }
  entry.writePosition += bytes.size();
  return true;
}

void TextFiles::writeText(int number, std::string_view text) {
  OpenEntry* entry = outputEntry(number);
  if (entry != nullptr && writeBytes(*entry, text)) succeed(*entry);
}

void TextFiles::writeBlanks(int number, long long count) {
  OpenEntry* entry = outputEntry(number);
  if (entry == nullptr) return;
  for (long long left = count; left > 0; left -= static_cast<long long>(kBlankRun.size())) {
    const auto run =
        static_cast<std::size_t>(std::min(left, static_cast<long long>(kBlankRun.size())));
    if (!writeBytes(*entry, kBlankRun.substr(0, run))) return;
  }
  succeed(*entry);
}

void TextFiles::endLine(int number) {
  OpenEntry* entry = outputEntry(number);
  if (entry != nullptr && writeBytes(*entry, "\r\n")) succeed(*entry);
}

// An Output disk file gets the length of what was written (nothing else can have grown it
// while it was held), then the file is let go. The first failure of the two is the outcome.
FileOutcome TextFiles::closeEntry(OpenEntry& entry) {
  FileOutcome outcome;
  if (entry.mode == FileMode::Output && entry.diskFile && entry.writePositionKnown) {
    if (SystemResult cut = entry.file->truncate(entry.writePosition); !cut.ok) {
      outcome = {true, std::move(cut.reason)};
    }
  }
  if (SystemResult closed = entry.file->close(); !closed.ok && !outcome.failed) {
    outcome = {true, std::move(closed.reason)};
  }
  return outcome;
}

void TextFiles::closeFile(int number) {
  const auto found = std::find_if(open_.begin(), open_.end(),
                                  [number](const auto& entry) { return entry->number == number; });
  if (found == open_.end()) return;
  std::unique_ptr<OpenEntry> entry = std::move(*found);
  open_.erase(found);
  if (number == hotNumber_) hotNumber_ = kNoHotNumber;
  const FileOutcome outcome = closeEntry(*entry);
  if (outcome.failed) {
    fail(number, kDeviceIoError, outcome.reason);
  } else {
    succeed(number);
  }
}

void TextFiles::closeAll() {
  int firstError = kNoFileError;
  while (!open_.empty()) {
    const int number = open_.back()->number;
    closeFile(number);
    if (firstError == kNoFileError && lastOutcome(number).failed) firstError = errorState_;
  }
  if (firstError != kNoFileError) errorState_ = firstError;
}

FileOutcome TextFiles::lastOutcome(int number) const {
  const NumberRecord* record = recordFor(number);
  return record == nullptr ? FileOutcome{} : record->last;
}

FileOutcome TextFiles::firstFailure(int number) const {
  const NumberRecord* record = recordFor(number);
  return record == nullptr ? FileOutcome{} : record->first;
}

}  // namespace durno
