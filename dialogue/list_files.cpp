#include "dialogue/list_files.hpp"

#include <cmath>

#include "convert/text_ops.hpp"

namespace durno {
namespace {

ListFileOutcome failure(std::string reason) {
  return {false, std::move(reason), false};
}

// True when the latest operation on the list file failed; reason then holds why.
bool lastFailed(const TextFiles& files, std::string& reason) {
  const FileOutcome outcome = files.lastOutcome(kListFileNumber);
  if (outcome.failed) reason = outcome.reason;
  return outcome.failed;
}

ListFileOutcome openForReading(TextFiles& files, std::string_view fileName) {
  files.openFile(kListFileNumber, fileName, FileMode::Input);
  if (files.isOpen(kListFileNumber)) return {};
  return failure(files.lastOutcome(kListFileNumber).reason);
}

enum class BlockEnd { Complete, CutToCapacity, CountUnreadable };

// Reads one count and the names it asks for into table, which has been emptied. Reading
// stops after the last name that fits. A count that could not be read (nothing but blanks
// left, or a file that fails) ends the block with no names.
template <std::size_t Capacity, typename Clean>
BlockEnd readBlock(TextFiles& files, NameTable<Capacity>& table, Clean clean) {
  const double asked = namesAskedFor(files.readNumberField(kListFileNumber));
  if (files.lastOutcome(kListFileNumber).failed) return BlockEnd::CountUnreadable;
  while (table.count() < asked && !table.full()) {
    table.add(clean(files.readTextField(kListFileNumber)));
  }
  return asked > table.count() ? BlockEnd::CutToCapacity : BlockEnd::Complete;
}

}  // namespace

double namesAskedFor(double count) {
  if (!(count >= 1)) return 0;  // also NaN
  return std::floor(count);
}

ListFileOutcome saveListFile(TextFiles& files, std::string_view fileName,
                             std::span<const std::string> names) {
  std::string reason;
  files.openFile(kListFileNumber, fileName, FileMode::Output);
  if (!files.isOpen(kListFileNumber)) return failure(files.lastOutcome(kListFileNumber).reason);

  bool failed = false;
  auto step = [&](auto&& operation) {
    if (failed) return;
    operation();
    failed = lastFailed(files, reason);
  };
  step([&] { files.writeNumber(kListFileNumber, static_cast<double>(names.size())); });
  step([&] { files.endLine(kListFileNumber); });
  for (const std::string& name : names) {
    step([&] { files.writeText(kListFileNumber, name); });
    step([&] { files.endLine(kListFileNumber); });
  }
  // Closing can be where a full disk shows, so its outcome counts too.
  files.closeFile(kListFileNumber);
  if (!failed) failed = lastFailed(files, reason);
  if (failed) return failure(reason);
  return {};
}

ListFileOutcome loadCompoundList(TextFiles& files, std::string_view fileName,
                                 CompoundTable& table) {
  table.clear();
  ListFileOutcome outcome = openForReading(files, fileName);
  if (!outcome.ok) return outcome;
  auto clean = [](const std::string& field) { return removeLeadingBlanks(field); };
  // Each block replaces the one before. The loop also ends at a count that could not be
  // read, so a file that fails in the middle cannot keep it going.
  BlockEnd end = BlockEnd::Complete;
  while (end == BlockEnd::Complete && !files.atEnd(kListFileNumber)) {
    table.clear();
    end = readBlock(files, table, clean);
  }
  outcome.cutToCapacity = end == BlockEnd::CutToCapacity;
  files.closeFile(kListFileNumber);
  return outcome;
}

ListFileOutcome loadFileList(TextFiles& files, std::string_view fileName, ResultFileTable& table) {
  table.clear();
  ListFileOutcome outcome = openForReading(files, fileName);
  if (!outcome.ok) return outcome;
  auto asRead = [](std::string field) { return field; };
  outcome.cutToCapacity = readBlock(files, table, asRead) == BlockEnd::CutToCapacity;
  files.closeFile(kListFileNumber);
  return outcome;
}

}  // namespace durno
