#include "dialogue/dialogue.hpp"

#include <csignal>
#include <memory>
#include <string>

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

std::string signalName(int signalNumber) {
  switch (signalNumber) {
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
#ifdef SIGHUP  // Windows has no hang-up signal
    case SIGHUP:
      return "SIGHUP";
#endif
    default:
      return "signal " + std::to_string(signalNumber);
  }
}

// Says where a stopped scan left the table, for example 'Extraction interrupted by SIGTERM:
// melts.dat holds the rows up to step 5 of melt02.out'.
void showInterruption(Console& console, const std::string& tableName,
                      const ExtractionOutcome& outcome) {
  std::string line = "Extraction interrupted by " + signalName(outcome.stoppedBy);
  if (outcome.table.ok()) {
    line += ": " + tableName;
    if (outcome.rows == 0) {
      line += " holds no rows";
    } else {
      line += " holds the rows up to step " + numberText(outcome.lastRowStep) + " of " +
              outcome.lastRowFile;
    }
  }
  writeLine(console, line);
}

// A table without the rows of some result file is not a full success, also when the
// scan itself went well: the line after the closing line says so.
bool showFilesUnread(Console& console, const ExtractionOutcome& outcome, int resultFileCount) {
  if (resultFileCount == 0) {
    writeLine(console, "No result file was named: the table holds no rows");
    return true;
  }
  if (outcome.unreadableFiles == 0) return false;
  writeLine(console, std::to_string(outcome.unreadableFiles) + " of " +
                         std::to_string(resultFileCount) +
                         " result files could not be read (each is named above)");
  return true;
}

RunOutcome showClosingLines(Console& console, const std::string& tableName,
                            const ExtractionOutcome& outcome, int resultFileCount) {
  console.endLine();
  RunOutcome run;
  if (!outcome.table.ok()) {
    writeLine(console, "Extracted data could not be written to " + quoted(tableName) + ": " +
                           outcome.table.reason);
    run.end = RunEnd::TableNotWritten;
  } else if (outcome.stoppedBy == 0) {
    writeLine(console, "Extracted data are on " + tableName);
  }
  if (outcome.stoppedBy != 0) {
    showInterruption(console, tableName, outcome);
    run = {RunEnd::Stopped, outcome.stoppedBy};
  } else if (showFilesUnread(console, outcome, resultFileCount) && run.end == RunEnd::Completed) {
    run.end = RunEnd::FilesUnread;
  }
  console.flush();
  return run;
}

}  // namespace

RunOutcome runDialogue(Console& console, TextFiles& files, StopSignals* stopSignals) {
  if (!showBannerAndWait(console)) return {RunEnd::LeftAtStart};
  // The run state holds the scanner's tables; on the heap it keeps the stack small.
  auto state = std::make_unique<RunState>();
  state->quantityCode = askQuantityCode(console);
  chooseCompounds(console, files, *state);
  chooseResultFiles(console, files, *state);
  state->outputName = askOutputName(console);

  showExtractionScreen(console, *state);
  const std::string tableName = state->outputName + std::string(kTableExtension);
  ExtractionJob job{state->quantityCode, state->compounds.names(), state->resultFiles.names(),
                    tableName, state->listsRead};
  if (stopSignals != nullptr) job.stopSignal = &stopSignals->hold();
  const ExtractionOutcome outcome = runExtraction(job, state->scannerState, files, console);
  return showClosingLines(console, tableName, outcome, state->resultFiles.count());
}

}  // namespace durno
