// End-to-end runs of the durno executable: each test makes a fresh folder, puts result
// files in it, pipes the answers in and compares the table file byte for byte.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

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
  Finished run(const std::string& answers, const std::string& arguments = "",
               const std::string& outputs = "> .stdout 2> .stderr") {
    put(".answers", answers);
    const std::string command = "cd '" + folder.string() + "' && '" DURNO_BINARY "' " + arguments +
                                " < .answers " + outputs;
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
std::string typedRunAnswers(const std::string& code, const std::string& outputName = "",
                            const std::string& resultFile = "run1.out") {
  return "\n" + code + "\n\nSiO2\nMgO\n\nn\n\n" + resultFile + "\n\nn\n" + outputName + "\n";
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
  const Finished full = run("", "--help", "> /dev/full 2> .stderr");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "durno: the help text could not be written: No space left on device\n");
}

// --list-compounds names what the files hold, as text for a person and as CSV for scripts;
// a step is its step line and what follows it.
TEST_F(DurnoRun, ListCompoundsNamesWhatTheFilesHold) {
  put("run1.out", kResults);
  put("run2.out", kResults);
  const Finished csv = run("", "--list-compounds -q A --format csv run1.out run2.out");
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out,
            "quantity,formula,key,files,steps\r\nA,SiO2,ASiO2 ,2,2\r\nA,MgO,AMgO ,2,2\r\n");
  const Finished text = run("", "--list-compounds -q GA run1.out run2.out");
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out.rfind("2 result files, 4 steps\n\nA Activities: 2 compounds\n", 0), 0u)
      << text.out;
  EXPECT_NE(text.out.find("\nG Activity Coefficients: 2 compounds\n"), std::string::npos);
  EXPECT_NE(text.out.find("\"AMgO \""), std::string::npos);
  EXPECT_EQ(run("", "--list-compounds --format tsv run1.out").status, 2);
}

// A closed standard output is a failure for everything meant to go there, as for cat.
TEST_F(DurnoRun, WhatGoesToAClosedStandardOutputIsNotWritten) {
  put("run1.out", kResults);
  ASSERT_EQ(run("", "-q A -c SiO2 -o t run1.out").status, 0);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"-q A -c SiO2 -o - run1.out",
       "Extracted data could not be written to \"standard output\": Bad file descriptor\n"},
      {"--help", "durno: the help text could not be written: Bad file descriptor\n"},
      {"--version", "durno: the version could not be written: Bad file descriptor\n"},
      {"--plot t.dat -o -",
       "durno: picture could not be written to standard output: Bad file descriptor\n"},
  };
  for (const auto& [arguments, message] : cases) {
    const Finished finished = run("", arguments, ">&- 2> .stderr");
    EXPECT_EQ(finished.status, 1) << arguments;
    EXPECT_EQ(finished.err, message) << arguments;
  }
}

// Arguments that cannot be run are named in one line, with the hint to --help, and touch
// nothing; result-file names and options other than --plot's make a command-line run.
TEST_F(DurnoRun, ArgumentsThatCannotBeRunAreNamedWithAHintAndTouchNothing) {
  put("run1.out", kResults);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--helpme", "durno: unknown option '--helpme'\n"},
      {"-x run1.out", "durno: unknown option '-x'\n"},
      {"run1.out", "durno: no quantity: -q A, G, F, X or P is required\n"},
      {"--help --version", "durno: the option '--help' comes alone\n"},
      {"-j 0", "durno: the number of jobs must be 1 to 16, not '0'\n"},
      {"-j", "durno: missing argument after '-j'\n"},
      {"--plot", "durno: missing argument after '--plot'\n"},
      {"--plot run1.out -o", "durno: missing argument after '-o'\n"},
      {"--plot a.dat --plot b.dat", "durno: the option '--plot' is given twice\n"},
      {"--plot a.dat -x", "durno: unknown option '-x'\n"},
      {"--plot a.dat -o run1.out",
       "durno: picture name not ending in .svg (or - for standard output): 'run1.out'\n"},
  };
  for (const auto& [arguments, firstLine] : cases) {
    const Finished finished = run(typedRunAnswers("A"), arguments);
    EXPECT_EQ(finished.status, 2) << arguments;
    EXPECT_EQ(finished.out, "") << arguments;
    EXPECT_EQ(finished.err, firstLine + "Try 'durno --help' for more information.\n") << arguments;
    EXPECT_FALSE(fs::exists(folder / "Zepres.dat")) << arguments;
    EXPECT_FALSE(fs::exists(folder / "run1.svg")) << arguments;
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
  // Told as soon as the name is typed, before the scan.
  const auto told = finished.out.find(
      "The folder of \"nofolder/table.dat\" does not exist: the table cannot be written there\n");
  EXPECT_LT(told, finished.out.find("Extracting data")) << finished.out;
}

TEST_F(DurnoRun, AnswersThatEndEarlyEndTheRunWithStatus2AndOneLine) {
  put("run1.out", kResults);
  const Finished finished = run("\na\n\nSiO2\n");
  EXPECT_EQ(finished.status, 2);
  EXPECT_EQ(finished.err.find("durno: "), 0u) << finished.err;
  EXPECT_EQ(std::count(finished.err.begin(), finished.err.end(), '\n'), 1) << finished.err;
  EXPECT_FALSE(fs::exists(folder / "Zepres.dat"));
}

// The table is compared with the result files as the system identifies files, so no
// spelling of a result file's name lets the table empty it: the name is asked for again.
TEST_F(DurnoRun, ATableThatIsOneOfTheResultFilesIsRefusedAndEmptiesNothing) {
  put("same.dat", kResults);
  fs::create_directory(folder / "sub");
  fs::create_hard_link(folder / "same.dat", folder / "hard.out");
  fs::create_symlink("same.dat", folder / "soft.out");
  for (const std::string name : {"same.dat", "sub/../same.dat", "hard.out", "soft.out"}) {
    const Finished finished = run(typedRunAnswers("a", "same\nother", name));
    EXPECT_EQ(finished.status, 0) << name;
    EXPECT_EQ(file("same.dat"), kResults) << name;
    EXPECT_NE(finished.out.find("\"same.dat\" is the result file \"" + name +
                                "\", which this run reads: choose another name\n"),
              std::string::npos)
        << finished.out;
    EXPECT_NE(file("other.dat").find("Data from " + name), std::string::npos) << name;
  }
}

