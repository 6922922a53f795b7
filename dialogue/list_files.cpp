#include "dialogue/list_files.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <type_traits>
#include <vector>

#include "convert/text_ops.hpp"

namespace durno {
namespace {

// Notepad begins a UTF-8 list with a byte order mark, which is no part of its count line.
ListLoadOutcome openForReading(TextFiles& files, std::string_view fileName) {
  ListLoadOutcome outcome;
  outcome.opened = files.openFile(kListFileNumber, fileName, FileMode::Input);
  if (outcome.opened.ok()) files.passByteOrderMark(kListFileNumber);
  return outcome;
}

// A list's names become the names the program takes (TextFiles::takeListedNames) all at
// once, the first name beyond them included: a list's text is in one encoding.
template <typename Table>
void takeAsNames(TextFiles& files, Table& table, ListLoadOutcome& outcome) {
  std::vector<std::string> names(table.names().begin(), table.names().end());
  names.push_back(std::move(outcome.firstNameBeyond));
  files.takeListedNames(names);
  outcome.firstNameBeyond = std::move(names.back());
  names.pop_back();
  table.clear();
  for (std::string& name : names)
    table.add(std::move(name));
}

// Passes a tail of blanks, TABs and line ends; true when something else is left to read.
bool contentLeft(TextFiles& files) {
  return files.skipBlanksAndLineEnds(kListFileNumber).ok() && !files.atEnd(kListFileNumber);
}

// Whether the file names one more entry after those read: a field that is not empty before
// the file ends. Only called once the names that fit have been read, so what it takes is
// never used.
bool namesAnotherEntry(TextFiles& files) {
  std::string field;
  for (;;) {
    if (!files.readTextField(kListFileNumber, field).ok()) return false;
    if (!removeLeadingBlanks(field).empty()) return true;
  }
}

// Whether a count line's text reads as a count rather than a name: a count begins as a
// number does; a compound key or a file name hardly ever does.
bool looksLikeCount(std::string_view text) {
  return !text.empty() &&
         std::string_view("0123456789+-.").find(text.front()) != std::string_view::npos;
}

// Notes a name that follows the names the count line before it asked for.
void noteNameBeyond(ListLoadOutcome& outcome, std::string name) {
  if (outcome.namesFollowing == 0) {
    outcome.namesCounted = outcome.namesAsked;
    outcome.namesFollowing = outcome.namesFound;
  }
  ++outcome.namesFollowing;
  if (outcome.firstNameBeyond.empty()) {
    outcome.firstNameBeyond = std::move(name);
  } else {
    outcome.moreNamesBeyond = true;
  }
}

// Reads one count and the names it asks for into table, which has been emptied, and
// notes in outcome what the count asked for and what the file held. Reading stops after
// the last name that fits. A count that could not be read (a file that fails) or that is
// no possible count ends the block with no names; false then.
template <typename Table, typename Clean>
bool readBlock(TextFiles& files, Table& table, Clean clean, ListLoadOutcome& outcome) {
  double count = 0;
  std::string countText;
  if (!files.readNumberField(kListFileNumber, count, &countText).ok()) return false;
  outcome.countRead = true;
  if (!std::isfinite(count)) {
    outcome.countImpossible = true;
    outcome.countText = std::move(countText);
    outcome.namesAsked = 0;
    outcome.namesFound = 0;
    return false;
  }
  const double asked = namesAskedFor(count);
  // A name where a count line was expected, right after a block read in full: the count
  // line before it was smaller than its list. Later ones join it until a count line comes.
  const bool blockReadInFull = outcome.namesFound == outcome.namesAsked && outcome.namesFound > 0;
  if (!looksLikeCount(countText) && (blockReadInFull || outcome.namesFollowing > 0)) {
    noteNameBeyond(outcome, countText);
  } else if (outcome.namesFollowing > 0) {
    outcome.namesFollowing = 0;  // a block of its own: what came before it is replaced
    outcome.firstNameBeyond.clear();
    outcome.moreNamesBeyond = false;
  }
  outcome.namesAsked = asked;
  outcome.namesFound = 0;
  while (table.count() < asked && !table.full()) {
    std::string field;
    const bool read = files.readTextField(kListFileNumber, field).ok();
    // A list without a capacity takes what the file holds, not what a count line (which
    // may say 1E+300) asks for.
    if constexpr (std::is_same_v<Table, NameList>) {
      if (!read) break;
    }
    // A field read past the end, or an empty one with nothing after it, names nothing;
    // an empty one before a later name still counts as that line's entry.
    if (read && !removeLeadingBlanks(field).empty()) {
      outcome.namesFound = static_cast<int>(std::min<long long>(table.count() + 1, INT_MAX));
    }
    table.add(clean(std::move(field)));
  }
  outcome.cutToCapacity = asked > table.count() && namesAnotherEntry(files);
  return !outcome.cutToCapacity;
}

// Counts the names after the one block of a file list, which are not read.
void noteNamesAfterBlock(TextFiles& files, ListLoadOutcome& outcome) {
  std::string field;
  while (files.readTextField(kListFileNumber, field).ok()) {
    std::string name = removeLeadingBlanks(field);
    if (name.empty()) continue;
    noteNameBeyond(outcome, std::move(name));
  }
}

}  // namespace

double namesAskedFor(double count) {
  if (!(count >= 1)) return 0;  // also NaN
  return std::floor(count);
}

namespace {

// A list this program wrote begins with its count line: blanks and digits.
bool isListHead(std::string_view head) {
  const std::size_t lineEnd = head.find_first_of("\r\n");
  const std::string_view first = head.substr(0, lineEnd);
  return lineEnd != std::string_view::npos &&
         first.find_first_not_of(" 0123456789") == std::string_view::npos &&
         first.find_first_of("0123456789") != std::string_view::npos;
}

}  // namespace

FileStatus listMayReplace(TextFiles& files, std::string_view fileName) {
  return files.mayReplace(fileName, isListHead, "list");
}

FileStatus saveListFile(TextFiles& files, std::string_view fileName,
                        std::span<const std::string> names) {
  if (FileStatus own = listMayReplace(files, fileName); !own.ok()) return own;
  if (FileStatus opened = files.openFile(kListFileNumber, fileName, FileMode::Output);
      !opened.ok()) {
    return opened;
  }
  FileStatus written = files.writeNumber(kListFileNumber, static_cast<double>(names.size()));
  if (written.ok()) written = files.endLine(kListFileNumber);
  for (std::size_t i = 0; i < names.size() && written.ok(); ++i) {
    written = files.writeText(kListFileNumber, files.listedName(names[i]));
    if (written.ok()) written = files.endLine(kListFileNumber);
  }
  // Closing can be where a full disk shows, so its outcome counts too.
  FileStatus closed = files.closeFile(kListFileNumber);
  return written.ok() ? closed : written;
}

ListLoadOutcome loadCompoundList(TextFiles& files, std::string_view fileName,
                                 CompoundTable& table) {
  table.clear();
  ListLoadOutcome outcome = openForReading(files, fileName);
  if (!outcome.opened.ok()) return outcome;
  auto clean = [](const std::string& field) { return removeLeadingBlanks(field); };
  // Each block replaces the one before. The loop also ends at a count that could not be
  // read, so a file that fails in the middle cannot keep it going.
  bool goOn = true;
  while (goOn && contentLeft(files)) {
    table.clear();
    goOn = readBlock(files, table, clean, outcome);
  }
  files.closeFile(kListFileNumber);
  takeAsNames(files, table, outcome);
  return outcome;
}

namespace {

template <typename Table>
ListLoadOutcome loadFileListInto(TextFiles& files, std::string_view fileName, Table& table) {
  table.clear();
  ListLoadOutcome outcome = openForReading(files, fileName);
  if (!outcome.opened.ok()) return outcome;
  auto asRead = [](std::string field) { return field; };
  if (contentLeft(files) && readBlock(files, table, asRead, outcome) &&
      outcome.namesFound == outcome.namesAsked && outcome.namesFound > 0) {
    noteNamesAfterBlock(files, outcome);
  }
  files.closeFile(kListFileNumber);
  takeAsNames(files, table, outcome);
  return outcome;
}

}  // namespace

ListLoadOutcome loadFileList(TextFiles& files, std::string_view fileName, ResultFileTable& table) {
  return loadFileListInto(files, fileName, table);
}

ListLoadOutcome loadFileList(TextFiles& files, std::string_view fileName, NameList& list) {
  return loadFileListInto(files, fileName, list);
}

}  // namespace durno
