// Whole runs of the program against an in-memory console and file system. Each test types
// a script of answers; a script that stops early freezes the screen where the dialogue
// waits, so the screen can be checked cell by cell at that point.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.hpp"
#include "console/memory_host.hpp"
#include "dialogue/banner.hpp"
#include "dialogue/dialogue.hpp"
#include "textfile/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 25;
constexpr unsigned char kStartColours = 0x07;  // light grey on black
constexpr unsigned char kRunColours = 0x1E;    // yellow (14) on blue (1)
constexpr std::string_view kEscape = "\x1b";

// Concatenation that starts from a std::string, so no part is a bare literal on the left.
std::string joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts)
    text += part;
  return text;
}

std::string numbered(std::string_view prefix, int number, std::string_view suffix) {
  return joined({prefix, std::to_string(number), suffix});
}

// Answers up to the compound screen: a key at the banner, then the quantity code.
std::string upToCompounds(std::string_view code) {
  return joined({"x", code, "\n"});
}

const std::string kRun1 =
    " ZEPRO RUN 1\r\n"
    " STEP NUMBER 1\r\n"
    " VAP = 0.5\r\n"
    "   WTVAP =  12.5\r\n"
    " PTOT = 2\r\n"
    "    ASiO2 = 0.25\r\n"
    " AMgO  =  0.125\r\n"
    " STEP NUMBER 2\r\n";

// Fields of the rows the file above gives: step 1 with nothing seen yet, step 2 with all.
const std::string kZeroField = " 00.000000000e-01   ";
const std::string kRow1 = joined({" 1    ", kZeroField, kZeroField, kZeroField});
const std::string kRow2 =
    joined({" 2    ", " 50.000000000e-02   ", " 12.500000000e+00   ", " 20.000000000e-01   "});
const std::string kFixedTitles = "  STEP          VAP            WT%VAP         P(tot)       ";

std::string padded(std::string_view text) {
  std::string row(text);
  row.resize(kWidth, ' ');
  return row;
}

class DialogueRun : public ::testing::Test {
 protected:
  MemoryHost host{kWidth, kHeight};
  Console console{host, host};
  MemoryFileSystem fileSystem;
  TextFiles files{fileSystem};

  void type(std::string_view keys) { host.typeText(keys); }
  int run() { return runDialogue(console, files); }
  // Runs a script that ends before the dialogue does.
  void runUntilAnswersEnd() { EXPECT_THROW(run(), InputEnded); }
  std::string row(int number) const { return host.rowText(number); }
  // The row that is offset rows above the cursor's row.
  std::string rowAboveCursor(int offset) const { return host.rowText(host.cursorRow() - offset); }
  std::string table(const std::string& name = "Zepres.dat") const {
    return fileSystem.contents(name).value_or("<no file>");
  }
};

TEST_F(DialogueRun, BannerIsYellowOnBlueAndLeavesColumns79And80Alone) {
  type(kEscape);
  EXPECT_EQ(run(), kExitSuccess);
  const auto lines = bannerLines();
  for (int rowNumber = 1; rowNumber <= kBannerLineCount; ++rowNumber) {
    EXPECT_EQ(row(rowNumber), padded(lines[rowNumber - 1])) << "row " << rowNumber;
    for (int column = 1; column <= kBannerWidth; ++column) {
      ASSERT_EQ(host.attribute(rowNumber, column), kRunColours) << rowNumber << "," << column;
    }
    for (int column : {79, 80}) {
      EXPECT_EQ(host.attribute(rowNumber, column), kStartColours) << rowNumber << "," << column;
    }
  }
  for (int column = 1; column <= kWidth; ++column) {
    EXPECT_EQ(host.attribute(24, column), kStartColours);
  }
  EXPECT_EQ(host.cursorRow(), 24);
  EXPECT_EQ(host.cursorColumn(), 1);
}

