// The program entry: reads nothing but its own arguments, prepares the console and the
// file system, runs the dialogue, and turns what happened into the exit status.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.hpp"
#include "app/system.hpp"
#include "console/console.hpp"
#include "console/message_stream.hpp"
#include "console/standard_console.hpp"
#include "convert/precision_control.hpp"
#include "dialogue/closing_report.hpp"
#include "dialogue/dialogue.hpp"
#include "plot/plot.hpp"
#include "textfile/text_files.hpp"

namespace {

constexpr int kExitSuccess = 0;            // a completed run, or ESC at the banner
constexpr int kExitTableNotWritten = 1;    // the table file is missing or incomplete
constexpr int kExitUsage = 2;              // bad arguments, or the answers ran out
constexpr int kExitPictureNotWritten = 1;  // --plot: the picture could not be written
constexpr int kExitNotPlottable = 2;       // --plot: no table, or nothing in it to draw
constexpr int kExitNotShown = 1;           // --help, --version: the text could not be written
constexpr int kExitFilesUnread = 3;        // the table lacks the rows of some result file
constexpr int kExitSignalBase = 128;       // plus the number of the signal that stopped it

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
constexpr std::string_view kUsageLine =
    "Usage: durno [-j N] | -q CODE [OPTION]... RESULT-FILE... | --plot TABLE [-o SVG]\n";

constexpr std::string_view kUsageBody =
    "\n"
    "Extracts one per-compound quantity (activities, activity coefficients, oxide\n"
    "mole fractions in the silicate, gas mole fractions or gas partial pressures)\n"
    "and the step values VAP, WTVAP and PTOT from ZEPRO result files, step by step\n"
    "and file by file, into one blank-separated table NAME.dat.\n"
    "\n"
    "Started without arguments (or with -j only), it asks for the quantity, the\n"
    "compounds, the result files and the table name. With -q it runs the same\n"
    "extraction from its options without asking, for example:\n"
    "    durno -q A -c SiO2,MgO -o melts run1.out run2.out\n"
    "\n"
    "With --plot it draws a table it wrote as an SVG picture for any web browser:\n"
    "one curve per compound against the row number, a thin line where each result\n"
    "file begins.\n"
    "\n"
    "Files:\n"
    "  *.cpd  compound list: a count line, then one compound key per line\n"
    "  *.xtr  file list: a count line, then one result-file name per line\n"
    "  *.dat  the table: source line, quantity label, titles, one row per step\n"
    "  *.svg  the picture of a table\n"
    "\n"
    "Extraction options:\n"
    "  -q, --quantity CODE       A, G, F, X or P (required)\n"
    "  -c, --compound LIST       formulas, comma-separated; may be repeated\n"
    "  -C, --compound-list FILE  the keys of a compound list\n"
    "  -L, --file-list FILE      the result files of a file list, before those named\n"
    "  -o, --output NAME         the table NAME.dat (default Zepres.dat); - for\n"
    "                            standard output\n"
    "  --save-compound-list FILE, --save-file-list FILE\n"
    "                            also save the keys or the result-file names as lists\n"
    "  --quiet                   no progress and no closing line\n"
    "  -j, --jobs N              threads that scan result files (1 to 16; default:\n"
    "                            the cores); also with the dialogue\n"
    "\n"
    "Other options:\n"
    "  -h, --help       show this text and exit\n"
    "  --version        show the version and exit\n"
    "  --plot NAME.dat  draw the table as NAME.svg beside it, and exit\n"
    "  -o PICTURE.svg   with --plot: the picture's name instead (ending in .svg),\n"
    "                   or - for standard output\n"
    "\n"
    "Exit status: 0 table written (or ESC at the start screen), 1 table (or a list\n"
    "asked for) not written, 2 a command line that cannot be run or answers that\n"
    "ended early, 3 table written but some result files could not be read, 128+N\n"
    "ended by signal N during extraction.\n"
    "With --plot: 0 picture written, 1 picture not written, 2 bad arguments or a\n"
    "table that is missing, is not a DURNO table or has nothing to plot, 128+N ended\n"
    "by signal N (a picture it replaces is kept).\n";

enum class Request { Dialogue, Help, Version, Plot, Extract, Misuse };

struct CommandLine {
  Request request = Request::Dialogue;
  std::string table, picture;
  durno::CommandLineJob job;        // for Extract
  int jobs = durno::defaultJobs();  // for Extract and Dialogue
};

constexpr std::string_view kHelpHint = "Try 'durno --help' for more information.\n";

// A command line that cannot be run: one line naming the problem, then the hint.
void reportUsageProblem(std::string_view problem) {
  std::fprintf(stderr, "durno: %.*s\n", static_cast<int>(problem.size()), problem.data());
  std::fwrite(kHelpHint.data(), 1, kHelpHint.size(), stderr);
}

bool isOption(std::string_view argument) {
  return argument == "-h" || argument == "--help" || argument == "--version" ||
         argument == "--plot" || argument == "-o";
}

void reportMisuse(const char* problem, std::string_view argument) {
  reportUsageProblem(std::string(problem) + " '" + std::string(argument) + "'");
}

// The table's name with ".svg" in place of its extension (or added, when it has none).
std::string pictureBeside(const std::string& table) {
  const auto nameStart = table.find_last_of("/\\");
  const auto dot = table.rfind('.');
  const bool extension = dot != std::string::npos && dot != 0 &&
                         (nameStart == std::string::npos || dot > nameStart + 1);
  return (extension ? table.substr(0, dot) : table) + ".svg";
}

// A picture is an .svg file, in any case, or standard output: any other name could be a
// result file or a table, which a picture would replace.
bool isPictureName(std::string_view name) {
  if (name == durno::kStandardOutputName) return true;
  constexpr std::string_view kExtension = ".svg";
  if (name.size() <= kExtension.size()) return false;
  const std::string_view end = name.substr(name.size() - kExtension.size());
  for (std::size_t at = 0; at < end.size(); ++at) {
    if ((end[at] | 0x20) != kExtension[at]) return false;
  }
  return true;
}

// `--plot TABLE` and `-o PICTURE`, in either order; each option once, each with its name.
CommandLine plotRequest(int argc, char** argv) {
  CommandLine line{Request::Plot, {}, {}, {}};
  for (int at = 1; at < argc; at += 2) {
    const std::string_view option = argv[at];
    std::string* name = option == "--plot" ? &line.table : option == "-o" ? &line.picture : nullptr;
    if (name == nullptr || !name->empty()) {
      const bool unknownOption = option.size() > 1 && option[0] == '-' && !isOption(option);
      reportMisuse(unknownOption ? "unknown option" : "unexpected argument", option);
      return {Request::Misuse, {}, {}, {}};
    }
    if (at + 1 == argc || std::string_view(argv[at + 1]).empty()) {
      reportMisuse("missing file name after", option);
      return {Request::Misuse, {}, {}, {}};
    }
    *name = argv[at + 1];
  }
  if (line.table.empty()) {
    reportMisuse("unexpected argument", "-o");
    return {Request::Misuse, {}, {}, {}};
  }
  if (line.picture.empty()) line.picture = pictureBeside(line.table);
  if (!isPictureName(line.picture)) {
    reportMisuse("picture name not ending in .svg (or - for standard output):", line.picture);
    return {Request::Misuse, {}, {}, {}};
  }
  return line;
}

// What the command line asks for. A misuse is reported here, on standard error: the
// first argument that is not understood, then the usage line.
CommandLine commandLineOf(int argc, char** argv) {
  if (argc == 1) return {};
  const std::string_view first = argv[1];
  if (argc == 2 && (first == "-h" || first == "--help")) return {Request::Help, {}, {}, {}};
  if (argc == 2 && first == "--version") return {Request::Version, {}, {}, {}};
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  for (const std::string_view argument : arguments) {
    if (argument == "--plot") return plotRequest(argc, argv);
  }
  int jobs = durno::defaultJobs();
  if (const std::string problem = durno::takeJobsOption(arguments, jobs); !problem.empty()) {
    reportUsageProblem(problem);
    return {Request::Misuse, {}, {}, {}};
  }
  if (arguments.empty()) {
    CommandLine line;
    line.jobs = jobs;
    return line;
  }
  for (const std::string_view argument : arguments) {
    if (argument == "-h" || argument == "--help" || argument == "--version") {
      std::string problem = "the option '";
      reportUsageProblem(problem.append(argument).append("' comes alone"));
      return {Request::Misuse, {}, {}, {}};
    }
  }
  // Anything else is an extraction driven by the command line.
  CommandLine line{Request::Extract, {}, {}, {}};
  if (const std::string problem = durno::parseExtractionArguments(arguments, line.job);
      !problem.empty()) {
    reportUsageProblem(problem);
    return {Request::Misuse, {}, {}, {}};
  }
  line.job.jobs = jobs;
  return line;
}

// Every --plot message goes to standard error: standard output may be the picture.
int runPlot(const CommandLine& line) {
  const std::unique_ptr<durno::StopSignals> stopSignals = durno::consoleFreeStopSignals();
  const durno::StopFlag& stop = stopSignals->hold();
  const std::unique_ptr<durno::FileSystem> fileSystem = durno::systemFileSystem();
  durno::TextFiles files(*fileSystem);
  const durno::PlotOutcome outcome = durno::plotTable(files, line.table, line.picture, &stop);
  const bool toOutput = line.picture == durno::kStandardOutputName;
  const std::string picture = toOutput ? "standard output" : "\"" + line.picture + "\"";
  switch (outcome.end) {
    case durno::PlotEnd::Drawn:
      std::fprintf(stderr, "Picture written to %s\n",
                   toOutput ? picture.c_str() : line.picture.c_str());
      return kExitSuccess;
    case durno::PlotEnd::Stopped:
      std::fprintf(stderr, "durno: interrupted by %s: picture not written, %s %s\n",
                   durno::signalName(outcome.stopSignal).c_str(), picture.c_str(),
                   toOutput ? "may hold a part of it" : "is as it was");
      return kExitSignalBase + outcome.stopSignal;
    case durno::PlotEnd::NotPlottable:
      std::fprintf(stderr, "durno: %s\n", outcome.reason.c_str());
      return kExitNotPlottable;
    case durno::PlotEnd::NotWritten:
      break;
  }
  std::fprintf(stderr, "durno: %s\n", outcome.reason.c_str());
  return kExitPictureNotWritten;
}

// An extraction the command line describes: no banner, no prompt, standard input never
// read; messages and the progress line on standard error.
int runExtractionCommand(const durno::CommandLineJob& job) {
  const std::unique_ptr<durno::StopSignals> stopSignals = durno::consoleFreeStopSignals();
  const durno::StopFlag& stop = stopSignals->hold();
  const std::unique_ptr<durno::FileSystem> fileSystem = durno::systemFileSystem();
  durno::TextFiles files(*fileSystem);
  const std::unique_ptr<durno::MessageStream> messages = durno::standardErrorStream();
  const durno::CommandLineOutcome outcome = durno::runCommandLine(job, files, *messages, &stop);
  if (!outcome.usageProblem.empty()) {
    reportUsageProblem(outcome.usageProblem);
    return kExitUsage;
  }
  const int status = exitStatus(outcome.run);
  // A list asked for and not saved is a file not written, unless worse happened.
  if (outcome.listNotSaved && status == kExitSuccess) return kExitTableNotWritten;
  return status;
}

// Writes text to standard output; a text that could not be written all is said on
// standard error (a full disk, a closed pipe), as the status says.
int show(std::string_view text, const char* what) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return kExitSuccess;
  std::fprintf(stderr, "durno: the %s could not be written: %s\n", what, std::strerror(errno));
  return kExitNotShown;
}