// Nothing is reset between result files: a value read after the last marker of one file
// shows in the first row of the next, whatever the files' line ends.
TEST_F(DurnoRun, ValuesCarryOverFromOneResultFileToTheNext) {
  put("run1.out", " STEP NUMBER 1\r\n ASiO2 = 0.25\r\n");
  put("run2.out", "STEP NUMBER 1\nAMgO = 4.0E-01\nSTEP NUMBER 2\n");
  const Finished finished = run(typedRunAnswers("A", "", "run1.out\nrun2.out"));
  EXPECT_EQ(finished.status, 0) << finished.err;
  const std::string zeros = kZero + kZero + kZero;
  EXPECT_EQ(file("Zepres.dat"), "Data from run1.out\r\nActivities \r\n" + kFixedTitles +
                                    "ASiO2          AMgO           \r\n"
                                    " 1    " +
                                    zeros + kZero + kZero +
                                    "\r\n"
                                    " 1    " +
                                    zeros + " 25.000000000e-02   " + kZero +
                                    "\r\n"
                                    " 2    " +
                                    zeros + " 25.000000000e-02    40.000000000e-02   \r\n");
}

// A table named again as a later result file that did not exist before the run: the table
// is created, and the result file, being the table in the writing, is not read.
TEST_F(DurnoRun, ATableNamedAsALaterResultFileIsNotReadWhileWritten) {
  put("run1.out", kResults);
  const Finished finished = run("\nA\n\n\nn\n\nself.dat\nrun1.out\n\nn\nself\n");
  EXPECT_EQ(finished.status, 3) << finished.err;
  EXPECT_NE(finished.out.find("Result file \"self.dat\" could not be opened: file is in use\n"),
            std::string::npos)
      << finished.out;
  EXPECT_EQ(file("self.dat"), "Data from self.dat\r\nActivities \r\n" + kFixedTitles +
                                  "\r\n 1    " + kZero + kZero + kZero + "\r\n 2    " +
                                  kStepValues + "\r\n");
}

// Enough steps that the screen's buffer is handed on during the scan, into the table if
// the table had taken the screen's descriptor.
TEST_F(DurnoRun, ClosedStandardStreamsNeverBecomeTheTable) {
  std::string results;
  std::string rows;
  for (int step = 1; step <= 6000; ++step) {
    results += "STEP NUMBER " + std::to_string(step) + "\r\n";
    rows.append(" ").append(std::to_string(step)).append("    ");
    rows.append(kZero).append(kZero).append(kZero).append("\r\n");
  }
  put("run1.out", results);
  const std::string table = "Data from run1.out\r\nActivities \r\n" + kFixedTitles + "\r\n" + rows;
  for (const std::string outputs : {">&- 2> .stderr", ">&- 2>&-", "> .stdout 2>&-"}) {
    const Finished finished = run("\na\n\n\nn\n\nrun1.out\n\nn\n\n", "", outputs);
    EXPECT_EQ(finished.status, 0) << outputs;
    EXPECT_TRUE(file("Zepres.dat") == table) << outputs;
  }
}

TEST_F(DurnoRun, LongNamesGoWholeToTheSystem) {
  const std::string deep = std::string(100, 'a') + "/" + std::string(100, 'b') + "/" +
                           std::string(100, 'c') + "/run1.out";
  fs::create_directories((folder / deep).parent_path());
  put(deep, kResults);
  const Finished read = run(typedRunAnswers("a", "deep", deep));
  EXPECT_EQ(read.status, 0) << read.out;
  std::string expected =
      expectedTable("A", "Activities ", " 25.000000000e-02   ", " 12.500000000e-02   ");
  expected.replace(0, std::string("Data from run1.out").size(), "Data from " + deep);
  EXPECT_EQ(file("deep.dat"), expected);

  // A table name of 254 bytes with ".dat" is the system's to take, and it takes it whole;
  // one of 256 bytes is too long, and the system says so.
  fs::create_directory(folder / "d");
  put("run1.out", kResults);
  const std::string longest = "d/" + std::string(250, 'x');
  const Finished taken = run(typedRunAnswers("a", longest));
  EXPECT_EQ(taken.status, 0);
  EXPECT_TRUE(fs::exists(folder / (longest + ".dat")));
  fs::remove(folder / (longest + ".dat"));
  const std::string tooLong = longest + "yy";
  const Finished refused = run(typedRunAnswers("a", tooLong));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(
      refused.out.find("could not be written to \"" + tooLong + ".dat\": File name too long\n"),
      std::string::npos)
      << refused.out;
  EXPECT_TRUE(fs::is_empty(folder / "d"));
}

// A lock another program holds on a file, for as long as the object lives.
class HeldLock {
 public:
  HeldLock(const fs::path& path, int kind) : descriptor_(::open(path.c_str(), O_RDONLY)) {
    EXPECT_EQ(::flock(descriptor_, kind | LOCK_NB), 0) << path;
  }
  ~HeldLock() { ::close(descriptor_); }
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

 private:
  int descriptor_;
};

TEST_F(DurnoRun, ReadersShareResultFilesButATableIsWrittenByOneRunOnly) {
  put("run1.out", kResults);
  {
    const HeldLock otherReader(folder / "run1.out", LOCK_SH);
    const Finished finished = run(typedRunAnswers("a"));
    EXPECT_EQ(finished.status, 0) << finished.out;
    EXPECT_EQ(file("Zepres.dat"),
              expectedTable("A", "Activities ", " 25.000000000e-02   ", " 12.500000000e-02   "));
  }
  put("Zepres.dat", "another run's table\r\n");
  const HeldLock otherWriter(folder / "Zepres.dat", LOCK_EX);
  const Finished finished = run(typedRunAnswers("a"));
  EXPECT_EQ(finished.status, 1);
  EXPECT_NE(finished.out.find("could not be written to \"Zepres.dat\": file is in use\n"),
            std::string::npos)
      << finished.out;
  EXPECT_EQ(file("Zepres.dat"), "another run's table\r\n");
}