TEST_F(DialogueRun, EscapeAtTheBannerTouchesNoFileAndAsksNothing) {
  fileSystem.put("r.out", kRun1);
  type(kEscape);
  type("a\n\nSiO2\n\nn\n\nr.out\n\nn\n\n");  // answers a user might have typed ahead
  EXPECT_EQ(run(), kExitSuccess);
  EXPECT_FALSE(fileSystem.exists("Zepres.dat"));
  EXPECT_EQ(row(kBannerLineCount), padded(bannerLines().back()));
}

TEST_F(DialogueRun, AnyOtherKeyAtTheBannerStartsTheDialogue) {
  const std::vector<std::string> keys = {
      "x", "\r", " ", std::string("\0\x3b", 2), std::string("\0\x48", 2), std::string("\0\x01", 2)};
  for (const std::string& key : keys) {
    MemoryHost freshHost{kWidth, kHeight};
    Console freshConsole{freshHost, freshHost};
    freshHost.pressKey(key);
    EXPECT_THROW(runDialogue(freshConsole, files), InputEnded);
    EXPECT_EQ(freshHost.rowText(2), padded("Extract:  Activities                       = A "));
  }
}

TEST_F(DialogueRun, MenuIsWrittenBelowAnEmptyFirstLineAndWaitsAfterItsLastLine) {
  type("x");
  runUntilAnswersEnd();
  const std::vector<std::string> menu = {
      "Extract:  Activities                       = A ",
      "          Activity Coefficients            = G ",
      "          Oxide mole fractions in silicate = F ",
      "          Gas Mole Fractions               = X ",
      "          Gas Partial Pressures            = P ",
  };
  EXPECT_EQ(row(1), padded(""));
  for (int index = 0; index < 5; ++index)
    EXPECT_EQ(row(2 + index), padded(menu[index]));
  EXPECT_EQ(host.cursorRow(), 6);
  EXPECT_EQ(host.cursorColumn(), static_cast<int>(menu.back().size()) + 1);
  // Every later screen clear paints the whole screen in the run's colours.
  EXPECT_EQ(host.attribute(25, 80), kRunColours);
}

TEST_F(DialogueRun, EmptyMenuAnswersRepeatTheMenuBelowSelectionRequired) {
  for (std::string_view answers : {"\n", "\n\n\n"}) {
    MemoryHost freshHost{kWidth, kHeight};
    Console freshConsole{freshHost, freshHost};
    freshHost.typeText("x");
    freshHost.typeText(answers);
    EXPECT_THROW(runDialogue(freshConsole, files), InputEnded);
    EXPECT_EQ(freshHost.rowText(1), padded(""));
    EXPECT_EQ(freshHost.rowText(2), padded("                SELECTION REQUIRED       "));
    EXPECT_EQ(freshHost.rowText(3), padded(""));
    EXPECT_EQ(freshHost.rowText(4), padded(""));
    EXPECT_EQ(freshHost.rowText(5), padded("Extract:  Activities                       = A "));
    EXPECT_EQ(freshHost.rowText(9), padded("          Gas Partial Pressures            = P "));
    EXPECT_EQ(freshHost.cursorRow(), 9);
  }
}

TEST_F(DialogueRun, CompoundScreenAsksForTheFirstCompound) {
  type(upToCompounds("a") + "\n");
  runUntilAnswersEnd();
  EXPECT_EQ(row(2), padded(" Select compounds to extract manually <RETURN> "));
  EXPECT_EQ(row(3), padded("          or take compound list from file <F>  "));
  EXPECT_EQ(row(5), padded("Select compounds, hit return when done"));
  EXPECT_EQ(row(6), padded("Formula MUST BE IN SAME FORMAT as in ZEPRO result file"));
  EXPECT_EQ(row(7), padded("search is CASE SENSITIVE"));
  EXPECT_EQ(row(8), padded(" 1 compound "));
  EXPECT_EQ(host.cursorRow(), 8);
  EXPECT_EQ(host.cursorColumn(), 13);
}

