#include "extract/step_table_writer.hpp"

#include <array>
#include <charconv>
#include <set>

#include "extract/capacities.hpp"

namespace durno {

namespace {

// As the .dat table's blocks: a few hundred rows per system call.
constexpr std::size_t kBlockSize = 64 * 1024;

// Room for the shortest text of any long double, "-1.2345678901234567891e-4950" and more.
constexpr std::size_t kNumberRoom = 64;

template <typename Number>
void appendShortestOf(std::string& out, Number value) {
  std::array<char, kNumberRoom> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  out.append(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
}

// The fixed columns before the keys', with the slots of the last three.
constexpr std::array<std::string_view, 5> kFixedColumns{"file", "step", "VAP", "WTVAP", "PTOT"};

std::string_view withoutTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

}  // namespace

void appendShortest(std::string& out, long double value) {
  appendShortestOf(out, value);
}

void appendShortest(std::string& out, double value) {
  appendShortestOf(out, value);
}

StepRowFormatter::StepRowFormatter(TableFormat format, std::span<const std::string> keys,
                                   std::span<const Quantity> keyQuantities)
    : separator_(format == TableFormat::Tsv ? '\t' : ','),
      keys_(keys),
      keyQuantities_(keyQuantities) {}

void StepRowFormatter::appendName(std::string& out, std::string_view name) const {
  // A TSV quotes nothing: names that would need it are refused before the run.
  if (separator_ == '\t' || name.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(name);
    return;
  }
  out.push_back('"');
  for (const char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

std::string StepRowFormatter::header() const {
  std::string text;
  std::set<std::string> used;
  // A name given twice becomes NAME_2, NAME_3, ...: tools key their columns by name.
  const auto column = [&](std::string_view name) {
    std::string unique(name);
    for (int n = 2; used.count(unique) != 0; ++n)
      unique = std::string(name) + "_" + std::to_string(n);
    used.insert(unique);
    if (!text.empty()) text.push_back(separator_);
    appendName(text, unique);
  };
  for (const std::string_view name : kFixedColumns)
    column(name);
  for (const std::string& key : keys_)
    column(withoutTrailingBlanks(key));
  return text.append("\r\n");
}

std::string StepRowFormatter::fileField(std::string_view fileName) const {
  std::string field;
  appendName(field, fileName);
  return field;
}

void StepRowFormatter::appendRow(std::string& out, std::string_view fileField, long double step,
                                 const ScannerState& state, std::uint64_t given) const {
  out.append(fileField).push_back(separator_);
  appendShortest(out, step);
  const int slots = kFirstCompoundSlot + static_cast<int>(keys_.size());
  for (int slot = 0; slot < slots; ++slot) {
    out.push_back(separator_);
    if ((given & slotBit(slot)) == 0) continue;
    const long double value = state.slotValue(slot).value();
    if (slot < kFirstCompoundSlot) {
      appendShortest(out, value);
      continue;
    }
    const Quantity& quantity = keyQuantities_[static_cast<std::size_t>(slot - kFirstCompoundSlot)];
    if (quantity.heldAsDouble()) {
      appendShortest(out, roundToDouble(value));
    } else {
      appendShortest(out, value);
    }
  }
  out.append("\r\n");
}

void StepTableWriter::openOutputTable(std::string_view tableName, std::string_view header) {
  tableName_ = tableName;
  block_.reserve(kBlockSize + kBlockSize / 4);
  note(files_.openFile(kTableFileNumber, tableName, FileMode::Output));
  writeToFile(header);
}

void StepTableWriter::openStandardOutput(std::string_view header) {
  note(files_.openStandardOutput(kTableFileNumber));
  writeToFile(header);
}

void StepTableWriter::writeRows(std::string_view rows) {
  if (rows.empty()) return;
  if (block_.empty() && rows.size() >= kBlockSize) {
    writeToFile(rows);
    return;
  }
  block_.append(rows);
  if (block_.size() >= kBlockSize) flush();
}

void StepTableWriter::flush() {
  if (block_.empty()) return;
  writeToFile(block_);
  block_.clear();
}

void StepTableWriter::close() {
  flush();
  if (!tableName_.empty() && !files_.isStillNamed(kTableFileNumber, tableName_)) {
    note(
        FileStatus::systemFailure("its name no longer leads to it: the file or its folder "
                                  "was removed or renamed during the run"));
  }
  note(files_.closeFile(kTableFileNumber));
}

void StepTableWriter::writeToFile(std::string_view text) {
  note(files_.writeText(kTableFileNumber, text));
}

void StepTableWriter::note(FileStatus status) {
  if (status_.ok()) status_ = std::move(status);
}

}  // namespace durno