TEST_F(DurnoRun, UnreadResultFilesEndTheRunWithStatus3AfterTheClosingLine) {
  put("run1.out", kResults);
  const Finished missing = run("\na\n\nSiO2\n\nn\n\nrun1.out\ngone.out\n\nn\n\n");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.out.find("Result file \"gone.out\" could not be opened: No such file or "
                             "directory\n"),
            std::string::npos);
  EXPECT_NE(missing.out.find("\nExtracted data are on Zepres.dat\n1 of 2 result files could not "
                             "be read (each is named above)\n"),
            std::string::npos)
      << missing.out;
  const Finished none = run("\na\n\nSiO2\n\nn\n\n\nn\n\n");
  EXPECT_EQ(none.status, 3);
  EXPECT_NE(none.out.find("\nExtracted data are on Zepres.dat\nNo result file was named: the "
                          "table holds no rows\n"),
            std::string::npos)
      << none.out;
  const Finished notWritten = run("\na\n\nSiO2\n\nn\n\ngone.out\n\nn\nnofolder/t\n");
  EXPECT_EQ(notWritten.status, 1) << "a table not written outranks unread files";
  EXPECT_NE(run("", "--help").out.find(" 3 table written but"), std::string::npos);
}

TEST_F(DurnoRun, CompoundKeysThatBeganNoLineAreNamedAfterTheScan) {
  put("run1.out", kResults);
  const Finished finished = run("\na\n\nSiO2\nsio2\nXyz\nMgO\n\nn\n\nrun1.out\n\nn\n\n");
  EXPECT_EQ(finished.status, 0);
  EXPECT_NE(
      finished.out.find("at STEP =  2 \nNot found in any result file: Asio2 (did you mean ASiO2?), "
                        "AXyz\n\n"
                        "Extracted data are on Zepres.dat\n"),
      std::string::npos)
      << finished.out;
}

TEST_F(DurnoRun, TheHelpTextsExampleRuns) {
  put("run1.out", kResults);
  put("run2.out", kResults);
  const std::string help = run("", "--help").out;
  const auto start = help.find("    durno -q");
  ASSERT_NE(start, std::string::npos);
  const std::string command = help.substr(start + 10, help.find('\n', start) - start - 10);
  const int raw = std::system(
      ("cd '" + folder.string() + "' && '" DURNO_BINARY "' " + command + " > .stdout 2>&1")
          .c_str());
  EXPECT_EQ(WEXITSTATUS(raw), 0) << file(".stdout");
  EXPECT_NE(file("melts.dat").find("ASiO2"), std::string::npos);
}

// A run started in the folder with its answers from answers and its screen in .stdout, the
// stop signals at their default action whatever the test runner left them at.
pid_t startDurno(const fs::path& folder, int answers,
                 const std::vector<std::string>& arguments = {}) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  if (::chdir(folder.c_str()) != 0) ::_exit(126);
  const int screen = ::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(answers, STDIN_FILENO);
  ::dup2(screen, STDOUT_FILENO);
  ::dup2(screen, STDERR_FILENO);
  for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
    ::signal(signalNumber, SIG_DFL);
  std::vector<char*> argv{const_cast<char*>(DURNO_BINARY)};
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ::execv(DURNO_BINARY, argv.data());
  ::_exit(127);
}

int waitForEnd(pid_t child) {
  int status = 0;
  for (int waited = 0; ::waitpid(child, &status, WNOHANG) == 0; ++waited) {
    if (waited == 1000) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      ADD_FAILURE() << "durno did not end";
      break;
    }
    std::this_thread::sleep_for(10ms);
  }
  return status;
}

bool waitUntil(const std::function<bool()>& condition) {
  for (int waited = 0; !condition(); ++waited) {
    if (waited == 500) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// The result file is a pipe the test writes: two steps, then the signal while the run waits
// for more, then a third step that must not reach the table.
TEST_F(DurnoRun, AStopSignalDuringTheScanEndsItAfterAWholeRowWithStatus128PlusItsNumber) {
  const std::string rows = " 1    " + kZero + kZero + kZero + kZero + "\r\n 2    " + kZero + kZero +
                           kZero + kZero + "\r\n";
  for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    fs::remove(folder / "live.out");
    fs::remove(folder / "live.dat");
    ASSERT_EQ(::mkfifo((folder / "live.out").c_str(), 0600), 0);
    const int pipe = ::open((folder / "live.out").c_str(), O_RDWR);
    const std::string steps = "STEP NUMBER 1\r\nSTEP NUMBER 2\r\n";
    ASSERT_EQ(::write(pipe, steps.data(), steps.size()), static_cast<ssize_t>(steps.size()));
    put(".answers", "\na\n\nSiO2\n\nn\n\nlive.out\n\nn\nlive\n");
    const int answers = ::open((folder / ".answers").c_str(), O_RDONLY);
    const pid_t child = startDurno(folder, answers);
    ::close(answers);
    ASSERT_TRUE(waitUntil([&] { return file("live.dat").find(rows) != std::string::npos; }));
    ::kill(child, signalNumber);
    const std::string more = "STEP NUMBER 3\r\n";
    ASSERT_EQ(::write(pipe, more.data(), more.size()), static_cast<ssize_t>(more.size()));
    ::close(pipe);
    const int status = waitForEnd(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signalNumber) << status;
    const std::string table = file("live.dat");
    EXPECT_EQ(table.substr(table.size() - rows.size()), rows) << table;
    const std::string name = signalNumber == SIGTERM  ? "SIGTERM"
                             : signalNumber == SIGINT ? "SIGINT"
                                                      : "SIGHUP";
    EXPECT_NE(file(".stdout").find("\nExtraction interrupted by " + name +
                                   ": live.dat holds the rows up to step 2 of live.out\n"),
              std::string::npos)
        << file(".stdout");
    EXPECT_EQ(file(".stdout").find("Extracted data are on"), std::string::npos);
  }
}

TEST_F(DurnoRun, PlotDrawsTheTableBesideItOrUnderTheNameGiven) {
  put("run1.out", kResults);
  ASSERT_EQ(run(typedRunAnswers("a", "melts")).status, 0);
  const Finished drawn = run("", "--plot melts.dat");
  EXPECT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_EQ(drawn.out, "");
  EXPECT_EQ(drawn.err, "Picture written to melts.svg\n");
  EXPECT_NE(file("melts.svg").find("<title>AMgO</title>"), std::string::npos);
  const Finished named = run("", "-o other.SVG --plot melts.dat");
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(file("other.SVG"), file("melts.svg"));
  const Finished toOutput = run("", "--plot melts.dat -o -");
  EXPECT_EQ(toOutput.status, 0) << toOutput.err;
  EXPECT_EQ(toOutput.out, file("melts.svg"));
  EXPECT_EQ(toOutput.err, "Picture written to standard output\n");
}

// Each case: the table's text (none: no file), the start of the one line on standard error.
TEST_F(DurnoRun, PlotRefusesWhatItCannotDrawWithOneLineAndNoPicture) {
  put("run1.out", kResults);
  ASSERT_EQ(run(typedRunAnswers("a", "melts")).status, 0);
  const std::string head = "Data from run1.out\r\nActivities \r\n" + kFixedTitles + "ASiO2\r\n";
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"", "durno: cannot read \"t.dat\": ", "2"},
      {kResults, "durno: \"t.dat\" is not a DURNO table: ", "2"},
      {head, "durno: nothing to plot: \"t.dat\" has no rows", "2"},
      {"Data from run1.out\r\n" + kFixedTitles + "\r\n 1    " + kStepValues + "\r\n",
       "durno: nothing to plot: \"t.dat\" has no compound columns", "2"},
      {head + " 1    " + kStepValues + " 1x\r\n", "durno: \"t.dat\": line 4 of the table holds",
       "2"},
      {file("melts.dat"), "durno: picture could not be written to \"none/t.svg\": ", "1"},
  };
  for (const auto& [table, error, status] : cases) {
    fs::remove(folder / "t.dat");
    if (!table.empty()) put("t.dat", table);
    const Finished finished =
        run("", "--plot t.dat" + std::string(status == "1" ? " -o none/t.svg" : ""));
    EXPECT_EQ(std::to_string(finished.status), status) << error;
    EXPECT_EQ(finished.err.rfind(error, 0), 0u) << finished.err;
    EXPECT_EQ(std::count(finished.err.begin(), finished.err.end(), '\n'), 1) << finished.err;
    EXPECT_EQ(finished.out, "");
    EXPECT_FALSE(fs::exists(folder / "t.svg")) << error;
  }
  // A picture named like the table, or leading to it, would replace it.
  fs::copy_file(folder / "melts.dat", folder / "table.svg");
  fs::create_symlink("melts.dat", folder / "link.svg");
  for (const auto& [table, picture] : std::vector<std::pair<std::string, std::string>>{
           {"table.svg", "./table.svg"}, {"melts.dat", "link.svg"}}) {
    const Finished same = run("", "--plot " + table + " -o " + picture);
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(same.err, "durno: picture could not be written to \"" + picture +
                            "\": it is the table itself\n");
    EXPECT_EQ(file(table).rfind("Data from run1.out\r\n", 0), 0u);
  }
  const std::string table = file("melts.dat");
  const Finished appended = run("", "--plot melts.dat -o -", ">> melts.dat 2> .stderr");
  EXPECT_EQ(appended.status, 1);
  EXPECT_EQ(appended.err,
            "durno: picture could not be written to standard output: it is the table itself\n");
  EXPECT_EQ(file("melts.dat"), table);
}