TEST_F(DialogueRun, TypedFormulasBecomeKeysWithTheCodeInFrontAndABlankBehind) {
  type(upToCompounds("a") + "\nSiO2\nMgO\n");
  runUntilAnswersEnd();
  EXPECT_EQ(row(8), padded(" 1 compound SiO2"));
  EXPECT_EQ(row(9), padded("search for ASiO2 "));
  EXPECT_EQ(row(10), padded(" 2 compound MgO"));
  EXPECT_EQ(row(11), padded("search for AMgO "));
  EXPECT_EQ(row(12), padded(" 3 compound "));
}

TEST_F(DialogueRun, TheFiftiethCompoundEndsEntryWithItsMessage) {
  std::string script = upToCompounds("g") + "\n";
  for (int index = 1; index <= 50; ++index)
    script += numbered("C", index, "\n");
  type(script);
  runUntilAnswersEnd();
  EXPECT_EQ(rowAboveCursor(4), padded(" 50 compound C50"));
  EXPECT_EQ(rowAboveCursor(3), padded("search for GC50 "));
  EXPECT_EQ(rowAboveCursor(2), padded(" Maximum number compounds are selected"));
  EXPECT_EQ(rowAboveCursor(1), padded(""));
  EXPECT_EQ(rowAboveCursor(0), padded("Save compound list to file <Y>/<N=RETURN> "));
}

TEST_F(DialogueRun, TheSeventiethFileEndsEntryWithItsMessage) {
  std::string script = upToCompounds("a") + "\n\n\n" + "\n";
  for (int index = 1; index <= 70; ++index)
    script += numbered("r", index, ".out\n");
  type(script);
  runUntilAnswersEnd();
  EXPECT_EQ(rowAboveCursor(4), padded(" 69 Filename r69.out"));
  EXPECT_EQ(rowAboveCursor(3), padded(" 70 Filename r70.out"));
  EXPECT_EQ(rowAboveCursor(2), padded(" No more files can be selected "));
  EXPECT_EQ(rowAboveCursor(1), padded(""));
  EXPECT_EQ(rowAboveCursor(0), padded("Save the filelist for other extractions <Y>/<N = RETURN> "));
}

TEST_F(DialogueRun, ResultFileScreensReadAsTheyShould) {
  type(upToCompounds("a") + "\n\n\n" + "\nrun1.out\n");
  runUntilAnswersEnd();
  EXPECT_EQ(row(1), padded("Enter Filename(s) to extract (e.g. data\\ZEPRO.out) "));
  EXPECT_EQ(row(2), padded("                   hit return when done"));
  EXPECT_EQ(row(3), padded(" 1 Filename run1.out"));
  EXPECT_EQ(row(4), padded(" 2 Filename "));

  MemoryHost listHost{kWidth, kHeight};
  Console listConsole{listHost, listHost};
  listHost.typeText(upToCompounds("a") + "\n\n\n" + "l\n");
  EXPECT_THROW(runDialogue(listConsole, files), InputEnded);
  EXPECT_EQ(listHost.rowText(4), padded(""));
  EXPECT_EQ(listHost.rowText(5),
            padded("Name of file containing the filenames of the ZEPRO results "
                   "to be extracted"));
  EXPECT_EQ(listHost.rowText(6), padded("File should have extension *.xtr, but others work too "));
}

TEST_F(DialogueRun, TypicalRunWritesTheTableAndNamesItOnTheClosingLine) {
  fileSystem.put("run1.out", kRun1);
  type(upToCompounds("a") + "\nSiO2\nMgO\n\nn\n" + "\nrun1.out\n\nn\n" + "\n");
  EXPECT_EQ(run(), kExitSuccess);
  EXPECT_EQ(table(), joined({"Data from run1.out\r\n", "Activities \r\n", kFixedTitles, "ASiO2 ",
                             std::string(9, ' '), "AMgO ", std::string(10, ' '), "\r\n", kRow1,
                             kZeroField, kZeroField, "\r\n",  //
                             kRow2, " 25.000000000e-02   ", " 12.500000000e-02   ", "\r\n"}));
  EXPECT_EQ(row(1), padded("Extracting data......"));
  EXPECT_EQ(row(2), padded("at STEP =  1 "));
  EXPECT_EQ(row(3), padded("at STEP =  2 "));
  EXPECT_EQ(row(4), padded(""));
  EXPECT_EQ(row(5), padded("Extracted data are on Zepres.dat"));
  EXPECT_EQ(host.cursorRow(), 6);
  EXPECT_EQ(host.cursorColumn(), 1);
  EXPECT_FALSE(fileSystem.exists("DURNO.CPD"));
}

