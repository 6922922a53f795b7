#include <string_view>

#include "convert/text_ops.hpp"
#include "dialogue/list_files.hpp"
#include "dialogue/run_notices.hpp"
#include "dialogue/screens.hpp"
#include "extract/quantity.hpp"

namespace durno {
namespace {

constexpr std::string_view kDefaultCompoundList = "DURNO.CPD";

std::string orDefaultList(std::string answer) {
  if (answer.empty()) return std::string(kDefaultCompoundList);
  return answer;
}

// Asks until the answer names no file the run reads.
void saveCompoundList(Console& console, TextFiles& files, RunState& state) {
  std::string fileName;
  do {
    writeLine(console, "Enter filename+extension for compound list ");
    console.writeText("     e.g., carbon.cpd, RETURN = DURNO.CPD ");
    fileName = orDefaultList(console.readLine());
  } while (!mayWriteList(console, files, state, fileName));
  const FileStatus outcome = saveListFile(files, fileName, state.compounds.names());
  state.listsSaved.push_back(fileName);
  if (!outcome.ok()) {
    notify(console, state,
           "Compound list could not be saved to " + quoted(fileName) + ": " + outcome.reason);
    return;
  }
  // A notice, so that the next screen clear does not take it away unseen.
  notify(console, state, "List of compounds saved");
  console.endLine();
}

// A typed formula is kept as typed, since stored lists and their users rely on the keys;
// a blank at either end, invisible on the screen, is told at once, under the entry.
void tellBlanksAround(Console& console, RunState& state, std::string_view formula) {
  const bool begins = formula.front() == ' ';
  const bool ends = formula.back() == ' ';
  if (!begins && !ends) return;
  const std::string_view where = begins && ends ? "begins and ends" : begins ? "begins" : "ends";
  notify(console, state,
         quoted(formula) + " " + std::string(where) +
             " with a blank, kept in the key: only lines spelt so match");
}

// Typed formulas become keys: the quantity code, the formula exactly as typed, and one
// blank, so that the key for SiO does not also match the lines of SiO2.
void enterCompoundsByHand(Console& console, TextFiles& files, RunState& state) {
  console.endLine();
  writeLine(console, "Select compounds, hit return when done");
  writeLine(console, "Formula MUST BE IN SAME FORMAT as in ZEPRO result file");
  writeLine(console, "search is CASE SENSITIVE");
  CompoundTable& table = state.compounds;
  table.clear();
  while (!table.full()) {
    console.writeNumber(table.count() + 1);
    console.writeText("compound ");
    const std::string formula = console.readLine();
    if (formula.empty()) break;
    table.add(compoundKeyOf(state.quantityCode, formula));
    console.writeText("search for ");
    writeLine(console, table.names().back());
    tellBlanksAround(console, state, formula);
    if (table.full()) writeLine(console, " Maximum number compounds are selected");
  }
  console.endLine();
  console.writeText("Save compound list to file <Y>/<N=RETURN> ");
  if (lowerCase(console.readLine()) == "y") saveCompoundList(console, files, state);
}

void loadCompounds(Console& console, TextFiles& files, RunState& state) {
  console.endLine();
  writeLine(console, " Enter filename with compound list for extraction ");
  console.writeText(" e.g., carbon.cpd; RETURN = DURNO.CPD ");
  const std::string fileName = orDefaultList(console.readLine());
  state.listsRead.push_back(fileName);
  const ListLoadOutcome outcome = loadCompoundList(files, fileName, state.compounds);
  if (!outcome.opened.ok()) state.compoundListUnread = true;
  notifyListLoad(console, state, kCompoundListWords, fileName, outcome);
  if (std::string told =
          keysOfAnotherQuantity(fileName, state.compounds.names(), state.quantityCode);
      !told.empty()) {
    notify(console, state, std::move(told));
  }
}

}  // namespace

void chooseCompounds(Console& console, TextFiles& files, RunState& state) {
  console.endLine();
  console.clearScreen();
  console.endLine();
  writeLine(console, " Select compounds to extract manually <RETURN> ");
  console.writeText("          or take compound list from file <F>  ");
  if (lowerCase(console.readLine()) == "f") {
    loadCompounds(console, files, state);
  } else {
    enterCompoundsByHand(console, files, state);
  }
}

}  // namespace durno
