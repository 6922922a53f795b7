#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "extract/extraction.hpp"
#include "extraction_fixture.hpp"

namespace durno {
namespace {

using testing::crlfLines;
using testing::ExtractionRun;
using testing::kZeroField;
using testing::row;

// Field texts used below, as the masks give them.
const std::string kStep1 = " 1    ";
const std::string kStep2 = " 2    ";
const std::string kStep3 = " 3    ";
const std::string kStep5 = " 5    ";
const std::string kStep12 = " 12    ";
const std::string kOneTenth = " 10.000000000e-02   ";
const std::string kTwoTenths = " 20.000000000e-02   ";
const std::string kQuarter = " 25.000000000e-02   ";
const std::string kFourTenths = " 40.000000000e-02   ";
const std::string kHalf = " 50.000000000e-02   ";
const std::string kOne = " 10.000000000e-01   ";
const std::string kThree = " 30.000000000e-01   ";
const std::string kSeven = " 70.000000000e-01   ";

struct ScanCase {
  const char* name;
  std::string code;
  std::vector<std::string> keys;
  std::vector<std::pair<std::string, std::string>> files;  // name and bytes
  std::vector<std::string> resultFiles;
  std::string expectedRows;  // the table after its header
};

std::vector<ScanCase> scanCases() {
  const std::string run1 = "run1.out";
  const std::string run2 = "run2.out";
  return {
      {"a row holds the values seen before its marker",
       "A",
       {"ASiO2 "},
       {{run1, crlfLines({"STEP NUMBER 1", "VAP = 0.5", "ASiO2 = 1", "STEP NUMBER 12"})}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField, kZeroField}) +
           row(kStep12, {kHalf, kZeroField, kZeroField, kOne})},
      {"values carry over across steps and files",
       "A",
       {"ASiO2 "},
       {{run1, crlfLines({"STEP NUMBER 1", "VAP = 0.1", "ASiO2 = 0.5", "STEP NUMBER 2", "VAP = 0.2",
                          "ASiO2 = 0.4"})},
        {run2, crlfLines({"STEP NUMBER 1", "PTOT = 7", "STEP NUMBER 2"})}},
       {run1, run2},
       row(kStep1, {kZeroField, kZeroField, kZeroField, kZeroField}) +
           row(kStep2, {kOneTenth, kZeroField, kZeroField, kHalf}) +
           row(kStep1, {kTwoTenths, kZeroField, kZeroField, kFourTenths}) +
           row(kStep2, {kTwoTenths, kZeroField, kSeven, kFourTenths})},
      {"a file without markers adds no row but sets values",
       "A",
       {"ASiO2 "},
       {{run1, crlfLines({"VAP = 0.25", "ASiO2 = 1"})}, {run2, crlfLines({"STEP NUMBER 3"})}},
       {run1, run2},
       row(kStep3, {kQuarter, kZeroField, kZeroField, kOne})},
      {"repeated step numbers give one row each",
       "A",
       {"ASiO2 "},
       {{run1, crlfLines({"STEP NUMBER 5", "STEP NUMBER 5"})},
        {run2, crlfLines({"STEP NUMBER 1"})}},
       {run1, run2},
       row(kStep5, {kZeroField, kZeroField, kZeroField, kZeroField}) +
           row(kStep5, {kZeroField, kZeroField, kZeroField, kZeroField}) +
           row(kStep1, {kZeroField, kZeroField, kZeroField, kZeroField})},
      {"leading blanks are removed but a leading tab hides the key",
       "A",
       {"ASiO2 "},
       {{run1, crlfLines({"   VAP =  0.25", "\tVAP = 0.7", "   STEP NUMBER 1"})}},
       {run1},
       row(kStep1, {kQuarter, kZeroField, kZeroField, kZeroField})},
      {"a value is cut from its own line only",
       "A",
       {"ASiO2 "},
       {{run1, crlfLines({"PTOT = 3.0", "VAP = 0.1  PTOT = 2.0", "WTVAP = 3.0", "STEP NUMBER 1",
                          "VAP = 0.5  12", "STEP NUMBER 2"})}},
       {run1},
       row(kStep1, {kOneTenth, kThree, kThree, kZeroField}) +
           row(kStep2, {" 51.200000000e-02   ", kThree, kThree, kZeroField})},
      {"a key with its trailing blank matches only its own formula",
       "A",
       {"ASiO2 "},
       {{run1, crlfLines({"ASiO2  =  1.5E-03", "ASiO2= 9", "aSiO2 = 9", "ASiO2(l) = 9",
                          "STEP NUMBER 1"})}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField, " 15.000000000e-04   "})},
      {"a key without the trailing blank also matches longer formulas",
       "A",
       {"ASiO2"},
       {{run1, crlfLines({"ASiO2 = 0.5", "STEP NUMBER 1", "ASiO2(l) = 2.0E-01", "STEP NUMBER 2"})}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField, kHalf}) +
           row(kStep2, {kZeroField, kZeroField, kZeroField, kZeroField})},
      {"equal keys both take every value",
       "A",
       {"ASiO2 ", "AMgO ", "ASiO2 "},
       {{run1, crlfLines({"ASiO2 = 0.5", "AMgO = 0.25", "STEP NUMBER 1"})}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField, kHalf, kQuarter, kHalf})},
      {"an empty key is re-cut from every line, the marker line included",
       "A",
       {"", "ASiO2 "},
       {{run1, crlfLines({"0.5", "ASiO2 = 0.25", "STEP NUMBER 1"})}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField, kZeroField, kQuarter})},
      {"an unknown quantity code examines no compound line",
       "Z",
       {"ZSiO2 "},
       {{run1, crlfLines({"ZSiO2 = 0.5", "VAP = 0.5", "STEP NUMBER 1"})}},
       {run1},
       row(kStep1, {kHalf, kZeroField, kZeroField})},
      {"no compounds gives the step values only",
       "A",
       {},
       {{run1, crlfLines({"VAP = 0.5", "STEP NUMBER 1"})}},
       {run1},
       row(kStep1, {kHalf, kZeroField, kZeroField})},
      {"LF line ends read line by line",
       "A",
       {"ASiO2 "},
       {{run1, "STEP NUMBER 1\nVAP = 0.5\nASiO2 = 1\nSTEP NUMBER 2\n"}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField, kZeroField}) +
           row(kStep2, {kHalf, kZeroField, kZeroField, kOne})},
      {"CR line ends read line by line",
       "A",
       {"ASiO2 "},
       {{run1, "STEP NUMBER 1\rVAP = 0.5\rASiO2 = 1\rSTEP NUMBER 2"}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField, kZeroField}) +
           row(kStep2, {kHalf, kZeroField, kZeroField, kOne})},
      {"byte 26 ends a file's readable content",
       "A",
       {},
       {{run1, crlfLines({"STEP NUMBER 1"}) + "\x1a" + crlfLines({"STEP NUMBER 2"})}},
       {run1},
       row(kStep1, {kZeroField, kZeroField, kZeroField})},
      {"an empty file and a file of blank lines give nothing",
       "A",
       {"ASiO2 "},
       {{run1, ""}, {run2, "\r\n   \r\n\r\n"}},
       {run1, run2},
       ""},
      {"a file that cannot be opened is passed over",
       "A",
       {},
       {{run2, crlfLines({"STEP NUMBER 2"})}},
       {"missing.out", "", run2},
       row(kStep2, {kZeroField, kZeroField, kZeroField})},
      {"the table itself as a result file is passed over",
       "A",
       {},
       {{run1, crlfLines({"STEP NUMBER 1"})}},
       {"Zepres.dat", run1, "Zepres.dat"},
       row(kStep1, {kZeroField, kZeroField, kZeroField})},
  };
}

