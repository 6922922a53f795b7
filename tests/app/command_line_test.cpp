// The command line read in one pass: each case gives the arguments and what they ask for,
// written out in one line, or the one problem they are refused with.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.hpp"
#include "convert/text_ops.hpp"
#include "extract/quantity.hpp"

namespace durno {
namespace {

constexpr int kDefaultJobs = 4;

std::vector<std::string> wordsOf(const std::string& arguments) {
  std::vector<std::string> words;
  std::istringstream in(arguments);
  for (std::string word; in >> word;) {
    std::replace(word.begin(), word.end(), '~', ' ');  // a blank inside one word
    words.push_back(word == "''" ? std::string() : word);
  }
  return words;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text = "[";
  for (const std::string& name : names)
    text += (text.size() > 1 ? "," : "") + name;
  return text + "]";
}

// The request in one line: only what the kind of request uses.
std::string described(const Request& request) {
  switch (request.kind) {
    case RequestKind::Misuse:
      return "misuse: " + request.problem;
    case RequestKind::Help:
      return "help";
    case RequestKind::Version:
      return "version";
    case RequestKind::Dialogue:
      return "dialogue -j " + std::to_string(request.jobs);
    case RequestKind::Plot: {
      const PlotChoices& choices = request.plot.choices;
      std::string text = "plot " + request.plot.table + " -> " + request.plot.picture;
      if (!choices.x.empty()) text += " x " + choices.x;
      if (!choices.columns.empty()) text += " columns " + joined(choices.columns);
      if (choices.scale != YScale::Automatic)
        text += choices.scale == YScale::Logarithmic ? " log" : " linear";
      return text;
    }
    case RequestKind::ListCompounds:
      return "list -j " + std::to_string(request.job.jobs) + " -q " + request.job.quantityCode +
             " -L " + joined(request.job.fileLists) + " " + joined(request.job.resultFiles);
    case RequestKind::Extract:
      break;
  }
  const CommandLineJob& job = request.job;
  std::string text = "extract -j " + std::to_string(job.jobs) + " -q ";
  for (const std::string& code : job.quantityCodes)
    text.append(code == job.quantityCodes.front() ? "" : ",").append(code);
  for (const CompoundSource& source : job.compounds) {
    if (source.kind == CompoundSource::Kind::List) {
      text.append(" -C ").append(source.listName);
    } else if (source.kind == CompoundSource::Kind::Key) {
      text.append(" -k ").append(source.listName);
    } else {
      text.append(" -c ").append(joined(source.formulas));
    }
  }
  for (const std::string& list : job.fileLists)
    text.append(" -L ").append(list);
  text.append(" ").append(joined(job.resultFiles)).append(" -> ").append(job.tableName);
  if (job.tableToStandardOutput) text.append(" (stdout)");
  if (!job.compoundListToSave.empty()) text.append(" save-c ").append(job.compoundListToSave);
  if (!job.fileListToSave.empty()) text.append(" save-f ").append(job.fileListToSave);
  if (job.quiet) text.append(" quiet");
  if (job.format != TableFormat::Dat) text.append(" as").append(tableExtensionOf(job.format));
  if (job.allCompounds) text.append(" all");
  return text;
}

struct Case {
  std::string arguments;
  std::string request;
};

TEST(CommandLine, EachArgumentListMakesOneRequestOrOneProblem) {
  const std::vector<Case> cases = {
      {"", "dialogue -j 4"},
      {"-j 2", "dialogue -j 2"},
      {"-j2 --jobs=3", "dialogue -j 3"},
      {"--help", "help"},
      {"-h", "help"},
      {"--version", "version"},
      // Whatever follows "--" is a result file, and an option's argument is the next word.
      {"-q A -c SiO2 -o t1 -- --plot", "extract -j 4 -q A -c [SiO2] [--plot] -> t1.dat"},
      {"-q A -c SiO2 -o t2 -- --help", "extract -j 4 -q A -c [SiO2] [--help] -> t2.dat"},
      {"-q A -c SiO2 -o -jobs run1.out", "extract -j 4 -q A -c [SiO2] [run1.out] -> -jobs.dat"},
      {"-j 4 -q A r -- -j 5", "extract -j 4 -q A [r,-j,5] -> Zepres.dat"},
      {"r1 -qa -j1 r2", "extract -j 1 -q A [r1,r2] -> Zepres.dat"},
      {"-q A -c ~SiO2,~MgO~ r", "extract -j 4 -q A -c [SiO2,MgO] [r] -> Zepres.dat"},
      {"--compound-list=x -q g r", "extract -j 4 -q G -C x [r] -> Zepres.dat"},
      {"--compound=SiO2,MgO -Ck.cpd -c FeO -L l.xtr --file-list=m.xtr -q X",
       "extract -j 4 -q X -c [SiO2,MgO] -C k.cpd -c [FeO] -L l.xtr -L m.xtr [] -> Zepres.dat"},
      {"-q P -o - --quiet - --save-compound-list k --save-file-list=f",
       "extract -j 4 -q P [-] -> standard output (stdout) save-c k save-f f quiet"},
      {"-q F --output=T.DAT r", "extract -j 4 -q F [r] -> T.DAT"},
      {"-q A,g -c SiO2 --format csv -o t r", "extract -j 4 -q A,G -c [SiO2] [r] -> t.csv as.csv"},
      {"--format=tsv -q A -k T -c MgO r",
       "extract -j 4 -q A -k T -c [MgO] [r] -> Zepres.tsv as.tsv"},
      {"-o t.CSV --format csv -q A r", "extract -j 4 -q A [r] -> t.CSV as.csv"},
      {"-q A --format dat -o t.csv r", "extract -j 4 -q A [r] -> t.csv.dat"},
      {"--plot t.dat", "plot t.dat -> t.svg"},
      {"-o x.SVG --plot run/t", "plot run/t -> x.SVG"},
      {"--plot t.dat -o -", "plot t.dat -> -"},
      {"--x VAP --plot t.csv --columns ASiO2,~AMgO~ --columns=T --log",
       "plot t.csv -> t.svg x VAP columns [ASiO2,AMgO,T] log"},
      {"--plot t.dat --linear --x=TEMPERATURE~(K)", "plot t.dat -> t.svg x TEMPERATURE (K) linear"},
      {"--list-compounds r1 -L l.xtr r2", "list -j 4 -q AGFXP -L [l.xtr] [r1,r2]"},
      {"-j2 -q xa --list-compounds -L l.xtr", "list -j 2 -q XA -L [l.xtr] []"},
      {"--list-compounds -q AS r", "misuse: unknown quantity 'S': use A, G, F, X or P"},
      {"--list-compounds", "misuse: no result file was named"},
      {"--list-compounds -c SiO2 r", "misuse: the option '-c' does not go with --list-compounds"},
      {"--all-compounds -q A r", "extract -j 4 -q A [r] -> Zepres.dat all"},
      // Refused, with the first problem.
      {"--help --version", "misuse: the option '--help' comes alone"},
      {"-q A r -h", "misuse: the option '-h' comes alone"},
      {"-x r", "misuse: unknown option '-x'"},
      {"--helpme", "misuse: unknown option '--helpme'"},
      {"--quiet=1 -q A r", "misuse: unknown option '--quiet=1'"},
      {"-q A r -o", "misuse: missing argument after '-o'"},
      {"-q ''", "misuse: empty argument after '-q'"},
      {"r", "misuse: no quantity: -q A, G, F, X or P is required"},
      {"-q B r", "misuse: unknown quantity 'B': use A, G, F, X or P"},
      {"-qA --quantity=G r", "misuse: the option '--quantity' is given twice"},
      {"-q A -o a -o b r", "misuse: the option '-o' is given twice"},
      {"-q A,G r",
       "misuse: several quantities need --format csv or tsv: a .dat table's label line names one"},
      {"-q A,B --format csv r", "misuse: unknown quantity 'A,B': use A, G, F, X or P"},
      {"-q A --format xls r", "misuse: unknown format 'xls': use dat, csv or tsv"},
      {"-q A -c SiO2,,MgO r", "misuse: an empty formula in the compounds 'SiO2,,MgO'"},
      {"-q A -c SiO2,~ r", "misuse: an empty formula in the compounds 'SiO2, '"},
      {"-j 0", "misuse: the number of jobs must be 1 to 16, not '0'"},
      {"-j 17 -q A r", "misuse: the number of jobs must be 1 to 16, not '17'"},
      {"--jobs=2x", "misuse: the number of jobs must be 1 to 16, not '2x'"},
      {"--plot", "misuse: missing argument after '--plot'"},
      {"--plot a.dat --plot b.dat", "misuse: the option '--plot' is given twice"},
      {"--plot a.dat -q A", "misuse: the option '-q' does not go with --plot"},
      {"--plot a.dat -j 2", "misuse: the option '-j' does not go with --plot"},
      {"--plot a.dat b.dat", "misuse: unexpected argument 'b.dat'"},
      {"--plot a.dat --log --linear",
       "misuse: the options '--log' and '--linear' do not go together"},
      {"--plot a.dat --columns A,", "misuse: an empty column name in 'A,'"},
      {"-q A --x VAP r", "misuse: the option '--x' does not go with an extraction"},
      {"--plot a.dat -o run1.out",
       "misuse: picture name not ending in .svg (or - for standard output): 'run1.out'"},
  };
  for (const Case& test : cases) {
    const std::vector<std::string> words = wordsOf(test.arguments);
    const std::vector<std::string_view> views(words.begin(), words.end());
    EXPECT_EQ(described(parseCommandLine(views, kDefaultJobs)), test.request) << test.arguments;
  }
}

// Where "/?" asks for help (Windows), it is --help wherever --help is, and refused where
// --help is; elsewhere it is a file's name.
TEST(CommandLine, SlashQuestionMarkIsHelpWhereTheSystemTakesItSo) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/?", "help"},
      {"-q A -c SiO2 r /?", "misuse: the option '/?' comes alone"},
      {"-q A -c SiO2 r -- /?", "extract -j 4 -q A -c [SiO2] [r,/?] -> Zepres.dat"},
  };
  for (const auto& [arguments, request] : cases) {
    const std::vector<std::string> words = wordsOf(arguments);
    const std::vector<std::string_view> views(words.begin(), words.end());
    EXPECT_EQ(described(parseCommandLine(views, kDefaultJobs, true)), request) << arguments;
  }
  const std::vector<std::string_view> posix = {"-q", "A", "/?"};
  EXPECT_EQ(described(parseCommandLine(posix, kDefaultJobs)),
            "extract -j 4 -q A [/?] -> Zepres.dat");
}

