#include "app/command_line.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <thread>
#include <vector>

#include "convert/text_ops.hpp"
#include "extract/quantity.hpp"
#include "plot/plot.hpp"

namespace durno {

namespace {

constexpr std::string_view kDefaultTableName = "Zepres";

enum class Option {
  Quantity,
  Compound,
  CompoundList,
  Key,
  FileList,
  Output,
  Format,
  SaveCompoundList,
  SaveFileList,
  Quiet,
  Jobs,
  Plot,
  PlotX,
  PlotColumns,
  PlotLog,
  PlotLinear,
  ListCompounds,
  AllCompounds,
  Help,
  Version,
};

// The requests an option may be part of. Help and Version belong to none: they come alone.
enum Uses : unsigned {
  kNone = 0,
  kDialogue = 1u << 0,
  kExtract = 1u << 1,
  kPlot = 1u << 2,
  kList = 1u << 3,
};

struct OptionRow {
  std::string_view shortName;  // empty when there is none
  std::string_view longName;
  Option option;
  bool takesArgument;
  bool repeatable;  // else "given twice" is a usage problem
  unsigned uses;
};

// Every option the program takes. --help and the manual page describe the same set.
constexpr OptionRow kOptions[] = {
    {"-q", "--quantity", Option::Quantity, true, false, kExtract | kList},
    {"-c", "--compound", Option::Compound, true, true, kExtract},
    {"-C", "--compound-list", Option::CompoundList, true, true, kExtract},
    {"-k", "--key", Option::Key, true, true, kExtract},
    {"-L", "--file-list", Option::FileList, true, true, kExtract | kList},
    {"-o", "--output", Option::Output, true, false, kExtract | kPlot},
    {"", "--format", Option::Format, true, false, kExtract | kList},
    {"", "--save-compound-list", Option::SaveCompoundList, true, false, kExtract},
    {"", "--save-file-list", Option::SaveFileList, true, false, kExtract},
    {"", "--quiet", Option::Quiet, false, true, kExtract},
    {"-j", "--jobs", Option::Jobs, true, true, kDialogue | kExtract | kList},
    {"", "--plot", Option::Plot, true, false, kPlot},
    {"", "--x", Option::PlotX, true, false, kPlot},
    {"", "--columns", Option::PlotColumns, true, true, kPlot},
    {"", "--log", Option::PlotLog, false, false, kPlot},
    {"", "--linear", Option::PlotLinear, false, false, kPlot},
    {"", "--list-compounds", Option::ListCompounds, false, false, kList},
    {"", "--all-compounds", Option::AllCompounds, false, false, kExtract},
    {"-h", "--help", Option::Help, false, false, kNone},
    {"", "--version", Option::Version, false, false, kNone},
};

// The Windows way of asking for help, where the system takes it so.
constexpr std::string_view kSlashHelp = "/?";

const OptionRow* helpOption() {
  for (const OptionRow& row : kOptions) {
    if (row.option == Option::Help) return &row;
  }
  return nullptr;
}

// One option as the command line gives it.
struct GivenOption {
  const OptionRow* row;
  std::string_view name;   // as typed, without an attached value: "-q" or "--quantity"
  std::string_view value;  // empty for an option without an argument
};

struct Words {
  std::vector<GivenOption> options;
  std::vector<std::string_view> operands;
};

std::string quotedArgument(std::string_view argument) {
  std::string quoted = "'";
  quoted.append(argument).append("'");
  return quoted;
}

// The option a word names; value is set when the word carries it ("-qA", "--quantity=A").
// Null for no known option.
const OptionRow* optionOf(std::string_view word, std::optional<std::string_view>& value,
                          std::string_view& name) {
  for (const OptionRow& row : kOptions) {
    if (!row.shortName.empty() && word.starts_with(row.shortName)) {
      name = row.shortName;
      if (word.size() == row.shortName.size()) return &row;
      if (row.takesArgument) {
        value = word.substr(row.shortName.size());
        return &row;
      }
    }
    name = row.longName;
    if (word == row.longName) return &row;
    if (row.takesArgument && word.starts_with(row.longName) && word[row.longName.size()] == '=') {
      value = word.substr(row.longName.size() + 1);
      return &row;
    }
  }
  return nullptr;
}

bool isOperand(std::string_view word) {
  return word.size() < 2 || word[0] != '-';
}

// Splits the arguments into options and operands; the problem, if any, is the first word
// that cannot be read as either.
std::string splitWords(std::span<const std::string_view> arguments, bool slashHelp, Words& words) {
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string_view word = arguments[at];
    if (word == "--") {
      words.operands.insert(words.operands.end(), arguments.begin() + at + 1, arguments.end());
      return {};
    }
    if (slashHelp && word == kSlashHelp) {
      words.options.push_back({helpOption(), word, {}});
      continue;
    }
    if (isOperand(word)) {
      words.operands.push_back(word);
      continue;
    }
    std::optional<std::string_view> value;
    std::string_view name;
    const OptionRow* row = optionOf(word, value, name);
    if (row == nullptr) return "unknown option " + quotedArgument(word);
    if (row->takesArgument && !value) {
      if (at + 1 == arguments.size()) return "missing argument after " + quotedArgument(word);
      value = arguments[++at];
    }
    if (row->takesArgument && value->empty()) {
      return "empty argument after " + quotedArgument(word);
    }
    words.options.push_back({row, name, value.value_or("")});
  }
  return {};
}

const GivenOption* firstOf(const Words& words, std::initializer_list<Option> options) {
  for (const GivenOption& given : words.options) {
    if (std::find(options.begin(), options.end(), given.row->option) != options.end()) {
      return &given;
    }
  }
  return nullptr;
}

// Which request the words make, before their values are looked at.
RequestKind kindOf(const Words& words) {
  if (const GivenOption* alone = firstOf(words, {Option::Help, Option::Version})) {
    return alone->row->option == Option::Help ? RequestKind::Help : RequestKind::Version;
  }
  if (firstOf(words, {Option::Plot}) != nullptr) return RequestKind::Plot;
  if (firstOf(words, {Option::ListCompounds}) != nullptr) return RequestKind::ListCompounds;
  const bool onlyDialogue =
      std::all_of(words.options.begin(), words.options.end(),
                  [](const GivenOption& given) { return (given.row->uses & kDialogue) != 0; });
  return onlyDialogue && words.operands.empty() ? RequestKind::Dialogue : RequestKind::Extract;
}

// Each option once unless it may be repeated, and each part of the request it makes.
std::string optionsProblem(const Words& words, unsigned use, std::string_view requestName) {
  for (std::size_t at = 0; at < words.options.size(); ++at) {
    const GivenOption& given = words.options[at];
    if ((given.row->uses & use) == 0) {
      return "the option " + quotedArgument(given.name) + " does not go with " +
             std::string(requestName);
    }
    if (given.row->repeatable) continue;
    for (std::size_t before = 0; before < at; ++before) {
      if (words.options[before].row == given.row) {
        return "the option " + quotedArgument(given.name) + " is given twice";
      }
    }
  }
  return {};
}

std::string jobsProblem(std::string_view value, int& jobs) {
  int count = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
  if (error != std::errc() || end != value.data() + value.size() || count < 1 ||
      count > kMostJobs) {
    return "the number of jobs must be 1 to " + std::to_string(kMostJobs) + ", not " +
           quotedArgument(value);
  }
  jobs = count;
  return {};
}

// The comma-separated items of an argument, without the blanks around each, into items;
// an empty item is the problem emptyItem names.
std::string splitList(std::string_view list, std::string_view emptyItem,
                      std::vector<std::string>& items) {
  for (std::size_t at = 0;;) {
    const std::size_t comma = list.find(',', at);
    const std::string_view item = withoutBlanksAround(list.substr(at, comma - at));
    if (item.empty()) return std::string(emptyItem) + quotedArgument(list);
    items.emplace_back(item);
    if (comma == std::string_view::npos) return {};
    at = comma + 1;
  }
}

// The formulas of a -c argument: a blank kept in a formula would make a key that matches
// only some of its lines ("SiO2, MgO").
std::string splitFormulas(std::string_view list, std::vector<std::string>& formulas) {
  return splitList(list, "an empty formula in the compounds ", formulas);
}

// --list-compounds takes several codes at once ("AG"), each one of the menu's.
std::string listCodesProblem(std::string_view codes) {
  for (const char code : codes) {
    if (!Quantity::fromCode(std::string_view(&code, 1)).known()) {
      return "unknown quantity " + quotedArgument(std::string_view(&code, 1)) + ": use " +
             Quantity::codesText();
    }
  }
  return {};
}

// The table's name: NAME itself when it ends in the format's extension, in any case, else
// NAME with it.
std::string tableNameOf(std::string_view name, TableFormat format) {
  const std::string_view extension = tableExtensionOf(format);
  if (name.size() >= extension.size() &&
      lowerCase(name.substr(name.size() - extension.size())) == extension) {
    return std::string(name);
  }
  return std::string(name) + std::string(extension);
}

// The comma-separated codes of a -q argument, each one a table can hold.
std::string takeQuantities(std::string_view value, CommandLineJob& job) {
  for (std::size_t at = 0;;) {
    const std::size_t comma = value.find(',', at);
    const std::string code = upperCase(value.substr(at, comma - at));
    // The dialogue takes any letter; a command line only the quantities a table can hold.
    if (!Quantity::fromCode(code).known()) {
      return "unknown quantity " + quotedArgument(value) + ": use " + Quantity::codesText();
    }
    job.quantityCodes.push_back(code);
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }
  job.quantityCode = job.quantityCodes.front();
  return {};
}

std::string takeFormat(std::string_view value, TableFormat& format) {
  constexpr std::pair<std::string_view, TableFormat> kFormats[] = {
      {"dat", TableFormat::Dat}, {"csv", TableFormat::Csv}, {"tsv", TableFormat::Tsv}};
  for (const auto& [name, named] : kFormats) {
    if (value == name) {
      format = named;
      return {};
    }
  }
  return "unknown format " + quotedArgument(value) + ": use dat, csv or tsv";
}

std::string takeExtractionOption(const GivenOption& given, Request& request) {
  CommandLineJob& job = request.job;
  const std::string_view value = given.value;
  switch (given.row->option) {
    case Option::Quantity:
      if (request.kind == RequestKind::ListCompounds) {
        // Several codes at once, with or without commas between them ("AG", "A,G").
        for (const char code : upperCase(value)) {
          if (code != ',') job.quantityCode.push_back(code);
        }
        return listCodesProblem(job.quantityCode);
      }
      return takeQuantities(value, job);
    case Option::Compound: {
      CompoundSource source;
      std::string problem = splitFormulas(value, source.formulas);
      job.compounds.push_back(std::move(source));
      return problem;
    }
    case Option::CompoundList:
      job.compounds.push_back({CompoundSource::Kind::List, {}, std::string(value)});
      return {};
    case Option::Key:
      job.compounds.push_back({CompoundSource::Kind::Key, {}, std::string(value)});
      return {};
    case Option::FileList:
      job.fileLists.emplace_back(value);
      return {};
    case Option::Output:
      // The extension follows from --format, which may come later.
      job.tableToStandardOutput = value == "-";
      job.tableName =
          job.tableToStandardOutput ? std::string(kStandardOutputTableName) : std::string(value);
      return {};
    case Option::Format:
      return takeFormat(value, job.format);
    case Option::SaveCompoundList:
      job.compoundListToSave = value;
      return {};
    case Option::SaveFileList:
      job.fileListToSave = value;
      return {};
    case Option::Quiet:
      job.quiet = true;
      return {};
    case Option::Jobs:
      return jobsProblem(value, request.jobs);
    case Option::AllCompounds:
      job.allCompounds = true;
      return {};
    case Option::ListCompounds:
    case Option::Plot:
    case Option::PlotX:
    case Option::PlotColumns:
    case Option::PlotLog:
    case Option::PlotLinear:
    case Option::Help:
    case Option::Version:
      break;
  }
  return {};
}

std::string takeOptions(const Words& words, Request& request) {
  for (const GivenOption& given : words.options) {
    if (std::string problem = takeExtractionOption(given, request); !problem.empty()) {
      return problem;
    }
  }
  return {};
}

std::string extractionProblem(const Words& words, Request& request) {
  request.job.tableName = kDefaultTableName;
  if (std::string problem = takeOptions(words, request); !problem.empty()) return problem;
  if (firstOf(words, {Option::Quantity}) == nullptr) {
    return "no quantity: -q " + Quantity::codesText() + " is required";
  }
  CommandLineJob& job = request.job;
  if (job.quantityCodes.size() > 1 && job.format == TableFormat::Dat) {
    return "several quantities need --format csv or tsv: a .dat table's label line names one";
  }
  if (!job.tableToStandardOutput) job.tableName = tableNameOf(job.tableName, job.format);
  for (const std::string_view operand : words.operands)
    request.job.resultFiles.emplace_back(operand);
  request.job.jobs = request.jobs;
  return {};
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
  if (name == kStandardOutputName) return true;
  constexpr std::string_view kExtension = ".svg";
  return name.size() > kExtension.size() &&
         lowerCase(name.substr(name.size() - kExtension.size())) == kExtension;
}

std::string takePlotChoices(const Words& words, PlotChoices& choices) {
  for (const GivenOption& given : words.options) {
    switch (given.row->option) {
      case Option::PlotX:
        choices.x = withoutBlanksAround(given.value);
        break;
      case Option::PlotColumns:
        if (std::string problem =
                splitList(given.value, "an empty column name in ", choices.columns);
            !problem.empty()) {
          return problem;
        }
        break;
      case Option::PlotLog:
      case Option::PlotLinear:
        if (choices.scale != YScale::Automatic) {
          return "the options '--log' and '--linear' do not go together";
        }
        choices.scale = given.row->option == Option::PlotLog ? YScale::Logarithmic : YScale::Linear;
        break;
      default:
        break;
    }
  }
  return {};
}

std::string plotProblem(const Words& words, PlotRequest& plot) {
  if (!words.operands.empty()) return "unexpected argument " + quotedArgument(words.operands[0]);
  if (std::string problem = takePlotChoices(words, plot.choices); !problem.empty()) return problem;
  plot.table = firstOf(words, {Option::Plot})->value;
  const GivenOption* picture = firstOf(words, {Option::Output});
  plot.picture = picture != nullptr ? std::string(picture->value) : pictureBeside(plot.table);
  if (!isPictureName(plot.picture)) {
    return "picture name not ending in .svg (or - for standard output): " +
           quotedArgument(plot.picture);
  }
  return {};
}

// --list-compounds: the codes of the menu unless -q names some, and at least one file.
std::string listProblem(const Words& words, Request& request) {
  if (std::string problem = optionsProblem(words, kList, "--list-compounds"); !problem.empty()) {
    return problem;
  }
  if (std::string problem = takeOptions(words, request); !problem.empty()) return problem;
  if (request.job.quantityCode.empty()) {
    for (const QuantityKind& kind : Quantity::kinds())
      request.job.quantityCode += kind.code;
  }
  for (const std::string_view operand : words.operands)
    request.job.resultFiles.emplace_back(operand);
  request.job.jobs = request.jobs;
  if (request.job.format == TableFormat::Tsv) {
    return "the list of compounds is text, or CSV with --format csv";
  }
  if (request.job.resultFiles.empty() && request.job.fileLists.empty()) {
    return "no result file was named";
  }
  return {};
}

std::string requestProblem(const Words& words, std::size_t argumentCount, Request& request) {
  switch (request.kind) {
    case RequestKind::Help:
    case RequestKind::Version:
      if (argumentCount == 1) return {};
      return "the option " + quotedArgument(firstOf(words, {Option::Help, Option::Version})->name) +
             " comes alone";
    case RequestKind::Plot:
      if (std::string problem = optionsProblem(words, kPlot, "--plot"); !problem.empty()) {
        return problem;
      }
      return plotProblem(words, request.plot);
    case RequestKind::ListCompounds:
      return listProblem(words, request);
    case RequestKind::Dialogue:
    case RequestKind::Extract:
      if (std::string problem = optionsProblem(words, kDialogue | kExtract, "an extraction");
          !problem.empty()) {
        return problem;
      }
      return request.kind == RequestKind::Extract ? extractionProblem(words, request)
                                                  : takeOptions(words, request);
    case RequestKind::Misuse:
      break;
  }
  return {};
}

// The first line of the usage text, also shown alone after a bad argument.
constexpr std::string_view kUsageLine =
    "Usage: durno [-j N] | -q CODE [OPTION]... RESULT-FILE...\n"
    "       | --plot TABLE [OPTION]... | --list-compounds [-q CODES] RESULT-FILE...\n";

// Everything of --help after its first line; the quantity codes are put in where "%q" stands.
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
    "With --plot it draws a table it wrote (.dat, .csv or .tsv) as an SVG picture\n"
    "for any web browser: one curve per key column against the row number or a\n"
    "column, broken and named where each result file begins.\n"
    "\n"
    "Files:\n"
    "  *.cpd  compound list: a count line, then one compound key per line\n"
    "  *.xtr  file list: a count line, then one result-file name per line\n"
    "  *.dat  the table: source line, quantity label, titles, one row per step\n"
    "  *.csv, *.tsv  the table for analysis tools: pandas.read_csv('NAME.csv')\n"
    "  *.svg  the picture of a table\n"
    "\n"
    "Extraction options:\n"
    "  -q, --quantity CODE       %q (required); with --format csv or tsv\n"
    "                            several, comma-separated (-q A,G)\n"
    "  -c, --compound LIST       formulas, comma-separated (blanks around each are\n"
    "                            dropped); may be repeated\n"
    "  --all-compounds           also every other compound of the quantity found in\n"
    "                            the result files (at most 50 in all)\n"
    "  -C, --compound-list FILE  the keys of a compound list\n"
    "  -k, --key TEXT            a key used exactly as given, for example\n"
    "                            'TEMPERATURE (K)'; may be repeated\n"
    "  -L, --file-list FILE      the result files of a file list, before those named\n"
    "  -o, --output NAME         the table NAME.dat (default Zepres.dat); - for\n"
    "                            standard output\n"
    "  --format dat|csv|tsv      the table: NAME.dat (default), or NAME.csv or\n"
    "                            NAME.tsv with a header row and one row per step\n"
    "                            line of each file, holding that step's own values\n"
    "  --save-compound-list FILE, --save-file-list FILE\n"
    "                            also save the keys or the result-file names as lists\n"
    "  --quiet                   no progress and no closing line\n"
    "  -j, --jobs N              threads that scan result files (1 to 16; default:\n"
    "                            the cores); also with the dialogue\n"
    "\n"
    "Other options:\n"
    "  -h, --help       show this text and exit\n"
    "  --version        show the version and exit\n"
    "  --plot NAME.dat  draw the table (or NAME.csv, NAME.tsv) as NAME.svg beside\n"
    "                   it, and exit\n"
    "  --list-compounds  list, for each quantity code (all, or those of -q CODES),\n"
    "                   the formulas found in the result files (and those of -L),\n"
    "                   with the key -c makes, files and steps; -j as above\n"
    "\n"
    "Picture options (with --plot):\n"
    "  -o PICTURE.svg   the picture's name instead (ending in .svg), or - for\n"
    "                   standard output\n"
    "  --x COLUMN       the x axis: row (the default), step, VAP, WTVAP, PTOT or a\n"
    "                   key column such as 'TEMPERATURE (K)'\n"
    "  --columns LIST   draw only these columns, comma-separated; may be repeated\n"
    "  --log, --linear  the y axis's scale, where the automatic one is not wanted\n"
    "\n"
    "Exit status: 0 table written (or ESC at the start screen), 1 table (or a list\n"
    "asked for) not written, 2 a command line that cannot be run or answers that\n"
    "ended early, 3 table written but some result files could not be read, 4 table\n"
    "written but a compound list of the dialogue could not be read, 128+N ended by\n"
    "signal N during extraction.\n"
    "With --list-compounds: 0 listed, 1 list not written, 2 bad arguments, 3 some\n"
    "result files could not be read.\n"
    "With --plot: 0 picture written, 1 picture not written, 2 bad arguments or a\n"
    "table that is missing, is not a DURNO table or has nothing to plot, 128+N ended\n"
    "by signal N (a picture it replaces is kept).\n";

}  // namespace

std::vector<std::string_view> optionNames() {
  std::vector<std::string_view> names;
  for (const OptionRow& row : kOptions) {
    if (!row.shortName.empty()) names.push_back(row.shortName);
    names.push_back(row.longName);
  }
  return names;
}

std::string_view usageLine() {
  return kUsageLine;
}

std::string usageText() {
  std::string text(kUsageLine);
  text.append(kUsageBody);
  const std::size_t codes = text.find("%q");
  return text.replace(codes, 2, Quantity::codesText());
}

int defaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, static_cast<unsigned>(kMostJobs)));
}

Request parseCommandLine(std::span<const std::string_view> arguments, int defaultJobs,
                         bool slashHelp) {
  Request request;
  request.jobs = defaultJobs;
  Words words;
  std::string problem = splitWords(arguments, slashHelp, words);
  if (problem.empty()) {
    request.kind = kindOf(words);
    problem = requestProblem(words, arguments.size(), request);
  }
  if (problem.empty()) return request;
  Request misuse;
  misuse.kind = RequestKind::Misuse;
  misuse.problem = std::move(problem);
  return misuse;
}

}  // namespace durno
