#include "dialogue/dialogue.hpp"

#include <memory>

#include "dialogue/banner.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/screens.hpp"
#include "extract/extraction.hpp"

namespace durno {
namespace {

constexpr std::string_view kTableExtension = ".dat";

void showExtractionScreen(Console& console, const RunState& state) {
  console.endLine();
  console.clearScreen();
  writeLine(console, "Extracting data......");
  for (const std::string& notice : state.notices)
    writeLine(console, notice);
  // The scan may take a while: let the user see this screen before it starts.
  console.flush();
}

int showClosingLine(Console& console, const std::string& tableName,
                    const ExtractionOutcome& outcome) {
  console.endLine();
  int status = kExitSuccess;
  if (outcome.tableWritten) {
    console.writeText("Extracted data are on ");
    console.writeText(tableName);
  } else {
    console.writeText("Extracted data could not be written to " + quoted(tableName) + ": " +
                      outcome.failureReason);
    status = kExitTableNotWritten;
  }
  console.endLine();
  console.flush();
  return status;
}

}  // namespace

int runDialogue(Console& console, TextFiles& files) {
  if (!showBannerAndWait(console)) return kExitSuccess;
  // The run state holds the scanner's tables; on the heap it keeps the stack small.
  auto state = std::make_unique<RunState>();
  state->quantityCode = askQuantityCode(console);
  chooseCompounds(console, files, *state);
  chooseResultFiles(console, files, *state);
  state->outputName = askOutputName(console);

  showExtractionScreen(console, *state);
  const std::string tableName = state->outputName + std::string(kTableExtension);
  const ExtractionJob job{state->quantityCode, state->compounds.names(), state->resultFiles.names(),
                          tableName};
  const ExtractionOutcome outcome = runExtraction(job, state->scanner, files, console);
  return showClosingLine(console, tableName, outcome);
}

}  // namespace durno