TEST(Scan, RowsFollowTheLinesAsRead) {
  for (const ScanCase& c : scanCases()) {
    SCOPED_TRACE(c.name);
    testing::ExtractionWorld world;
    for (const auto& [name, bytes] : c.files)
      world.fileSystem.put(name, bytes);
    const ExtractionOutcome outcome = world.run(c.code, c.keys, c.resultFiles);
    EXPECT_TRUE(outcome.table.ok()) << outcome.table.reason;
    EXPECT_EQ(world.rows(c.code == "Z" ? 2 : 3), c.expectedRows);
  }
}

TEST_F(ExtractionRun, ShowsOneStepLinePerRowInPlainNumberText) {
  fileSystem.put("run1.out", crlfLines({"STEP NUMBER 5", "STEP NUMBER    12", "STEP NUMBER -3"}));
  run("A", {}, {"run1.out"});
  EXPECT_EQ(host.transcript(), "at STEP =  5 \nat STEP =  12 \nat STEP = -3 \n");
}

TEST_F(ExtractionRun, NamesEachFileThatCannotBeOpenedWithTheReason) {
  fileSystem.put("run1.out", crlfLines({"STEP NUMBER 1"}));
  fileSystem.put("locked.out", crlfLines({"STEP NUMBER 9"}));
  fileSystem.refuseOpen("locked.out", "Resource temporarily unavailable");
  run("A", {}, {"missing.out", "locked.out", "run1.out", "Zepres.dat"});
  const std::string transcript = host.transcript();
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> split;
    std::size_t at = 0;
    while (at < transcript.size()) {
      const std::size_t end = transcript.find('\n', at);
      split.push_back(transcript.substr(at, end - at));
      at = end + 1;
    }
    return split;
  }();
  ASSERT_EQ(lines.size(), 4u) << transcript;
  const std::string missing = "Result file \"missing.out\" could not be opened: ";
  EXPECT_EQ(lines[0].rfind(missing, 0), 0u) << lines[0];
  EXPECT_GT(lines[0].size(), missing.size()) << "the reason is missing";
  EXPECT_EQ(lines[1],
            "Result file \"locked.out\" could not be opened: Resource temporarily unavailable");
  EXPECT_EQ(lines[2], "at STEP =  1 ");
  EXPECT_EQ(lines[3].rfind("Result file \"Zepres.dat\" could not be opened: ", 0), 0u) << lines[3];
}

