#include <string_view>

#include "convert/text_ops.hpp"
#include "dialogue/list_files.hpp"
#include "dialogue/screens.hpp"

namespace durno {
namespace {

constexpr int kFileListPromptRow = 4;

// A saved list is confirmed by nothing; only a list that could not be saved is reported. The
// name is asked for until it names no file the run reads.
void offerToSaveFileList(Console& console, TextFiles& files, RunState& state) {
  console.endLine();
  console.writeText("Save the filelist for other extractions <Y>/<N = RETURN> ");
  if (lowerCase(console.readLine()) != "y") return;
  std::string fileName;
  do {
    console.writeText("Give name for list (e.g. Jup.xtr) ");
    fileName = console.readLine();
  } while (!mayWriteList(console, files, state, fileName));
  const FileStatus outcome = saveListFile(files, fileName, state.resultFiles.names());
  state.listsSaved.push_back(fileName);
  if (!outcome.ok()) {
    notify(console, state,
           "File list could not be saved to " + quoted(fileName) + ": " + outcome.reason);
  }
}

// Names are kept exactly as typed and not opened here (a pipe would wait for its writer): a
// name that cannot be opened shows during the extraction. One that is no file on disk now is
// told at once, under its entry, while it can still be typed again.
void enterResultFilesByHand(Console& console, TextFiles& files, RunState& state) {
  console.clearScreen();
  writeLine(console, "Enter Filename(s) to extract (e.g. data\\ZEPRO.out) ");
  writeLine(console, "                   hit return when done");
  ResultFileTable& table = state.resultFiles;
  table.clear();
  while (!table.full()) {
    console.writeNumber(table.count() + 1);
    console.writeText("Filename ");
    std::string name = console.readLine();
    if (name.empty()) break;
    if (files.diskFileSize(name) < 0) {
      std::string told = quoted(name);
      writeLine(console, told.append(" is no file on disk now: kept, and tried at the "
                                     "extraction"));
    }
    table.add(std::move(name));
    if (table.full()) writeLine(console, " No more files can be selected ");
  }
  offerToSaveFileList(console, files, state);
}

void loadResultFiles(Console& console, TextFiles& files, RunState& state) {
  console.clearScreen();
  console.placeCursor(kFileListPromptRow, 1);
  console.endLine();
  writeLine(console, "Name of file containing the filenames of the ZEPRO results to be extracted");
  console.writeText("File should have extension *.xtr, but others work too ");
  const std::string fileName = console.readLine();
  state.listsRead.push_back(fileName);
  const ListLoadOutcome outcome = loadFileList(files, fileName, state.resultFiles);
  notifyListLoad(console, state, kFileListWords, fileName, outcome);
}

}  // namespace

void chooseResultFiles(Console& console, TextFiles& files, RunState& state) {
  console.clearScreen();
  console.endLine();
  writeLine(console, "Multiple result files can be extracted.");
  console.writeText("read files from list <L> or input of individual filename(s) = RETURN ");
  if (lowerCase(console.readLine()) == "l") {
    loadResultFiles(console, files, state);
  } else {
    enterResultFilesByHand(console, files, state);
  }
}

}  // namespace durno
