#include "dialogue/list_files.hpp"

#include <cmath>

#include "convert/text_ops.hpp"

namespace durno {
namespace {

ListFileOutcome failure(std::string reason) { return {false, std::move(reason), false}; }

// The reason of the latest failed operation on the list file, or empty if it went well.
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

// Reads the names of one block into table, which has been emptied; true when the block
// asked for more names than fit, in which case reading stops after the last that fits.
template <std::size_t Capacity, typename Clean>
bool readBlock(TextFiles& files, NameTable<Capacity>& table, Clean clean) {
  const double asked = namesAskedFor(files.readNumberField(kListFileNumber));
  while (table.count() < asked && !table.full()) {
    table.add(clean(files.readTextField(kListFileNumber)));
  }
  return asked > table.count();
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
  while (!files.atEnd(kListFileNumber)) {
    table.clear();
    if (readBlock(files, table, clean)) {
      outcome.cutToCapacity = true;
      break;
    }
  }
  files.closeFile(kListFileNumber);
  return outcome;
}

ListFileOutcome loadFileList(TextFiles& files, std::string_view fileName, ResultFileTable& table) {
  table.clear();
  ListFileOutcome outcome = openForReading(files, fileName);
  if (!outcome.ok) return outcome;
  auto asRead = [](std::string field) { return field; };
  outcome.cutToCapacity = readBlock(files, table, asRead);
  files.closeFile(kListFileNumber);
  return outcome;
}

}  // namespace durno