// A read that fails right after a whole line, when the next read is due, is a read error
// like any other: the file is named and not counted as read.
TEST_F(ExtractionRun, AReadFailureBetweenLinesIsReported) {
  const std::string firstLine = "STEP NUMBER 1\r\n";
  fileSystem.put("run1.out", firstLine + "STEP NUMBER 2\r\n");
  fileSystem.failReadsAt("run1.out", firstLine.size(), "Input/output error");
  const ExtractionOutcome outcome = run("A", {}, {"run1.out"});
  EXPECT_EQ(host.transcript(),
            "at STEP =  1 \nResult file \"run1.out\" could not be read: Input/output error\n");
  EXPECT_EQ(outcome.unreadableFiles, 1);
}

TEST_F(ExtractionRun, TheSameLineFormatsDifferentlyAsActivityAndAsCoefficient) {
  // 1.23456100005 lies exactly halfway at the eleventh digit in its 18-digit form as an
  // extended float, so the field rounds to even; the nearest double lies above halfway and
  // rounds up. The "G" column must show the double it holds, the "A" column the extended.
  fileSystem.put("run1.out",
                 crlfLines({"ASiO2 = 1.23456100005", "GSiO2 = 1.23456100005", "STEP NUMBER 1"}));
  run("A", {"ASiO2 "}, {"run1.out"});
  EXPECT_EQ(rows(3), row(kStep1, {kZeroField, kZeroField, kZeroField, " 12.345610000e-01   "}));
  run("G", {"GSiO2 "}, {"run1.out"}, "g.dat");
  EXPECT_EQ(rows(3), row(kStep1, {kZeroField, kZeroField, kZeroField, " 12.345610001e-01   "}));
}

TEST_F(ExtractionRun, ACoefficientBeyondTheDoubleRangeShowsAsInfinite) {
  fileSystem.put("run1.out", crlfLines({"GSiO2 = 1E400", "GMgO = -2E308", "STEP NUMBER 1"}));
  run("G", {"GSiO2 ", "GMgO "}, {"run1.out"});
  EXPECT_EQ(rows(3), row(kStep1, {kZeroField, kZeroField, kZeroField, " 10.000000000e+998   ",
                                  " -10.000000000e+998   "}));
}

