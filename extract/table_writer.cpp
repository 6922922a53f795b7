#include "extract/table_writer.hpp"

#include <algorithm>
#include <array>

#include "convert/control_bytes.hpp"
#include "extract/capacities.hpp"

namespace durno {

namespace {

// Rows are handed on once this many bytes of them are gathered: a few hundred rows, few
// enough system calls to cost nothing, a block the page cache takes in one piece.
constexpr std::size_t kBlockSize = 64 * 1024;

}  // namespace

TableWriter::TableWriter(TextFiles& files, Quantity quantity,
                         std::span<const std::string> compoundKeys)
    : files_(files),
      quantity_(quantity),
      compoundKeys_(compoundKeys),
      formatter_(quantity, compoundKeys_.size()) {
  block_.reserve(kBlockSize + kBlockSize / 4);
}

void TableWriter::openOutputTable(std::string_view tableName, std::string_view firstResultFile) {
  tableName_ = tableName;
  note(files_.openFile(kTableFileNumber, tableName, FileMode::Output));
  writeHeader(firstResultFile);
}

void TableWriter::openStandardOutput(std::string_view firstResultFile) {
  note(files_.openStandardOutput(kTableFileNumber));
  writeHeader(firstResultFile);
}

void TableWriter::writeHeader(std::string_view firstResultFile) {
  std::string header;
  // A name's control bytes are shown as the screen shows them: a line end in a name would
  // otherwise break the header's first line in two, and the table could not be read back.
  header.append("Data from ")
      .append(withControlsShown(firstResultFile, C1Controls::None))
      .append("\r\n");
  if (quantity_.known()) header.append(quantity_.label()).append("\r\n");
  header.append(kFixedTitles);
  for (const std::string& key : compoundKeys_) {
    header.append(key);
    // A key of 15 characters or more gets no padding, so the next title follows directly.
    if (key.size() < kCompoundTitleWidth) header.append(kCompoundTitleWidth - key.size(), ' ');
  }
  header.append("\r\n");
  writeToFile(header);
}

void RowFormatter::appendRow(std::string& out, const ScannerState& state, std::uint64_t lacking,
                             std::vector<std::size_t>* gaps) const {
  stepMask_.appendTo(out, state.stepNumber);
  // The value fields are composed in one buffer and appended at once.
  std::array<char, kRowValuesRoom> values;
  char* end = values.data();
  for (int slot = 0; slot < valueSlots_; ++slot) {
    if ((lacking & slotBit(slot)) == 0) [[likely]] {
      end = writeField(end, state, slot);
    } else {
      gaps->push_back(out.size() + static_cast<std::size_t>(end - values.data()));
    }
  }
  *end++ = '\r';
  *end++ = '\n';
  out.append(values.data(), static_cast<std::size_t>(end - values.data()));
}

char* RowFormatter::writeField(char* out, const ScannerState& state, int slot) const {
  const NumberRead& number = state.slotValue(slot);
  if (char* end = valueMask_.writeExactDecimal(out, number)) return end;
  const long double value =
      slot >= kFirstCompoundSlot ? quantity_.held(number.value()) : number.value();
  return valueMask_.writeTo(out, value);
}

void TableWriter::writeRow(const ScannerState& state) {
  formatter_.appendRow(block_, state);
  if (block_.size() >= kBlockSize) flush();
}

void TableWriter::writeRowText(std::string_view rows) {
  if (rows.empty()) return;
  // A run of rows as large as a block goes to the file as it is, without a copy.
  if (block_.empty() && rows.size() >= kBlockSize) {
    writeToFile(rows);
    return;
  }
  block_.append(rows);
  if (block_.size() >= kBlockSize) flush();
}

void TableWriter::flush() {
  if (block_.empty()) return;
  writeToFile(block_);
  block_.clear();
}

void TableWriter::close() {
  flush();
  if (!tableName_.empty() && !files_.isStillNamed(kTableFileNumber, tableName_)) {
    note(
        FileStatus::systemFailure("its name no longer leads to it: the file or its folder "
                                  "was removed or renamed during the run"));
  }
  note(files_.closeFile(kTableFileNumber));
}

void TableWriter::writeToFile(std::string_view text) {
  note(files_.writeText(kTableFileNumber, text));
}

void TableWriter::note(FileStatus status) {
  // The first failure is the one worth reporting.
  if (status_.ok()) status_ = std::move(status);
}

}  // namespace durno
