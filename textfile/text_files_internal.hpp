#pragma once

// What the text-file layer's own sources share: the record of one open file, the bytes
// with a meaning for the readers, and the reasons the layer itself gives for a failure.

#include <memory>
#include <optional>

#include "textfile/input_buffer.hpp"
#include "textfile/text_files.hpp"

namespace durno {

namespace text_files_internal {

inline constexpr int kNoByte = InputBuffer::kNoByte;
inline constexpr int kReadFailed = InputBuffer::kReadFailed;

inline constexpr char kBlank = ' ';
inline constexpr char kTab = '\t';
inline constexpr char kComma = ',';
inline constexpr char kQuote = '"';

inline bool isLineEnd(int byte) {
  return byte == kCarriageReturn || byte == kLineFeed;
}

inline constexpr const char* kBadNameReason = "bad file name";
inline constexpr const char* kBadNumberReason = "bad file number";
inline constexpr const char* kAlreadyOpenReason = "file number already open";
inline constexpr const char* kNotOpenReason = "file not open";
inline constexpr const char* kNotInputReason = "file not open for input";
inline constexpr const char* kNotOutputReason = "file not open for output";
inline constexpr const char* kPastEndReason = "input past end";

}  // namespace text_files_internal

struct TextFiles::OpenEntry {
  int number = 0;
  FileMode mode = FileMode::Input;
  bool diskFile = true;
  std::unique_ptr<SystemFile> file;
  NumberRecord* record = nullptr;    // stable: records_ is a map and never shrinks
  std::optional<InputBuffer> input;  // Input only

  // Output: bytes the system has taken, the length the file gets at closing. Unknown after
  // a failed write, which may have stored part of its bytes; the file is then left as is.
  unsigned long long writePosition = 0;
  bool writePositionKnown = true;
};

// The lookups and the success mark below run twice per line on the scanner's hot path, so
// they are inline and leave every failure to an out-of-line call.

inline TextFiles::OpenEntry* TextFiles::findOpen(int number) const {
  for (const std::unique_ptr<OpenEntry>& entry : open_) {
    if (entry->number == number) return entry.get();
  }
  return nullptr;
}

inline TextFiles::OpenEntry* TextFiles::inputEntry(int number) {
  OpenEntry* entry = findOpen(number);
  if (entry != nullptr && entry->mode == FileMode::Input) [[likely]]
    return entry;
  refuseUse(number, entry, FileMode::Input);
  return nullptr;
}

inline TextFiles::OpenEntry* TextFiles::outputEntry(int number) {
  OpenEntry* entry = findOpen(number);
  if (entry != nullptr && entry->mode == FileMode::Output) [[likely]]
    return entry;
  refuseUse(number, entry, FileMode::Output);
  return nullptr;
}

inline void TextFiles::succeed(OpenEntry& entry) {
  FileOutcome& last = entry.record->last;
  if (last.failed) [[unlikely]] {
    last.failed = false;
    last.reason.clear();
  }
}

}  // namespace durno
