#include "app/command_line.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <thread>

#include "convert/text_ops.hpp"
#include "extract/quantity.hpp"

namespace durno {

namespace {

constexpr std::string_view kTableExtension = ".dat";
constexpr std::string_view kDefaultTableName = "Zepres.dat";

enum class Option {
  Quantity,
  Compound,
  CompoundList,
  FileList,
  Output,
  SaveCompoundList,
  SaveFileList,
  Quiet,
};

struct OptionName {
  std::string_view shortName;  // empty when there is none
  std::string_view longName;
  Option option;
  bool takesArgument;
};

constexpr OptionName kOptions[] = {
    {"-q", "--quantity", Option::Quantity, true},
    {"-c", "--compound", Option::Compound, true},
    {"-C", "--compound-list", Option::CompoundList, true},
    {"-L", "--file-list", Option::FileList, true},
    {"-o", "--output", Option::Output, true},
    {"", "--save-compound-list", Option::SaveCompoundList, true},
    {"", "--save-file-list", Option::SaveFileList, true},
    {"", "--quiet", Option::Quiet, false},
};

std::string quotedArgument(std::string_view argument) {
  std::string quoted = "'";
  quoted.append(argument).append("'");
  return quoted;
}

// The option an argument names, and its value when the argument carries it ('-qA',
// '--quantity=A'); null for no known option.
const OptionName* optionOf(std::string_view argument, std::optional<std::string_view>& value) {
  for (const OptionName& name : kOptions) {
    if (!name.shortName.empty() && argument.starts_with(name.shortName)) {
      if (argument.size() == 2) return &name;
      if (name.takesArgument) {
        value = argument.substr(2);
        return &name;
      }
    }
    if (argument == name.longName) return &name;
    if (name.takesArgument && argument.starts_with(name.longName) &&
        argument[name.longName.size()] == '=') {
      value = argument.substr(name.longName.size() + 1);
      return &name;
    }
  }
  return nullptr;
}

// The comma-separated formulas of a -c argument.
std::string splitFormulas(std::string_view list, std::vector<std::string>& formulas) {
  for (std::size_t at = 0;;) {
    const std::size_t comma = list.find(',', at);
    const std::string_view formula = list.substr(at, comma - at);
    if (formula.empty()) return "an empty formula in the compounds " + quotedArgument(list);
    formulas.emplace_back(formula);
    if (comma == std::string_view::npos) return {};
    at = comma + 1;
  }
}

std::string tableNameOf(std::string_view name) {
  if (name.size() >= kTableExtension.size() &&
      lowerCase(name.substr(name.size() - kTableExtension.size())) == kTableExtension) {
    return std::string(name);
  }
  return std::string(name) + std::string(kTableExtension);
}

// Sets text from an option that may be given once.
std::string setOnce(std::string& text, bool& given, std::string_view value,
                    std::string_view option) {
  if (given) return "the option " + quotedArgument(option) + " is given twice";
  given = true;
  text = value;
  return {};
}

struct Seen {
  bool quantity = false, output = false, saveCompounds = false, saveFiles = false;
};

std::string takeOption(const OptionName& name, std::string_view value, std::string_view argument,
                       CommandLineJob& job, Seen& seen) {
  switch (name.option) {
    case Option::Quantity: {
      const std::string code = upperCase(value);
      // The dialogue takes any letter; a command line only the quantities a table can hold.
      if (!Quantity::fromCode(code).known()) {
        return "unknown quantity " + quotedArgument(value) + ": use A, G, F, X or P";
      }
      return setOnce(job.quantityCode, seen.quantity, code, argument);
    }
    case Option::Compound: {
      CompoundSource source;
      std::string problem = splitFormulas(value, source.formulas);
      job.compounds.push_back(std::move(source));
      return problem;
    }
    case Option::CompoundList:
      job.compounds.push_back({CompoundSource::Kind::List, {}, std::string(value)});
      return {};
    case Option::FileList:
      job.fileLists.emplace_back(value);
      return {};
    case Option::Output: {
      std::string name;
      if (std::string problem = setOnce(name, seen.output, value, argument); !problem.empty()) {
        return problem;
      }
      job.tableToStandardOutput = name == "-";
      job.tableName =
          job.tableToStandardOutput ? std::string(kStandardOutputTableName) : tableNameOf(name);
      return {};
    }
    case Option::SaveCompoundList:
      return setOnce(job.compoundListToSave, seen.saveCompounds, value, argument);
    case Option::SaveFileList:
      return setOnce(job.fileListToSave, seen.saveFiles, value, argument);
    case Option::Quiet:
      job.quiet = true;
      return {};
  }
  return {};
}

}  // namespace

int defaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, static_cast<unsigned>(kMostJobs)));
}

std::string takeJobsOption(std::vector<std::string_view>& arguments, int& jobs) {
  std::vector<std::string_view> rest;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string_view argument = arguments[at];
    if (argument == "--") {
      rest.insert(rest.end(), arguments.begin() + static_cast<std::ptrdiff_t>(at), arguments.end());
      break;
    }
    std::string_view value;
    if (argument == "-j" || argument == "--jobs") {
      if (at + 1 == arguments.size()) return "missing argument after " + quotedArgument(argument);
      value = arguments[++at];
    } else if (argument.starts_with("--jobs=")) {
      value = argument.substr(7);
    } else if (argument.starts_with("-j")) {
      value = argument.substr(2);
    } else {
      rest.push_back(argument);
      continue;
    }
    int count = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
    if (error != std::errc() || end != value.data() + value.size() || count < 1 ||
        count > kMostJobs) {
      return "the number of jobs must be 1 to " + std::to_string(kMostJobs) + ", not " +
             quotedArgument(value);
    }
    jobs = count;
  }
  arguments = std::move(rest);
  return {};
}

std::string parseExtractionArguments(std::span<const std::string_view> arguments,
                                     CommandLineJob& job) {
  job.tableName = kDefaultTableName;
  Seen seen;
  bool optionsEnded = false;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string_view argument = arguments[at];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      job.resultFiles.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    std::optional<std::string_view> value;
    const OptionName* name = optionOf(argument, value);
    if (name == nullptr) return "unknown option " + quotedArgument(argument);
    if (name->takesArgument && !value) {
      if (at + 1 == arguments.size()) return "missing argument after " + quotedArgument(argument);
      value = arguments[++at];
    }
    if (name->takesArgument && value->empty()) {
      return "empty argument after " + quotedArgument(argument);
    }
    const std::string_view optionText = name->shortName.empty() ? name->longName : argument;
    if (std::string problem = takeOption(*name, value.value_or(""), optionText, job, seen);
        !problem.empty()) {
      return problem;
    }
  }
  if (!seen.quantity) return "no quantity: -q A, G, F, X or P is required";
  return {};
}

}  // namespace durno