TEST_F(DialogueRun, SavedListsHoldWhatWasTypedAndDefaultToDurnoCpd) {
  type(upToCompounds("a") + "\nSiO2\nMgO\n\nY\n\n" + "\nrun1.out\nrun2.out\n\ny\nJup.xtr\n" + "\n");
  EXPECT_EQ(run(), kExitSuccess);
  EXPECT_EQ(fileSystem.contents("DURNO.CPD"), " 2 \r\nASiO2 \r\nAMgO \r\n");
  EXPECT_EQ(fileSystem.contents("Jup.xtr"), " 2 \r\nrun1.out\r\nrun2.out\r\n");
}

TEST_F(DialogueRun, ListOfCompoundsSavedFollowsTheSavePrompts) {
  type(upToCompounds("a") + "\nSiO2\n\ny\nmy.cpd\n");
  runUntilAnswersEnd();
  EXPECT_EQ(fileSystem.contents("my.cpd"), " 1 \r\nASiO2 \r\n");
  // The save screen is wiped by the next screen; the transcript keeps it.
  const std::string transcript = host.transcript();
  EXPECT_NE(transcript.find("Save compound list to file <Y>/<N=RETURN> y\n"
                            "Enter filename+extension for compound list \n"
                            "     e.g., carbon.cpd, RETURN = DURNO.CPD my.cpd\n"
                            "List of compounds saved\n\n"),
            std::string::npos)
      << transcript;
}

TEST_F(DialogueRun, ListsSavedUnderOneCodeKeepTheirKeysUnderAnother) {
  fileSystem.put("run1.out", kRun1 + " GSiO2 = 0.75\r\n STEP NUMBER 3\r\n");
  fileSystem.put("a.cpd", " 1 \r\nASiO2 \r\n");
  fileSystem.put("runs.xtr", " 1 \r\nrun1.out\r\n");
  type(upToCompounds("g") + "f\na.cpd\n" + "L\nruns.xtr\n" + "\n");
  EXPECT_EQ(run(), kExitSuccess);
  EXPECT_EQ(table(), joined({"Data from run1.out\r\n", "Activity Coefficients\r\n", kFixedTitles,
                             "ASiO2 ", std::string(9, ' '), "\r\n",  //
                             kRow1, kZeroField, "\r\n",              //
                             kRow2, " 25.000000000e-02   ", "\r\n",  //
                             " 3    ", " 50.000000000e-02   ", " 12.500000000e+00   ",
                             " 20.000000000e-01   ", " 25.000000000e-02   ", "\r\n"}));
}

TEST_F(DialogueRun, AnEmptyCompoundListNameLoadsDurnoCpd) {
  fileSystem.put("run1.out", kRun1);
  fileSystem.put("DURNO.CPD", " 1 \r\nAMgO \r\n");
  type(upToCompounds("a") + "f\n\n" + "\nrun1.out\n\nn\n" + "\n");
  EXPECT_EQ(run(), kExitSuccess);
  EXPECT_NE(table().find(joined({"AMgO ", std::string(10, ' '), "\r\n"})), std::string::npos);
}

