// End-to-end runs of the durno executable: each test makes a fresh folder, puts result
// files in it, pipes the answers in and compares the table file byte for byte.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<no file>";
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class DurnoRun : public ::testing::Test {
 protected:
  fs::path folder;

  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "durno-app-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override { fs::remove_all(folder); }

  void put(const std::string& name, const std::string& bytes) { writeFile(folder / name, bytes); }
  std::string file(const std::string& name) const { return readFile(folder / name); }

  // Runs durno with arguments in the folder, answers on standard input.
  Finished run(const std::string& answers, const std::string& arguments = "") {
    put(".answers", answers);
    const std::string command = "cd '" + folder.string() + "' && '" DURNO_BINARY "' " + arguments +
                                " < .answers > .stdout 2> .stderr";
    const int raw = std::system(command.c_str());
    Finished finished;
    finished.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    finished.out = file(".stdout");
    finished.err = file(".stderr");
    return finished;
  }
};

// One result file with two steps; every quantity's lines for SiO2 and MgO come between
// them, so the first row holds zeros and the second every value.
const std::string kResults =
    " ZEPRO  -  TEST RUN\r\n"
    " STEP NUMBER     1\r\n"
    " TEMPERATURE (K) =   2234.87\r\n"
    "VAP = 0.5\r\n"
    "    WTVAP =  12.5\r\n"
    " PTOT = 2\r\n"
    "   ASiO2 = 0.25\r\n"
    "  GSiO2 = 1.5E-03\r\n"
    "FSiO2 =  0.625\r\n"
    "   XSiO2 = 0.375\r\n"
    " PSiO2 = 4\r\n"
    " AMgO =  1.25e-01\r\n"
    " GMgO = 3\r\n"
    " FMgO = 0.0625\r\n"
    " XMgO = 0.75\r\n"
    " PMgO = 1E-10\r\n"
    " STEP NUMBER     2\r\n";

const std::string kZero = " 00.000000000e-01   ";
const std::string kStepValues = " 50.000000000e-02    12.500000000e+00    20.000000000e-01   ";
const std::string kFixedTitles = "  STEP          VAP            WT%VAP         P(tot)       ";

// The answers of a run that types SiO2 and MgO and one result file.
std::string typedRunAnswers(const std::string& code, const std::string& outputName = "") {
  return "\n" + code + "\n\nSiO2\nMgO\n\nn\n\nrun1.out\n\nn\n" + outputName + "\n";
}

std::string expectedTable(const std::string& code, const std::string& label,
                          const std::string& sio2Field, const std::string& mgoField) {
  std::string table = "Data from run1.out\r\n";
  if (!label.empty()) table += label + "\r\n";
  table += kFixedTitles + code + "SiO2 " + std::string(9, ' ') + code + "MgO " +
           std::string(10, ' ') + "\r\n";
  table += " 1    " + kZero + kZero + kZero;
  if (!sio2Field.empty()) table += kZero + kZero;
  table += "\r\n 2    " + kStepValues + sio2Field + mgoField + "\r\n";
  return table;
}

TEST_F(DurnoRun, HelpAndVersionGoToStandardOutput) {
  const Finished help = run("", "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: durno", 0), 0u) << help.out;
  EXPECT_NE(help.out.find(".cpd"), std::string::npos);
  EXPECT_EQ(help.err, "");
  const Finished shortHelp = run("", "-h");
  EXPECT_EQ(shortHelp.status, 0);
  EXPECT_EQ(shortHelp.out, help.out);
  const Finished version = run("", "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "durno " DURNO_VERSION "\n");
  EXPECT_EQ(version.err, "");
}

TEST_F(DurnoRun, AnyOtherArgumentIsNamedWithTheUsageLineAndTouchesNothing) {
  put("run1.out", kResults);
  const std::string usageLine = "Usage: durno [-h | --help | --version]\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--helpme", "durno: unknown option '--helpme'\n"},
      {"-x run1.out", "durno: unknown option '-x'\n"},
      {"run1.out", "durno: unexpected argument 'run1.out'\n"},
      {"-", "durno: unexpected argument '-'\n"},
      {"''", "durno: unexpected argument ''\n"},
      {"--help --version", "durno: unexpected argument '--version'\n"},
      {"-h --foo", "durno: unknown option '--foo'\n"},
  };
  for (const auto& [arguments, firstLine] : cases) {
    const Finished finished = run(typedRunAnswers("A"), arguments);
    EXPECT_EQ(finished.status, 2) << arguments;
    EXPECT_EQ(finished.out, "") << arguments;
    EXPECT_EQ(finished.err, firstLine + usageLine) << arguments;
    EXPECT_FALSE(fs::exists(folder / "Zepres.dat")) << arguments;
  }
}

struct QuantityCase {
  std::string answer;
  std::string code;
  std::string label;
  std::string sio2Field;
  std::string mgoField;
};

TEST_F(DurnoRun, EachQuantityCodeWritesItsTable) {
  put("run1.out", kResults);
  const std::vector<QuantityCase> cases = {
      {"G", "G", "Activity Coefficients", " 15.000000000e-04   ", " 30.000000000e-01   "},
      {"f", "F", "oxide mole fractional in silicate", " 62.500000000e-02   ",
       " 62.500000000e-03   "},
      {"X", "X", "gas mole fractions", " 37.500000000e-02   ", " 75.000000000e-02   "},
      {"p", "P", "partial pressures", " 40.000000000e-01   ", " 10.000000000e-11   "},
      {"z", "Z", "", "", ""},
  };
  for (const QuantityCase& test : cases) {
    const Finished finished = run(typedRunAnswers(test.answer, "table" + test.code));
    EXPECT_EQ(finished.status, 0) << test.code << finished.err;
    EXPECT_EQ(file("table" + test.code + ".dat"),
              expectedTable(test.code, test.label, test.sio2Field, test.mgoField))
        << test.code;
    EXPECT_NE(finished.out.find("Extracted data are on table" + test.code + ".dat\n"),
              std::string::npos)
        << test.code;
  }
}