// A table of 50 compound columns and 2000 rows: a picture of some 700 KB.
std::string bigTable() {
  std::string table = "Data from run1.out\r\nActivities \r\n" + kFixedTitles;
  for (int column = 0; column < 50; ++column)
    table.append(" A").append(std::to_string(column));
  table += "\r\n";
  for (int step = 1; step <= 2000; ++step) {
    table.append(" ").append(std::to_string(step)).append(kStepValues);
    for (int column = 0; column < 50; ++column)
      table.append(" ").append(std::to_string(10 + (step * 7 + column) % 89)).append(".0e-03");
    table += "\r\n";
  }
  return table;
}

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// A picture drawn earlier: what an SVG this program draws begins with.
const std::string kPreciousPicture =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" a precious picture";

// Each case: how the picture is named, the picture's line on standard error. A picture that
// cannot be written whole leaves the old one and every other file as they were.
TEST_F(DurnoRun, PlotWritesThePictureWholeOrLeavesWhatItsNameHeld) {
  put("big.dat", bigTable());
  put("precious.svg", kPreciousPicture);
  put("held.svg", "a picture held by another program");
  fs::create_symlink("/dev/full", folder / "full.svg");
  fs::create_symlink("precious.svg", folder / "link.svg");
  const std::set<std::string> names = namesIn(folder);
  const HeldLock otherWriter(folder / "held.svg", LOCK_EX);
  const std::vector<std::tuple<std::string, std::string>> cases = {
      {"ulimit -f 64; '" DURNO_BINARY "' --plot big.dat -o precious.svg",
       "durno: picture could not be written to \"precious.svg\": File too large\n"},
      {"'" DURNO_BINARY "' --plot big.dat -o full.svg",
       "durno: picture could not be written to \"full.svg\": No space left on device\n"},
      {"'" DURNO_BINARY "' --plot big.dat -o held.svg",
       "durno: picture could not be written to \"held.svg\": file is in use\n"},
  };
  for (const auto& [command, message] : cases) {
    const int raw =
        std::system(("cd '" + folder.string() + "' && (" + command + ") 2> .stderr").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << command;
    EXPECT_EQ(file(".stderr"), message);
    fs::remove(folder / ".stderr");
    EXPECT_EQ(namesIn(folder), names) << command;
    EXPECT_EQ(file("precious.svg"), kPreciousPicture);
    EXPECT_EQ(file("held.svg"), "a picture held by another program");
    EXPECT_TRUE(fs::is_symlink(folder / "full.svg"));
  }
  const Finished throughLink = run("", "--plot big.dat -o link.svg");
  EXPECT_EQ(throughLink.status, 0) << throughLink.err;
  EXPECT_TRUE(fs::is_symlink(folder / "link.svg"));
  EXPECT_EQ(file("precious.svg").rfind("<?xml", 0), 0u);
  EXPECT_EQ(file("precious.svg").substr(file("precious.svg").size() - 7), "</svg>\n");
}

// Each case: the arguments, the file they would write over, and the line that refuses it.
// An output replaces only what this program writes there; any other file stays as it was,
// and the command line that names it is refused before anything is written.
TEST_F(DurnoRun, AnOutputReplacesOnlyWhatThisProgramWritesThere) {
  put("run1.out", kResults);
  put("t.dat", "Data from an earlier run\r\n");
  ASSERT_EQ(run("", "-q A -c MgO -o t run1.out").status, 0);
  const std::string reason = ": it holds something other than a ";
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"-q A -c MgO -o notes run1.out", "notes.dat",
       "durno: \"notes.dat\"" + reason + "table this program wrote, which it would replace\n"},
      {"-q A -c MgO -o - --save-file-list notes.txt run1.out", "notes.txt",
       "durno: \"notes.txt\"" + reason + "list this program wrote, which it would replace\n"},
      {"-q A -c MgO -o t --format csv run1.out", "t.csv",
       "durno: \"t.csv\"" + reason + "table this program wrote, which it would replace\n"},
      {"--plot t.dat -o notes.svg", "notes.svg",
       "durno: \"notes.svg\"" + reason + "picture this program wrote, which it would replace\n"},
  };
  for (const auto& [arguments, kept, message] : cases) {
    put(kept, "my own notes\r\n");
    const Finished finished = run("", arguments, "> /dev/null 2> .stderr");
    EXPECT_EQ(finished.status, 2) << arguments;
    EXPECT_EQ(finished.err.substr(0, message.size()), message) << arguments;
    EXPECT_EQ(file(kept), "my own notes\r\n") << arguments;
  }
}