TEST_F(DialogueRun, AListThatCannotBeReadIsNamedWithItsReasonAndTheRunGoesOn) {
  fileSystem.put("run1.out", kRun1);
  type(upToCompounds("a") + "f\nnope.cpd\n" + "l\nnope.xtr\n");
  runUntilAnswersEnd();
  // The file list failure stays on screen above the output-name prompt.
  const std::string fileListLine = rowAboveCursor(3);
  EXPECT_EQ(fileListLine.rfind("File list \"nope.xtr\" could not be read: ", 0), 0u)
      << fileListLine;
  EXPECT_GT(fileListLine.find_last_not_of(' '), 40u) << "no reason given";
  EXPECT_EQ(rowAboveCursor(1), padded("Filename for extracted data, NO EXTENSION "));

  MemoryHost fullHost{kWidth, kHeight};
  Console fullConsole{fullHost, fullHost};
  fullHost.typeText(upToCompounds("a") + "f\nnope.cpd\n" + "\nrun1.out\n\nn\n" + "\n");
  EXPECT_EQ(runDialogue(fullConsole, files), kExitSuccess);
  // Both the moment it happened and the extraction screen say so.
  EXPECT_NE(fullHost.transcript().find("nope.cpd\nCompound list \"nope.cpd\" could not be read: "),
            std::string::npos);
  EXPECT_EQ(fullHost.rowText(2).rfind("Compound list \"nope.cpd\" could not be read: ", 0), 0u);
  EXPECT_EQ(table(), joined({"Data from run1.out\r\nActivities \r\n", kFixedTitles, "\r\n", kRow1,
                             "\r\n", kRow2, "\r\n"}));
}

TEST_F(DialogueRun, OversizedListsAreCutWithAMessage) {
  std::string bigList = " 80 \r\n";
  for (int index = 1; index <= 80; ++index)
    bigList += numbered("r", index, ".out\r\n");
  fileSystem.put("big.xtr", bigList);
  type(upToCompounds("a") + "\n\n\n" + "l\nbig.xtr\n");
  runUntilAnswersEnd();
  EXPECT_EQ(rowAboveCursor(3),
            padded("File list \"big.xtr\" names more than 70 files: only the first 70 are used"));
}

TEST_F(DialogueRun, ACompoundListThatCannotBeSavedIsReportedNotConfirmed) {
  fileSystem.refuseOpen("DURNO.CPD", "Permission denied");
  type(upToCompounds("a") + "\nSiO2\n\ny\n\n");
  runUntilAnswersEnd();
  const std::string transcript = host.transcript();
  EXPECT_EQ(transcript.find("List of compounds saved"), std::string::npos);
  EXPECT_NE(
      transcript.find("Compound list could not be saved to \"DURNO.CPD\": Permission denied\n"),
      std::string::npos)
      << transcript;
}

TEST_F(DialogueRun, AFileListThatCannotBeSavedIsReported) {
  fileSystem.failWritesAfter("Jup.xtr", 8, "No space left on device");
  type(upToCompounds("a") + "\n\n\n" + "\nrun1.out\n\ny\nJup.xtr\n");
  runUntilAnswersEnd();
  EXPECT_EQ(rowAboveCursor(3),
            padded("File list could not be saved to \"Jup.xtr\": No space left on device"));
}

TEST_F(DialogueRun, ATableThatCannotBeWrittenEndsTheRunWithStatus1AndTheReason) {
  fileSystem.put("run1.out", kRun1);
  fileSystem.refuseOpen("locked.dat", "Resource temporarily unavailable");
  type(upToCompounds("a") + "\n\n\n" + "\nrun1.out\n\nn\n" + "locked\n");
  EXPECT_EQ(run(), kExitTableNotWritten);
  const std::string transcript = host.transcript();
  const std::string closing =
      "\nExtracted data could not be written to \"locked.dat\": Resource temporarily unavailable\n";
  ASSERT_GE(transcript.size(), closing.size());
  EXPECT_EQ(transcript.substr(transcript.size() - closing.size()), closing);
  EXPECT_EQ(host.transcript().find("Extracted data are on"), std::string::npos);

  MemoryHost fullHost{kWidth, kHeight};
  Console fullConsole{fullHost, fullHost};
  fileSystem.failWritesAfter("full.dat", 30, "No space left on device");
  fullHost.typeText(upToCompounds("a") + "\n\n\n" + "\nrun1.out\n\nn\n" + "full\n");
  EXPECT_EQ(runDialogue(fullConsole, files), kExitTableNotWritten);
  EXPECT_EQ(fullHost.rowText(fullHost.cursorRow() - 1),
            padded("Extracted data could not be written to \"full.dat\": No space left on device"));
}

}  // namespace
}  // namespace durno
