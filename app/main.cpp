// The program entry: reads nothing but its own arguments, prepares the console and the
// file system, runs the dialogue, and turns what happened into the exit status.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "app/system.hpp"
#include "console/console.hpp"
#include "console/standard_console.hpp"
#include "convert/extended_precision.hpp"
#include "dialogue/dialogue.hpp"
#include "textfile/text_files.hpp"

namespace {

constexpr int kExitSuccess = 0;          // a completed run, or ESC at the banner
constexpr int kExitTableNotWritten = 1;  // the table file is missing or incomplete
constexpr int kExitUsage = 2;            // bad arguments, or the answers ran out
constexpr int kExitFilesUnread = 3;      // the table lacks the rows of some result file
constexpr int kExitSignalBase = 128;     // plus the number of the signal that stopped it

int exitStatus(const durno::RunOutcome& outcome) {
  switch (outcome.end) {
    case durno::RunEnd::Completed:
    case durno::RunEnd::LeftAtStart:
      return kExitSuccess;
    case durno::RunEnd::FilesUnread:
      return kExitFilesUnread;
    case durno::RunEnd::TableNotWritten:
      return kExitTableNotWritten;
    case durno::RunEnd::Stopped:
      return kExitSignalBase + outcome.stopSignal;
  }
  return kExitTableNotWritten;
}

// The first line of the usage text, also shown alone after a bad argument.
constexpr std::string_view kUsageLine = "Usage: durno [-h | --help | --version]\n";

constexpr std::string_view kUsageBody =
    "\n"
    "Extracts one per-compound quantity (activities, activity coefficients, oxide mole\n"
    "fractions in the silicate, gas mole fractions or gas partial pressures) and the step\n"
    "values VAP, WTVAP and PTOT from ZEPRO result files, step by step and file by file,\n"
    "into one blank-separated table NAME.dat.\n"
    "\n"
    "The program is interactive: started without arguments it asks for the quantity, the\n"
    "compounds, the result files and the table name. Answers can also be piped in, one\n"
    "per line after a first key line for the start screen, for example:\n"
    "    printf '\\na\\n\\nSiO2\\nMgO\\n\\nn\\n\\nrun1.out\\n\\nn\\n\\n' | durno\n"
    "\n"
    "Files:\n"
    "  *.cpd  compound list: a count line, then one compound key per line\n"
    "  *.xtr  file list: a count line, then one result-file name per line\n"
    "  *.dat  the table: source line, quantity label, titles, one row per step\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this text and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Exit status: 0 table written (or ESC at the start screen), 1 table not written,\n"
    "2 bad arguments or the answers ended before the dialogue did, 3 table written but\n"
    "some result files could not be read, 128+N ended by signal N during extraction.\n";

enum class Request { Dialogue, Help, Version, Misuse };

bool isOption(std::string_view argument) {
  return argument == "-h" || argument == "--help" || argument == "--version";
}

// What the command line asks for. A misuse is reported here, on standard error: the
// first argument that is not understood, then the usage line.
Request requestOf(int argc, char** argv) {
  if (argc == 1) return Request::Dialogue;
  const std::string_view first = argv[1];
  if (argc == 2 && (first == "-h" || first == "--help")) return Request::Help;
  if (argc == 2 && first == "--version") return Request::Version;
  // An option takes no argument and comes alone, so the culprit is the first argument
  // unless that is an option.
  const std::string_view bad = isOption(first) ? argv[2] : first;
  const bool unknownOption = bad.size() > 1 && bad[0] == '-' && !isOption(bad);
  std::fprintf(stderr, "durno: %s '%.*s'\n",
               unknownOption ? "unknown option" : "unexpected argument",
               static_cast<int>(bad.size()), bad.data());
  std::fwrite(kUsageLine.data(), 1, kUsageLine.size(), stderr);
  return Request::Misuse;
}

int runInteractive() {
  std::string endedWhile;
  {
    durno::StandardConsole standardConsole;
    const std::unique_ptr<durno::FileSystem> fileSystem = durno::systemFileSystem();
    durno::TextFiles files(*fileSystem);
    try {
      return exitStatus(durno::runDialogue(standardConsole.console(), files, &standardConsole));
    } catch (const durno::InputEnded& ended) {
      standardConsole.console().flush();
      endedWhile = ended.what();
    }
  }
  // Written only now that the terminal is back in the state the shell left it in.
  std::fprintf(stderr, "durno: %s\n", endedWhile.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  durno::prepareStandardStreams();
  switch (requestOf(argc, argv)) {
    case Request::Help:
      std::fwrite(kUsageLine.data(), 1, kUsageLine.size(), stdout);
      std::fwrite(kUsageBody.data(), 1, kUsageBody.size(), stdout);
      return kExitSuccess;
    case Request::Version:
      std::printf("durno %s\n", DURNO_VERSION);
      return kExitSuccess;
    case Request::Misuse:
      return kExitUsage;
    case Request::Dialogue:
      break;
  }
  // Tables written at a lower precision would hold wrong digits without a sign of it.
  if (!durno::selectExtendedPrecision()) {
    std::fputs("durno: the x87 unit cannot be set to 64-bit precision\n", stderr);
    return kExitTableNotWritten;
  }
  try {
    return runInteractive();
  } catch (const std::exception& error) {
    // Nothing below throws on purpose; this only keeps an unforeseen failure readable.
    std::fprintf(stderr, "durno: %s\n", error.what());
    return kExitTableNotWritten;
  }
}