// Keys beyond the table's 50 columns are cut; result files are read however many there are,
// one at a time, under the same file numbers in turn.
TEST_F(ExtractionRun, KeysBeyondTheCapacityAreCutButEveryResultFileIsRead) {
  std::vector<std::string> keys(kMaxCompounds + 5, "ASiO2 ");
  std::vector<std::string> names;
  for (int i = 1; i <= kMaxResultFiles + 3; ++i) {
    names.push_back("run" + std::to_string(i) + ".out");
    fileSystem.put(names.back(), crlfLines({"ASiO2 = 1", "STEP NUMBER " + std::to_string(i)}));
  }
  run("A", keys, names);
  std::string expected;
  for (int i = 1; i <= kMaxResultFiles + 3; ++i) {
    expected.append(" ").append(std::to_string(i)).append("    ");
    expected.append(kZeroField).append(kZeroField).append(kZeroField);
    for (int k = 0; k < kMaxCompounds; ++k)
      expected += kOne;
    expected += "\r\n";
  }
  EXPECT_EQ(rows(3), expected);
}

TEST_F(ExtractionRun, LongLinesAndArbitraryBytesAreHandledWhole) {
  const std::string longTail(200000, '7');
  std::string bytes = "ASiO2 = 0." + longTail + "\r\n";
  bytes += std::string("\0\xff\x80 VAP = 1\r\n", 13);
  bytes += "ASiO2" + std::string(100000, ' ') + "ASiO2 ASiO2 = 0.25\r\n";
  bytes += "STEP NUMBER 1\r\n";
  fileSystem.put("run1.out", bytes);
  run("A", {"ASiO2 "}, {"run1.out"});
  EXPECT_EQ(rows(3), row(kStep1, {kZeroField, kZeroField, kZeroField, kQuarter}));
}

}  // namespace
}  // namespace durno

