#include "textfile/open_text_file.hpp"

#include <utility>

#include "convert/extended_format.hpp"
#include "convert/number_parser.hpp"
#include "textfile/line_scan.hpp"

namespace durno {

namespace {

// Disk files are read 64 KiB at a time: large enough that the system call per buffer costs
// little against scanning 2,500 lines of a result file, small enough to stay in the L2 cache.
constexpr std::size_t kDiskBufferSize = 64 * 1024;
static_assert(OpenTextFile::kLongestLineKept >= kDiskBufferSize);
// A terminal is read one byte per system call, so that nothing typed ahead is taken beyond
// the byte the caller asked for. Pipes (a result file read through `<(zcat run.out.gz)`)
// and other devices are read in blocks like disk files: a byte per call would make such a
// read some seventy times slower.
constexpr std::size_t kTerminalBufferSize = 1;
// A number field holds at most this many bytes; the byte after them begins the next field.
constexpr std::size_t kLongestNumberToken = 255;

constexpr int kNoByte = InputBuffer::kNoByte;
constexpr int kReadFailed = InputBuffer::kReadFailed;
constexpr char kBlank = ' ';
constexpr char kTab = '\t';
constexpr char kComma = ',';
constexpr char kQuote = '"';
constexpr const char* kPastEndReason = "input past end";

bool isLineEnd(int byte) {
  return byte == kCarriageReturn || byte == kLineFeed;
}

bool endsData(int byte) {
  return byte == kNoByte || byte == kEndOfText;
}

FileStatus pastEnd() {
  return FileStatus::failure(FileError::PastEnd, kPastEndReason);
}

}  // namespace

OpenTextFile::OpenTextFile(int number, FileMode mode, std::unique_ptr<SystemFile> file)
    : number_(number), mode_(mode), diskFile_(file->isDiskFile()), file_(std::move(file)) {}

std::unique_ptr<OpenTextFile> OpenTextFile::open(FileSystem& fileSystem,
                                                 const std::string& systemName, int number,
                                                 FileMode mode, FileStatus& status) {
  std::unique_ptr<SystemFile> file = fileSystem.open(systemName, mode, status);
  if (!file) return nullptr;
  std::unique_ptr<OpenTextFile> entry(new OpenTextFile(number, mode, std::move(file)));
  if (mode == FileMode::Input) {
    SystemFile& system = *entry->file_;
    entry->stop_ = fileSystem.stopFlag();
    entry->input_.emplace(system, system.isInteractive() ? kTerminalBufferSize : kDiskBufferSize);
    if (entry->input_->peek() == kReadFailed) {
      status = entry->readFailure();
      system.close();
      return nullptr;
    }
  } else if (entry->diskFile_) {
    // Emptied only now that the file is held: an open that loses the race for a file in
    // use must not destroy its content. A file that holds bytes is cut to its first byte
    // rather than to none; the first write replaces that byte, and closing cuts the file
    // to what was written. Linux's ext4 writes a file that was cut to nothing and written
    // anew out to the disk as it is closed (a guard for programs that replace a file's
    // content in place), and closing a large table then took longer than writing it.
    const unsigned long long kept = fileSystem.diskFileSize(systemName) > 0 ? 1 : 0;
    if (status = entry->file_->truncate(kept); !status.ok()) {
      entry->file_->close();
      return nullptr;
    }
  }
  status = FileStatus::success();
  return entry;
}

std::unique_ptr<OpenTextFile> OpenTextFile::adopt(int number, std::unique_ptr<SystemFile> file) {
  std::unique_ptr<OpenTextFile> entry(new OpenTextFile(number, FileMode::Output, std::move(file)));
  entry->diskFile_ = false;
  return entry;
}

bool OpenTextFile::atEnd() {
  int next = 0;
  if (input_->peekBuffered(next)) return next == kEndOfText;
  // A file that cannot be read further is at its end for a read-until-the-end loop;
  // answering false would keep such a loop reading failures for ever.
  next = input_->peek();
  return next == kReadFailed || endsData(next);
}

// A line that crosses a buffer load, ends at a 26 or at the end of the data, or comes from
// a device.
FileStatus OpenTextFile::readLineByteByByte(std::string& line) {
  line.clear();
  InputBuffer& reader = *input_;
  bool collected = false;
  for (;;) {
    const int next = reader.peek();
    if (next == kReadFailed) break;
    if (endsData(next)) return collected ? FileStatus{} : pastEnd();
    if (!isLineEnd(next)) {
      collected = true;
      reader.takeUpToLineStop(line, kLongestLineKept - line.size());
      // Only the rest of a long line is being passed: it may never end.
      if (line.size() == kLongestLineKept && stop_ != nullptr && stop_->load() != 0) {
        line.clear();
        return FileStatus::stopped();
      }
      continue;  // the stop, or a refill when the buffer ran out first
    }
    if (!reader.takeLineEnd()) break;
    return {};
  }
  line.clear();
  return readFailure();
}

FileStatus OpenTextFile::startField(int& next) {
  InputBuffer& reader = *input_;
  next = reader.peek();
  while (next == kBlank) {
    reader.take();
    next = reader.peek();
  }
  if (next == kReadFailed) return readFailure();
  if (endsData(next)) return pastEnd();
  return {};
}

FileStatus OpenTextFile::skipBlanksAndLineEnds() {
  InputBuffer& reader = *input_;
  int next = reader.peek();
  while (next == kBlank || next == kTab || isLineEnd(next)) {
    reader.take();
    next = reader.peek();
  }
  return next == kReadFailed ? readFailure() : FileStatus{};
}

FileStatus OpenTextFile::readTextField(std::string& field) {
  field.clear();
  int next = 0;
  if (FileStatus started = startField(next); !started.ok()) return started;
  InputBuffer& reader = *input_;
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
    field.clear();
    return readFailure();
  }
  return {};
}

FileStatus OpenTextFile::readNumberField(double& value, std::string* text) {
  value = 0;
  if (text != nullptr) text->clear();
  int next = 0;
  if (FileStatus started = startField(next); !started.ok()) return started;
  InputBuffer& reader = *input_;
  std::string token;
  for (; next >= 0 && next != kComma && next != kBlank && !isLineEnd(next) && next != kEndOfText &&
         token.size() < kLongestNumberToken;
       next = reader.peek()) {
    if (next != kTab) token.push_back(static_cast<char>(next));
    reader.take();
  }
  const bool ended = next >= 0 && next != kEndOfText;
  if (next == kReadFailed || (ended && !reader.skipTerminator())) return readFailure();
  value = roundToDouble(parseNumber(token));
  if (text != nullptr) *text = std::move(token);
  return {};
}

FileStatus OpenTextFile::write(std::string_view bytes) {
  if (!writeFailure_.ok()) return writeFailure_;
  if (bytes.empty()) return {};
  FileStatus written = file_->write(bytes);
  if (!written.ok()) {
    writeFailure_ = written;
    // A disk file that took part of the bytes (a full disk) is cut back to what was whole
    // before them, so that it never ends in a piece of what the caller handed over.
    writePositionKnown_ = diskFile_ && file_->truncate(writePosition_).ok();
    return written;
  }
  writePosition_ += bytes.size();
  return {};
}

FileStatus OpenTextFile::close() {
  FileStatus outcome;
  if (mode_ == FileMode::Output && diskFile_ && writePositionKnown_) {
    outcome = file_->truncate(writePosition_);
  }
  if (FileStatus closed = file_->close(); !closed.ok() && outcome.ok()) outcome = closed;
  return outcome;
}

}  // namespace durno
