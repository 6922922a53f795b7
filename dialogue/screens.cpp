#include "dialogue/screens.hpp"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>

#include "convert/plain_number.hpp"
#include "convert/text_ops.hpp"
#include "dialogue/list_files.hpp"
#include "extract/quantity.hpp"

namespace durno {
namespace {

constexpr std::string_view kDefaultOutputName = "Zepres";

// One line of the menu: "Extract:" before the first, the names in one column, the "=" of
// every line under the first one's, and the trailing blank that transcripts users already
// have show.
std::string menuLine(std::size_t index, const QuantityKind& kind) {
  constexpr std::size_t kNameColumn = 10;
  constexpr std::size_t kEqualsColumn = 43;
  std::string line = index == 0 ? "Extract:" : "";
  line.resize(kNameColumn, ' ');
  line.append(kind.menuName);
  line.resize(std::max(kEqualsColumn, line.size() + 1), ' ');
  return line.append("= ").append(kind.code).append(" ");
}

// An empty first line, then the menu; the answer is typed after the last line.
void writeMenu(Console& console) {
  console.endLine();
  const std::span<const QuantityKind> kinds = Quantity::kinds();
  for (std::size_t index = 0; index < kinds.size(); ++index) {
    const std::string line = menuLine(index, kinds[index]);
    if (index + 1 < kinds.size()) {
      writeLine(console, line);
    } else {
      console.writeText(line);
    }
  }
}

}  // namespace

void writeLine(Console& console, std::string_view text) {
  console.writeText(text);
  console.endLine();
}

void notify(Console& console, RunState& state, std::string message) {
  writeLine(console, message);
  state.notices.push_back(std::move(message));
}

std::string numberText(long double value) {
  return std::string(withoutBlanksAround(plainNumberText(value)));
}

std::string inputAListWouldReplace(TextFiles& files, std::string_view fileName,
                                   std::span<const std::string> resultFiles,
                                   std::span<const std::string> listsRead) {
  std::string input;
  for (const std::string& name : resultFiles) {
    if (files.sameFile(fileName, name))
      input = "the result file " + quoted(name) + ", which this run reads";
  }
  for (const std::string& name : listsRead) {
    if (files.sameFile(fileName, name))
      input = "the list file " + quoted(name) + ", which this run has read";
  }
  return input.empty() ? input : quoted(fileName) + " is " + input;
}

bool mayWriteList(Console& console, TextFiles& files, const RunState& state,
                  std::string_view fileName) {
  std::string input =
      inputAListWouldReplace(files, fileName, state.resultFiles.names(), state.listsRead);
  for (const std::string& saved : state.listsSaved) {
    if (input.empty() && files.oneFile(fileName, saved))
      input = quoted(fileName) + " is the list " + quoted(saved) + ", which this run has saved";
  }
  if (const FileStatus own = listMayReplace(files, fileName); input.empty() && !own.ok()) {
    input = quoted(fileName) + ": " + own.reason;
  }
  if (input.empty()) return true;
  writeLine(console, input + ": choose another name");
  return false;
}

std::string listLoadNotice(const ListWords& words, std::string_view fileName,
                           const ListLoadOutcome& outcome) {
  const std::string list = std::string(words.list) + " " + quoted(fileName);
  const std::string capacity = std::to_string(words.capacity);
  if (!outcome.opened.ok()) return list + " could not be read: " + outcome.opened.reason;
  if (outcome.countImpossible) {
    return list + ": its count line reads " + quoted(outcome.countText) +
           ", which is no possible count: no " + std::string(words.entries) + " are used";
  }
  if (outcome.cutToCapacity) {
    return list + " names more than " + capacity + " " + std::string(words.entries) +
           ": only the first " + capacity + " are used";
  }
  if (outcome.namesFollowing > 0) {
    std::string rest = quoted(outcome.firstNameBeyond);
    if (outcome.moreNamesBeyond) rest += ", ...";
    std::string message = list + ": its count line says " + numberText(outcome.namesCounted) +
                          ", but " + std::to_string(outcome.namesFollowing) +
                          " names follow; the rest (" + rest + ") " + std::string(words.restFate);
    if (outcome.namesAsked == 0) message.append(": no ").append(words.entries).append(" are used");
    return message;
  }
  if (outcome.countRead && outcome.namesAsked == 0) {
    return list + " holds text, but its count line reads as 0: no " + std::string(words.entries) +
           " are used";
  }
  if (outcome.namesFound < outcome.namesAsked) {
    return list + ": the count line says " + numberText(outcome.namesAsked) + ", but it names " +
           std::to_string(outcome.namesFound) + " " +
           std::string(outcome.namesFound == 1 ? words.entry : words.entries);
  }
  return {};
}

void notifyListLoad(Console& console, RunState& state, const ListWords& words,
                    std::string_view fileName, const ListLoadOutcome& outcome) {
  if (std::string notice = listLoadNotice(words, fileName, outcome); !notice.empty()) {
    notify(console, state, std::move(notice));
  }
}

std::string askQuantityCode(Console& console) {
  console.clearScreen();
  for (;;) {
    writeMenu(console);
    std::string code = upperCase(console.readLine());
    if (!code.empty()) return code;
    // The menu comes back below the message, on the same screen.
    console.clearScreen();
    console.endLine();
    writeLine(console, "                SELECTION REQUIRED       ");
    console.endLine();
  }
}

// Asked again while the table would replace a file the run reads, a list it saved, or a
// file this program did not write there: the table may spoil no other file.
std::string askOutputName(Console& console, TextFiles& files, RunState& state) {
  for (;;) {
    console.endLine();
    writeLine(console, "Filename for extracted data, NO EXTENSION ");
    console.writeText("                     (e.g.,data\\ZEPres) ");
    std::string name = console.readLine();
    if (name.empty()) name = kDefaultOutputName;
    const std::string table = name + std::string(tableExtensionOf(TableFormat::Dat));
    std::string problem =
        inputAListWouldReplace(files, table, state.resultFiles.names(), state.listsRead);
    for (const std::string& saved : state.listsSaved) {
      if (problem.empty() && files.oneFile(table, saved))
        problem = quoted(table) + " is the list " + quoted(saved) + ", which this run has saved";
    }
    if (const FileStatus own = tableMayReplace(files, table, TableFormat::Dat);
        problem.empty() && !own.ok()) {
      problem = quoted(table) + ": " + own.reason;
    }
    if (problem.empty()) {
      // Told now, while the user can still see it; the run goes on as it always has and
      // says at its end why the table could not be written.
      if (!files.folderOfExists(table)) {
        notify(console, state,
               "The folder of " + quoted(table) + " does not exist: the table " +
                   "cannot be written there");
      }
      return name;
    }
    writeLine(console, problem + ": choose another name");
  }
}

}  // namespace durno