namespace durno {
namespace {

using testing::crlfLines;
using testing::ExtractionWorld;

// Result files that exercise what a scan ahead must carry from file to file: values first
// given mid-file, a file with no step, one that cannot be opened, one whose read fails
// part-way, a pipe read in turn between files scanned ahead, and a key no file has.
void putCarryingFiles(MemoryFileSystem& fileSystem) {
  std::string big;
  for (int step = 1; step <= 3000; ++step) {
    big += "STEP NUMBER " + std::to_string(step) + "\r\n";
    if (step == 2000) big += "AMgO = 0.5\r\nVAP = 7\r\n";
  }
  fileSystem.put("a.out",
                 crlfLines({"STEP NUMBER 1", "ASiO2 = 0.25", "PTOT = 3", "STEP NUMBER 2"}));
  fileSystem.put("big.out", big);
  fileSystem.put("nosteps.out", crlfLines({"ASiO2 = 0.75", "WTVAP = 12"}));
  fileSystem.putPipe("pipe.out", crlfLines({"STEP NUMBER 9", "AMgO = 2E-3", "STEP NUMBER 10"}));
  fileSystem.put("cut.out", crlfLines({"STEP NUMBER 4", "ASiO2 = 1", "STEP NUMBER 5", "x"}));
  fileSystem.failReadsAt("cut.out", 40, "Input/output error");
  fileSystem.put("last.out", crlfLines({"STEP NUMBER 1", "AMgO = 4", "STEP NUMBER 2"}));
}

const std::vector<std::string> kCarryingRun = {"a.out",    "big.out", "missing.out", "nosteps.out",
                                               "pipe.out", "cut.out", "last.out",    "big.out"};

// Files scanned ahead by workers give the table, the screen and the outcome of the files
// read one by one, byte for byte, whatever the number of workers.
TEST(ScanAhead, GivesWhatTheScanInTurnGives) {
  ExtractionWorld inTurn;
  putCarryingFiles(inTurn.fileSystem);
  const ExtractionOutcome expected = inTurn.run("A", {"ASiO2 ", "AMgO ", "ANone "}, kCarryingRun);
  ASSERT_EQ(expected.unreadableFiles, 2);
  for (const int jobs : {2, 3, 16}) {
    ExtractionWorld ahead;
    ahead.jobs = jobs;
    putCarryingFiles(ahead.fileSystem);
    const ExtractionOutcome outcome = ahead.run("A", {"ASiO2 ", "AMgO ", "ANone "}, kCarryingRun);
    EXPECT_EQ(ahead.table(), inTurn.table()) << jobs;
    EXPECT_EQ(ahead.host.transcript(), inTurn.host.transcript()) << jobs;
    EXPECT_EQ(outcome.rows, expected.rows);
    EXPECT_EQ(outcome.unreadableFiles, expected.unreadableFiles);
    EXPECT_EQ(outcome.lastRowFile, expected.lastRowFile);
    EXPECT_EQ(outcome.lastRowStep, expected.lastRowStep);
  }
}

// Corpora of four files in which every file gives every value before its first row, none
// gives its own rows any (each gives them all after its last row, for the next file to
// carry), and a mix in which some rows lack only the last value: a scan ahead puts the values
// carried in where the scan in turn has them.
TEST(ScanAhead, PutsTheCarriedValuesWhereTheScanInTurnHasThem) {
  const std::vector<std::string> kValueLines = {"VAP = 1.5", "WTVAP = 2.5", "PTOT = 3.5",
                                                "ASiO2 = 4.5", "AMgO = 5.5"};
  auto values = [&](int file) {
    std::string text;
    for (const std::string& line : kValueLines)
      text += line + std::to_string(file) + "\r\n";
    return text;
  };
  auto steps = [](int from, int count) {
    std::string text;
    for (int step = from; step < from + count; ++step)
      text += "STEP NUMBER " + std::to_string(step) + "\r\n";
    return text;
  };
  struct Corpus {
    const char* name;
    std::function<std::string(int file)> text;
  };
  const std::vector<Corpus> corpora = {
      {"every file gives every value", [&](int f) { return values(f) + steps(1, 3); }},
      {"no file gives its rows a value", [&](int f) { return steps(1, 3) + values(f); }},
      {"a mix",
       [&](int f) {
         // Odd files give every value but the last before their rows, and it after them.
         if (f % 2 == 0) return values(f) + steps(1, 2);
         const std::string allButLast = values(f).substr(0, values(f).rfind("AMgO"));
         return allButLast + steps(1, 1) + kValueLines[static_cast<std::size_t>(f)] + "7\r\n" +
                steps(2, 2) + kValueLines.back() + "8\r\n";
       }},
  };
  const std::vector<std::string> run = {"f0.out", "f1.out", "f2.out", "f3.out"};
  for (const Corpus& corpus : corpora) {
    std::string inTurn;
    for (const int jobs : {1, 2, 3}) {
      ExtractionWorld world;
      world.jobs = jobs;
      for (std::size_t f = 0; f < run.size(); ++f)
        world.fileSystem.put(run[f], corpus.text(static_cast<int>(f)));
      world.run("A", {"ASiO2 ", "AMgO "}, run);
      if (jobs == 1) {
        inTurn = world.table();
      } else {
        EXPECT_EQ(world.table(), inTurn) << corpus.name << ", -j " << jobs;
      }
    }
  }
}

// A stop that comes while workers are ahead still ends the table at the row the outcome
// names, with nothing after it.
TEST(ScanAhead, AStopEndsTheTableAtTheRowItNames) {
  class StopAfter final : public ExtractionEvents {
   public:
    explicit StopAfter(durno::StopFlag& flag) : flag_(flag) {}
    void fileBegun(int, std::string_view) override {}
    void stepReached(long double, unsigned long long) override {
      if (++steps_ == 2500) flag_ = 15;
    }
    void fileUnreadable(std::string_view, FileProblem, std::string_view) override {}
    void fileFinished(int, std::string_view, unsigned long long) override {}
    void keysUnmatched(std::span<const std::string>) override {}

   private:
    durno::StopFlag& flag_;
    int steps_ = 0;
  };
  durno::StopFlag stop{0};
  StopAfter events(stop);
  ExtractionWorld world;
  world.jobs = 2;
  world.stopSignal = &stop;
  world.events = &events;
  putCarryingFiles(world.fileSystem);
  const ExtractionOutcome outcome = world.run("A", {"ASiO2 "}, kCarryingRun);
  EXPECT_EQ(outcome.stoppedBy, 15);
  EXPECT_EQ(outcome.rows, 2500);
  EXPECT_EQ(outcome.lastRowFile, "big.out");
  EXPECT_EQ(outcome.lastRowStep, 2498);
  const std::string table = world.table();
  EXPECT_EQ(table.substr(table.rfind("\r\n", table.size() - 3) + 2, 6), " 2498 ");
}

}  // namespace
}  // namespace durno