int runInteractive(int jobs) {
  std::string endedWhile;
  {
    durno::StandardConsole standardConsole;
    const std::unique_ptr<durno::FileSystem> fileSystem = durno::systemFileSystem();
    durno::TextFiles files(*fileSystem);
    try {
      return exitStatus(
          durno::runDialogue(standardConsole.console(), files, &standardConsole, jobs));
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
  std::string problem;
  std::vector<std::string> arguments = durno::commandLineArguments(argc, argv, problem);
  if (!problem.empty()) {
    reportUsageProblem(problem);
    return kExitUsage;
  }
  std::vector<char*> argumentTexts;
  for (std::string& argument : arguments)
    argumentTexts.push_back(argument.data());
  argumentTexts.push_back(nullptr);
  const CommandLine line = commandLineOf(static_cast<int>(arguments.size()), argumentTexts.data());
  switch (line.request) {
    case Request::Help:
      return show(std::string(kUsageLine) + std::string(kUsageBody), "help text");
    case Request::Version:
      return show("durno " DURNO_VERSION "\n", "version");
    case Request::Misuse:
      return kExitUsage;
    case Request::Plot:
    case Request::Extract:
    case Request::Dialogue:
      break;
  }
  // Tables written at a lower precision would hold wrong digits without a sign of it.
  if (!durno::selectExtendedPrecision()) {
    std::fputs("durno: the x87 unit cannot be set to 64-bit precision\n", stderr);
    return kExitTableNotWritten;
  }
  if (line.request == Request::Plot) return runPlot(line);
  if (line.request == Request::Extract) return runExtractionCommand(line.job);
  try {
    return runInteractive(line.jobs);
  } catch (const std::exception& error) {
    // Nothing below throws on purpose; this only keeps an unforeseen failure readable.
    std::fprintf(stderr, "durno: %s\n", error.what());
    return kExitTableNotWritten;
  }
}