// A file-size limit is a full disk: the write past it is told, the table ends at a row's
// end, a list is whole or said not saved, and the status is 1 rather than SIGXFSZ's death.
TEST_F(DurnoRun, AFileSizeLimitIsToldAsAFullDiskIs) {
  std::string steps;
  for (int step = 1; step <= 20000; ++step)
    steps += " STEP NUMBER " + std::to_string(step) + "\r\n AMgO = 0.5\r\n";
  put("run1.out", steps);
  std::string names;
  for (int i = 0; i < 150; ++i)
    names += " run1.out";
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"-j 1 -q A -c MgO -o t run1.out", "t.dat",
       "Extracted data could not be written to \"t.dat\": File too large\n"},
      {"-q A -c MgO -o - --save-file-list l.xtr" + names, "l.xtr",
       "File list could not be saved to \"l.xtr\": File too large\n"
       "Extracted data are on standard output\n"},
  };
  for (const auto& [arguments, written, message] : cases) {
    const int raw =
        std::system(("cd '" + folder.string() + "' && (ulimit -f 1; '" DURNO_BINARY "' " +
                     arguments + " > /dev/null 2> .stderr)")
                        .c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << arguments << " " << raw;
    EXPECT_EQ(file(".stderr"), message);
    const std::string bytes = file(written);
    ASSERT_GT(bytes.size(), 100u) << arguments;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << arguments;
  }
}

// Under any limit on the address space (a real ulimit) a run either writes the table the
// unlimited run writes (its workers' files read in turn when no thread can be started), or
// says in one line that memory ran out, its table, if begun, ending at a row's end. Limits
// that leave no room for the program to start (--version fails) are passed over.
TEST_F(DurnoRun, MemoryThatRunsOutIsToldOrTheFilesAreReadInTurn) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than any limit here";
#endif
  put("run1.out", kResults);
  put("run2.out", kResults);
  const std::string arguments = " -q A -c SiO2,MgO run1.out run2.out -o ";
  ASSERT_EQ(run("", "-j 1" + arguments + "whole").status, 0);
  const auto limited = [&](int limit, const std::string& command) {
    const int raw =
        std::system(("cd '" + folder.string() + "' && (ulimit -v " + std::to_string(limit) +
                     "; '" DURNO_BINARY "' " + command + " > /dev/null 2> .stderr)")
                        .c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  };
  std::size_t drawn = 0, told = 0;
  for (int limit = 4000; limit <= 16000; limit += 250) {
    if (limited(limit, "--version") != 0) continue;
    std::string table = "t";
    table += std::to_string(limit);
    const int status = limited(limit, "-j 4" + arguments + table);
    if (status == 0) {
      EXPECT_EQ(file(table + ".dat"), file("whole.dat")) << limit;
      ++drawn;
      continue;
    }
    EXPECT_EQ(status, 1) << limit;
    const std::string message = file(".stderr");
    EXPECT_TRUE(message == "durno: Cannot allocate memory\n" ||
                message == "Extracted data could not be written to \"" + table +
                               ".dat\": Cannot allocate memory\n")
        << limit << ": " << message;
    const std::string begun = file(table + ".dat");
    EXPECT_TRUE(begun == "<no file>" || begun.ends_with("\r\n")) << limit;
    ++told;
  }
  EXPECT_GT(drawn, 0u);
  EXPECT_GT(told, 0u);
}

// A pipe that sends nothing more must not keep a stopped run waiting.
TEST_F(DurnoRun, AStopSignalEndsAScanWaitingOnASilentPipe) {
  ASSERT_EQ(::mkfifo((folder / "live.out").c_str(), 0600), 0);
  const int pipe = ::open((folder / "live.out").c_str(), O_RDWR);
  ASSERT_EQ(::write(pipe, "STEP NUMBER 1\r\n", 15), 15);
  put(".answers", "\na\n\n\nn\n\nlive.out\n\nn\nlive\n");
  const int answers = ::open((folder / ".answers").c_str(), O_RDONLY);
  const pid_t child = startDurno(folder, answers);
  ::close(answers);
  ASSERT_TRUE(waitUntil([&] { return file("live.dat").find("\r\n 1    ") != std::string::npos; }));
  ::kill(child, SIGTERM);
  const int status = waitForEnd(child);
  ::close(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
  EXPECT_NE(file(".stdout").find("holds the rows up to step 1 of live.out\n"), std::string::npos)
      << file(".stdout");
  EXPECT_EQ(file(".stdout").find("could not be read"), std::string::npos);
}

// The table is a pipe the test writes: its head and a row, then the signal while the
// plot waits for more.
TEST_F(DurnoRun, AStopSignalDuringPlotEndsItWithStatus128PlusItsNumberAndKeepsTheOldPicture) {
  put("live.svg", kPreciousPicture);
  ASSERT_EQ(::mkfifo((folder / "live.dat").c_str(), 0600), 0);
  const std::set<std::string> names = namesIn(folder);
  for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    const int pipe = ::open((folder / "live.dat").c_str(), O_RDWR);
    const std::string part = "Data from run1.out\r\nActivities \r\n" + kFixedTitles +
                             "ASiO2\r\n 1    " + kStepValues + " 10.0e-01\r\n";
    ASSERT_EQ(::write(pipe, part.data(), part.size()), static_cast<ssize_t>(part.size()));
    const int noAnswers = ::open("/dev/null", O_RDONLY);
    const pid_t child = startDurno(folder, noAnswers, {"--plot", "live.dat", "-o", "live.svg"});
    ::close(noAnswers);
    ASSERT_TRUE(waitUntil([&] {
      int unread = 0;
      return ::ioctl(pipe, FIONREAD, &unread) == 0 && unread == 0;
    }));
    ::kill(child, signalNumber);
    const int status = waitForEnd(child);
    ::close(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signalNumber) << status;
    const std::string name = signalNumber == SIGTERM  ? "SIGTERM"
                             : signalNumber == SIGINT ? "SIGINT"
                                                      : "SIGHUP";
    EXPECT_EQ(file(".stdout"), "durno: interrupted by " + name +
                                   ": picture not written, \"live.svg\" is as it was\n");
    fs::remove(folder / ".stdout");
    EXPECT_EQ(file("live.svg"), kPreciousPicture);
    EXPECT_EQ(namesIn(folder), names);
  }
}