TEST_F(DurnoRun, TypicalRunWritesZepresDatAndShowsEveryStep) {
  put("run1.out", kResults);
  const Finished finished = run(typedRunAnswers("a"));
  EXPECT_EQ(finished.status, 0) << finished.err;
  EXPECT_EQ(finished.err, "");
  EXPECT_EQ(file("Zepres.dat"),
            expectedTable("A", "Activities ", " 25.000000000e-02   ", " 12.500000000e-02   "));
  const std::string& screen = finished.out;
  const auto extracting = screen.find("Extracting data......\n");
  ASSERT_NE(extracting, std::string::npos) << screen;
  EXPECT_NE(screen.find("at STEP =  1 \nat STEP =  2 \n", extracting), std::string::npos);
  EXPECT_NE(screen.find("\nExtracted data are on Zepres.dat\n", extracting), std::string::npos);
}

TEST_F(DurnoRun, ListFilesWithLfEndsAndBackslashDirectoriesWork) {
  fs::create_directory(folder / "data");
  put("data/run1.out", kResults);
  put("keys.cpd", " 2 \nASiO2 \nAMgO \n");
  put("runs.xtr", " 1 \ndata\\run1.out\n");
  const Finished finished = run("\nA\nf\nkeys.cpd\nl\nruns.xtr\ndata\\table\n");
  EXPECT_EQ(finished.status, 0) << finished.err << finished.out;
  std::string expected =
      expectedTable("A", "Activities ", " 25.000000000e-02   ", " 12.500000000e-02   ");
  expected.replace(0, std::string("Data from run1.out").size(), "Data from data\\run1.out");
  EXPECT_EQ(file("data/table.dat"), expected);
}

TEST_F(DurnoRun, ATableInAMissingFolderFailsWithStatus1AndSaysWhy) {
  put("run1.out", kResults);
  const Finished finished = run(typedRunAnswers("a", "nofolder/table"));
  EXPECT_EQ(finished.status, 1);
  EXPECT_FALSE(fs::exists(folder / "nofolder"));
  EXPECT_EQ(finished.out.find("Extracted data are on"), std::string::npos);
  EXPECT_NE(finished.out.find("Extracted data could not be written to \"nofolder/table.dat\": No "
                              "such file or directory\n"),
            std::string::npos)
      << finished.out;
}

TEST_F(DurnoRun, AnswersThatEndEarlyEndTheRunWithStatus2AndOneLine) {
  put("run1.out", kResults);
  const Finished finished = run("\na\n\nSiO2\n");
  EXPECT_EQ(finished.status, 2);
  EXPECT_EQ(finished.err.find("durno: "), 0u) << finished.err;
  EXPECT_EQ(std::count(finished.err.begin(), finished.err.end(), '\n'), 1) << finished.err;
  EXPECT_FALSE(fs::exists(folder / "Zepres.dat"));
}

// The manual page and --help name the same options and the same exit statuses. Both texts
// are free prose, so only the names are compared: option words ("-h", "--version") in the
// options part of each, and status numbers ("0", "128+N") in the exit-status part.
std::string section(const std::string& text, const std::string& start, const std::string& end) {
  const auto from = text.find(start);
  if (from == std::string::npos) return {};
  const auto to = text.find(end, from + start.size());
  return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

std::set<std::string> matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1].str());
  }
  return found;
}

// The man page's source with the escapes and font macros this comparison meets taken out:
// "\-" becomes "-", and ".BI 128+ N" becomes "128+N".
std::string manPageText() {
  std::string text = std::regex_replace(readFile(DURNO_MAN_PAGE), std::regex(R"(\\-)"), "-");
  return std::regex_replace(text, std::regex(R"(\n\.(B|BI|BR|I|IB) ([^ \n]*) ?)"), "\n$2");
}

TEST_F(DurnoRun, ManPageNamesTheOptionsAndExitStatusesOfHelp) {
  const std::string help = run("", "--help").out;
  const std::string manPage = manPageText();
  ASSERT_NE(manPage, "<no file>");

  const std::regex option(R"((?:^|[\s,\[|])(--?[a-z][-a-z]*))");
  const auto helpOptions = matches(section(help, "Options:", "\n\n"), option);
  EXPECT_EQ(helpOptions, (std::set<std::string>{"-h", "--help", "--version"}));
  EXPECT_EQ(matches(section(manPage, ".SH OPTIONS", ".PP"), option), helpOptions);

  const std::regex status(R"((?:^|[\s,:])(\d+(?:\+N)?)(?=[\s.]))");
  const auto helpStatuses = matches(section(help, "Exit status:", "\n\n"), status);
  EXPECT_TRUE(helpStatuses.count("0") && helpStatuses.count("1") && helpStatuses.count("2"))
      << help;
  const std::regex taggedStatus(R"(\.TP\n(\d+(?:\+N)?)\n)");
  EXPECT_EQ(matches(section(manPage, ".SH EXIT STATUS", ".SH ENV"), taggedStatus), helpStatuses);
}

}  // namespace