std::string fileText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The words between the quotes of the first "compgen -W '...'" after the text from.
std::set<std::string> wordsAfter(const std::string& script, const std::string& from) {
  const std::size_t start = script.find("compgen -W '", script.find(from)) + 12;
  std::istringstream in(script.substr(start, script.find('\'', start) - start));
  std::set<std::string> words;
  for (std::string word; in >> word;)
    words.insert(word);
  return words;
}

// The help and the completion script are written by hand: each must know every option of
// the table and every quantity code, so that a new one cannot be left out of them.
TEST(CommandLine, HelpAndCompletionKnowEveryOptionAndQuantity) {
  const std::string help = usageText();
  EXPECT_EQ(help.rfind(usageLine(), 0), 0u);
  const std::string completion = fileText(DURNO_COMPLETION_SCRIPT);
  const std::set<std::string> offered = wordsAfter(completion, "if [[ $current == -* ]]");
  std::set<std::string> options;
  for (const std::string_view name : optionNames()) {
    options.emplace(name);
    EXPECT_NE(help.find(std::string(" ").append(name)), std::string::npos) << name;
  }
  EXPECT_EQ(offered, options);
  std::set<std::string> codes;
  for (const QuantityKind& kind : Quantity::kinds()) {
    codes.emplace(kind.code);
    codes.insert(lowerCase(kind.code));
  }
  EXPECT_EQ(wordsAfter(completion, "-q|--quantity)"), codes);
}

}  // namespace
}  // namespace durno