TEST_F(DurnoRun, AStopSignalAtAPromptEndsTheRunAtOnce) {
  int answers[2];
  ASSERT_EQ(::pipe(answers), 0);
  ASSERT_EQ(::write(answers[1], "\na\n", 3), 3);
  const pid_t child = startDurno(folder, answers[0]);
  ::close(answers[0]);
  ASSERT_TRUE(waitUntil(
      [&] { return file(".stdout").find("compound list from file") != std::string::npos; }));
  ::kill(child, SIGTERM);
  const int status = waitForEnd(child);
  ::close(answers[1]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_FALSE(fs::exists(folder / "Zepres.dat"));
}

// No file the run writes may be one it reads: a list saved under the name of a result file
// or of a list loaded (however spelt) is refused and asked for again, and so is a table named
// like a loaded list. Every input stays as it was.
TEST_F(DurnoRun, NothingTheRunWritesReplacesAFileItReads) {
  put("run1.out", kResults);
  put("keys.cpd", " 1 \r\nASiO2 \r\n");
  put("runs.dat", " 1 \r\nrun1.out\r\n");
  const Finished saved =
      run("\na\nf\nkeys.cpd\n\nrun1.out\n\ny\n./run1.out\nkeys.cpd\nnew.xtr\nt\n");
  EXPECT_EQ(saved.status, 0) << saved.out;
  EXPECT_NE(saved.out.find("Give name for list (e.g. Jup.xtr) ./run1.out\n\"./run1.out\" is the "
                           "result file \"run1.out\", which this run reads: choose another name\n"
                           "Give name for list (e.g. Jup.xtr) keys.cpd\n\"keys.cpd\" is the list "
                           "file \"keys.cpd\", which this run has read: choose another name\n"
                           "Give name for list (e.g. Jup.xtr) new.xtr\n"),
            std::string::npos)
      << saved.out;
  EXPECT_EQ(file("new.xtr"), " 1 \r\nrun1.out\r\n");
  EXPECT_EQ(file("run1.out"), kResults);
  EXPECT_EQ(file("keys.cpd"), " 1 \r\nASiO2 \r\n");
  EXPECT_NE(file("t.dat").find("\r\n 2    "), std::string::npos) << file("t.dat");

  const Finished refused = run("\na\nf\nkeys.cpd\nl\nruns.dat\nruns\nt2\n");
  EXPECT_EQ(refused.status, 0);
  EXPECT_NE(refused.out.find("\"runs.dat\" is the list file \"runs.dat\", which this run has "
                             "read: choose another name\n"),
            std::string::npos)
      << refused.out;
  EXPECT_EQ(file("runs.dat"), " 1 \r\nrun1.out\r\n");
}

// A named pipe as a result file is read as `cat` reads it: the open waits for a writer, so
// rows written once the run is at it all reach the table; a stop signal ends the wait.
TEST_F(DurnoRun, ANamedPipeIsWaitedForUntilItsWriterComesOrAStop) {
  ASSERT_EQ(::mkfifo((folder / "live.out").c_str(), 0600), 0);
  put(".answers", "\na\n\n\nn\n\nlive.out\n\nn\nlive\n");
  int answers = ::open((folder / ".answers").c_str(), O_RDONLY);
  pid_t child = startDurno(folder, answers);
  ::close(answers);
  // The table is created once the stop signals are held, just before the pipe is opened.
  ASSERT_TRUE(waitUntil([&] { return fs::exists(folder / "live.dat"); }));
  // Opened for reading too, so that this open never waits, whatever the run does.
  const int writer = ::open((folder / "live.out").c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, "STEP NUMBER 1\r\nSTEP NUMBER 2\r\n", 30), 30);
  ::close(writer);
  int status = waitForEnd(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << file(".stdout");
  EXPECT_NE(file("live.dat").find("\r\n 2    "), std::string::npos) << file("live.dat");

  // No writer ever comes. The stop is sent until the run ends: one that came just before
  // the wait began is noted, and the next one ends the wait.
  fs::remove(folder / "live.dat");
  answers = ::open((folder / ".answers").c_str(), O_RDONLY);
  child = startDurno(folder, answers);
  ::close(answers);
  ASSERT_TRUE(waitUntil([&] { return fs::exists(folder / "live.dat"); }));
  EXPECT_TRUE(waitUntil([&] {
    ::kill(child, SIGTERM);
    return ::waitpid(child, &status, WNOHANG) == child;
  }));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
  EXPECT_EQ(file(".stdout").find("could not be opened"), std::string::npos) << file(".stdout");
}

// The progress line in a real terminal that reflows its lines (tmux): the pane narrows
// while a long line is shown, so that line now takes two rows, and later lines must leave
// no piece of it on the screen.
TEST_F(DurnoRun, TheProgressLineLeavesNothingBehindWhenTheTerminalNarrows) {
  if (std::system("command -v tmux > /dev/null 2>&1") != 0) GTEST_SKIP() << "no tmux";
  const std::string name = "a-result-file-named-at-length-to-fill-a-line.out";
  ASSERT_EQ(::mkfifo((folder / name).c_str(), 0600), 0);
  const std::string tmux = "tmux -L durno-progress-" + std::to_string(::getpid()) + " ";
  const auto screen = [&] {
    std::system((tmux + "capture-pane -p -S - > '" + (folder / ".screen").string() + "'").c_str());
    return file(".screen");
  };
  ASSERT_EQ(std::system((tmux + "new-session -d -x 100 -y 12 \"cd '" + folder.string() +
                         "' && echo '$ durno' && '" + DURNO_BINARY "' -q A -c SiO2 -o t " + name +
                         "; sleep 60\"")
                            .c_str()),
            0);
  const int writer = ::open((folder / name).c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  std::string steps;
  for (int step = 1; step <= 50; ++step)
    steps += " STEP NUMBER " + std::to_string(step) + "\r\n ASiO2 = 0.5\r\n";
  ASSERT_EQ(::write(writer, steps.data(), steps.size()), static_cast<ssize_t>(steps.size()));
  EXPECT_TRUE(waitUntil([&] { return screen().find(" steps, ") != std::string::npos; }));
  std::system((tmux + "resize-window -x 50 -y 12").c_str());
  std::this_thread::sleep_for(1500ms);  // a later progress line is drawn at the new width
  ::close(writer);
  EXPECT_TRUE(
      waitUntil([&] { return screen().find("Extracted data are on t.dat") != std::string::npos; }));
  const std::string shown = screen();
  std::system((tmux + "kill-server").c_str());
  EXPECT_EQ(shown.find("steps"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("file 1 of 1"), std::string::npos) << shown;
}

// Each case: a shell line, the status it must end with, and a text the table must hold. A
// writer that was let in before the run opened the pipe loses nothing, and a reader that
// holds the table's pipe and takes nothing does not keep a stop waiting.
TEST_F(DurnoRun, APipesWriterLosesNothingAndAPipesSilentReaderHoldsNoStop) {
  std::string steps;
  for (int step = 1; step <= 20000; ++step)
    steps += " STEP NUMBER " + std::to_string(step) + "\r\n AMgO = 0.5\r\n";
  put("big.out", steps);
  put("r2.out", " STEP NUMBER 3\r\n");
  ASSERT_EQ(::mkfifo((folder / "p").c_str(), 0600), 0);
  const std::string durno = "timeout --preserve-status -k 3 ";
  // The command, its status, a text the table holds and one that standard error holds.
  const std::vector<std::tuple<std::string, int, std::string, std::string>> cases = {
      {"(printf 'STEP NUMBER 1\\r\\nVAP = 0.5\\r\\nSTEP NUMBER 2\\r\\n' > p &); sleep 0.3; " +
           durno + "5 '" DURNO_BINARY "' -q A -c MgO -o t --quiet -j 1 p r2.out",
       0, "\r\n 2     50.000000000e-02", ""},
      {"sleep 20 < p & " + durno +
           "1 '" DURNO_BINARY "' -q A -c MgO -o - --quiet big.out > p; s=$?; kill $!; exit $s",
       128 + SIGTERM, "",
       "Extraction interrupted by SIGTERM while standard output took no more: it holds a part "
       "of the rows up to step "},
      {durno + "1 '" DURNO_BINARY "' -q A -c MgO -L p -o t r2.out", 128 + SIGTERM, "",
       "Interrupted by SIGTERM while the lists were read: nothing was written\n"},
  };
  for (const auto& [command, status, held, said] : cases) {
    fs::remove(folder / "t.dat");
    const int raw =
        std::system(("cd '" + folder.string() + "' && (" + command + ") 2> .stderr").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == status) << command << " " << raw;
    if (!held.empty()) {
      EXPECT_NE(file("t.dat").find(held), std::string::npos) << file("t.dat");
    }
    EXPECT_NE(file(".stderr").find(said), std::string::npos) << file(".stderr");
  }
}

// The table is the product and standard output only the screen: a screen reader that goes
// away (`| head`) neither ends the run nor cuts the table short.
TEST_F(DurnoRun, AScreenReaderThatGoesAwayLeavesTheTableWhole) {
  std::string results;
  // Far more screen lines than a pipe holds, so that the run writes after head has gone.
  for (int step = 1; step <= 20000; ++step)
    results += " STEP NUMBER " + std::to_string(step) + "\r\n";
  put("long.out", results);
  put(".answers", typedRunAnswers("a", "long", "long.out"));
  const std::string command = "cd '" + folder.string() +
                              "' && { '" DURNO_BINARY
                              "' < .answers; echo $? > .status; } | head -n 1 > .stdout";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(file(".status"), "0\n");
  const std::string table = file("long.dat");
  EXPECT_NE(table.find("\r\n 20000    "), std::string::npos) << table.size();
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
  text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
  return std::regex_replace(text, std::regex(R"(\n\.(B|BI|BR|I|IB) ([^ \n]*) ?)"), "\n$2");
}

TEST_F(DurnoRun, ManPageNamesTheOptionsAndExitStatusesOfHelp) {
  const std::string help = run("", "--help").out;
  const std::string manPage = manPageText();
  ASSERT_NE(manPage, "<no file>");

  const std::regex option(R"((?:^|[\s,\[|])(--?[a-zA-Z][-a-z]*))");
  const auto helpOptions = matches(section(help, "Extraction options:", "\nExit status:"), option);
  const std::set<std::string> everyOption = {"-q",
                                             "--quantity",
                                             "-c",
                                             "--compound",
                                             "-C",
                                             "--compound-list",
                                             "-k",
                                             "--key",
                                             "-L",
                                             "--file-list",
                                             "-o",
                                             "--output",
                                             "--format",
                                             "--save-compound-list",
                                             "--save-file-list",
                                             "--quiet",
                                             "-j",
                                             "--jobs",
                                             "-h",
                                             "--help",
                                             "--version",
                                             "--plot",
                                             "--x",
                                             "--columns",
                                             "--log",
                                             "--linear",
                                             "--all-compounds",
                                             "--list-compounds"};
  EXPECT_EQ(helpOptions, everyOption);
  EXPECT_EQ(matches(section(manPage, ".SH OPTIONS", ".SH THE DIALOGUE"), option), helpOptions);

  const std::regex status(R"((?:^|[\s,:])(\d+(?:\+N)?)(?=[\s.]))");
  const auto helpStatuses = matches(section(help, "Exit status:", "\n\n"), status);
  EXPECT_TRUE(helpStatuses.count("0") && helpStatuses.count("1") && helpStatuses.count("2"))
      << help;
  const std::regex taggedStatus(R"(\.TP\n(\d+(?:\+N)?)\n)");
  EXPECT_EQ(matches(section(manPage, ".SH EXIT STATUS", ".SH ENV"), taggedStatus), helpStatuses);
}

}  // namespace

// The command line is a second door to the same extraction: for every quantity, typed
// compounds, lists and both together give the piped dialogue's table byte for byte, and
// `-o -` gives the same bytes on standard output. Standard input is closed: it is never read.
// The dialogue scans with every core, the command line with -j 1 or every core: the tables
// are the same either way.
TEST_F(DurnoRun, TheCommandLineWritesThePipedDialoguesTable) {
  put("run1.out", kResults);
  put("run2.out", kResults);
  put("keys.cpd", " 1 \r\nAMgO \r\n");
  put("runs.xtr", " 1 \r\nrun2.out\r\n");
  struct Case {
    std::string answers, arguments;
  };
  std::vector<Case> cases;
  for (const std::string code : {"a", "G", "f", "X", "p"}) {
    cases.push_back({"\n" + code + "\n\nSiO2\nMgO\n\nn\n\nrun1.out\nrun2.out\n\nn\ndialogue\n",
                     "-j 1 -q " + code + " -c SiO2 --compound MgO run1.out run2.out -o cli"});
  }
  cases.push_back(
      {"\nA\nf\nkeys.cpd\nl\nruns.xtr\ndialogue\n", "-C keys.cpd -q A -L runs.xtr -o cli"});
  cases.push_back({"\nA\n\nSiO2\nMgO\n\nn\n\nrun2.out\nrun1.out\n\nn\ndialogue\n",
                   "-q a -c SiO2 -C keys.cpd -L runs.xtr run1.out --output=cli.DAT"});
  for (const Case& test : cases) {
    const Finished dialogue = run(test.answers);
    ASSERT_EQ(dialogue.status, 0) << test.answers << dialogue.out;
    const Finished command = run("", test.arguments, "<&- > .stdout 2> .stderr");
    EXPECT_EQ(command.status, 0) << test.arguments << command.err;
    EXPECT_EQ(command.out, "") << test.arguments;
    const std::string table =
        test.arguments.find(".DAT") != std::string::npos ? "cli.DAT" : "cli.dat";
    EXPECT_EQ(command.err, "Extracted data are on " + table + "\n") << test.arguments;
    EXPECT_EQ(file(table), file("dialogue.dat")) << test.arguments;
    const Finished toOutput = run("", test.arguments + " -o -", "<&- > .stdout 2> .stderr");
    EXPECT_EQ(toOutput.status, 2) << "-o given twice";
    const std::string onlyOutput = std::regex_replace(test.arguments, std::regex(" -o cli$"), "");
    if (onlyOutput == test.arguments) continue;
    const Finished piped = run("", onlyOutput + " -o -", "<&- > .stdout 2> .stderr");
    EXPECT_EQ(piped.out, file("dialogue.dat")) << onlyOutput;
    EXPECT_EQ(piped.err, "Extracted data are on standard output\n");
  }
}

// Each usage error: status 2, one line naming the problem and the hint, and no file made.
TEST_F(DurnoRun, CommandLineUsageErrorsNameTheProblemAndCreateNothing) {
  put("run1.out", kResults);
  put(
      "many.cpd", " 51 \r\n" + [] {
        std::string keys;
        for (int k = 0; k < 51; ++k)
          keys += "AK" + std::to_string(k) + " \r\n";
        return keys;
      }());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"-q A -x run1.out", "unknown option '-x'"},
      {"-q A run1.out -o", "missing argument after '-o'"},
      {"-q A -c SiO2", "no result file was named"},
      {"-q B -c SiO2 run1.out", "unknown quantity 'B': use A, G, F, X or P"},
      {"-c SiO2 run1.out", "no quantity: -q A, G, F, X or P is required"},
      {"-q A -C many.cpd run1.out", "Compound list \"many.cpd\" names more than 50 compounds"},
      {"-q A -C gone.cpd run1.out", "Compound list \"gone.cpd\" could not be read: "},
      {"-q A -k \"$(printf 'A\\tB')\" --format tsv run1.out", "\"A\tB\" holds a tab or a line end"},
      {"-q A -L gone.xtr", "File list \"gone.xtr\" could not be read: "},
      {"-q A -c SiO2 --save-file-list run1.out run1.out", "\"run1.out\" is the result file"},
      {"-q A -c SiO2 --save-file-list out.dat -o out run1.out",
       "\"out.dat\", the file list to save, is the table \"out.dat\""},
      {"-q A -c SiO2 --save-compound-list x --save-file-list ./x run1.out",
       "\"./x\", the file list to save, is the compound list to save \"x\""},
  };
  const auto before = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
  for (const auto& [arguments, problem] : cases) {
    const Finished finished = run("", arguments);
    EXPECT_EQ(finished.status, 2) << arguments;
    EXPECT_EQ(finished.err.rfind("durno: " + problem, 0), 0u) << finished.err;
    EXPECT_NE(finished.err.find("\nTry 'durno --help' for more information.\n"), std::string::npos)
        << finished.err;
    EXPECT_EQ(finished.out, "") << arguments;
    // Only the answers and the captured streams are new.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), before + 3)
        << arguments;
    EXPECT_EQ(file("run1.out"), kResults);
  }
}

// A command line takes any number of result files, one after another; one that is missing
// is named, the others' rows are written, and the status says some were not read.
TEST_F(DurnoRun, TheCommandLineReadsAHundredResultFilesAndNamesAMissingOne) {
  std::string names;
  for (int i = 1; i <= 100; ++i) {
    std::string name = "r";
    name.append(std::to_string(i)).append(".out");
    put(name, "STEP NUMBER " + std::to_string(i) + "\r\n");
    names += " " + name;
    if (i == 50) names += " missing.out";
  }
  const Finished finished = run("", "-q A --quiet" + names, "<&- > .stdout 2> .stderr");
  EXPECT_EQ(finished.status, 3);
  EXPECT_EQ(finished.err,
            "Result file \"missing.out\" could not be opened: No such file or directory\n"
            "1 of 101 result files could not be read (each is named above)\n");
  const std::string table = file("Zepres.dat");
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 3 + 100);
  EXPECT_NE(table.find("\r\n 100    "), std::string::npos);
}
