#include <gtest/gtest.h>

#include "extract/table_writer.hpp"
#include "extraction_fixture.hpp"

namespace durno {
namespace {

using testing::crlfLines;
using testing::ExtractionRun;
using testing::kFixedTitleLine;

using TableHeader = ExtractionRun;

TEST_F(TableHeader, NamesTheFirstFileLabelsTheQuantityAndPadsEachKeyTo15) {
  fileSystem.put("run1.out", "");
  fileSystem.put("run2.out", "");
  run("A", {"ASiO2 ", "AMgO "}, {"run1.out", "run2.out"});
  EXPECT_EQ(table(), crlfLines({"Data from run1.out", "Activities ",
                                kFixedTitleLine + "ASiO2          AMgO           "}));
}

// A control byte of the first file's name is shown in caret form, so the header stays
// three lines that --plot reads back.
TEST_F(TableHeader, ShowsControlBytesOfTheFirstFilesNameInCaretForm) {
  fileSystem.put("r\n1\r\t.out", "");
  run("A", {"ASiO2 "}, {"r\n1\r\t.out"});
  EXPECT_EQ(table(), crlfLines({"Data from r^J1^M^I.out", "Activities ",
                                kFixedTitleLine + "ASiO2          "}));
}

TEST_F(TableHeader, EveryKnownCodeHasItsLabel) {
  const std::vector<std::pair<std::string, std::string>> labels = {
      {"A", "Activities "},
      {"G", "Activity Coefficients"},
      {"F", "oxide mole fractional in silicate"},
      {"P", "partial pressures"},
      {"X", "gas mole fractions"},
  };
  for (const auto& [code, label] : labels) {
    const std::string name = code + ".dat";
    run(code, {}, {}, name);
    EXPECT_EQ(table(), crlfLines({"Data from ", label, kFixedTitleLine})) << code;
  }
}

TEST_F(TableHeader, AnUnknownCodeHasNoLabelButKeepsTheKeyTitles) {
  fileSystem.put("run1.out", "");
  run("Z", {"ZSiO2 ", "ZMgO "}, {"run1.out"});
  EXPECT_EQ(table(),
            crlfLines({"Data from run1.out", kFixedTitleLine + "ZSiO2 " + std::string(9, ' ') +
                                                 "ZMgO " + std::string(10, ' ')}));
}

TEST_F(TableHeader, LongKeysAreFollowedDirectlyByTheNextTitle) {
  const std::string fifteen = "A123456789ABCDE";
  const std::string sixteen = "A123456789ABCDEF";
  run("A", {fifteen, sixteen, "", "AMgO "}, {});
  EXPECT_EQ(table(), crlfLines({"Data from ", "Activities ",
                                kFixedTitleLine + fifteen + sixteen + std::string(15, ' ') +
                                    "AMgO " + std::string(10, ' ')}));
}

TEST_F(TableHeader, WithoutResultFilesOnlyTheHeaderIsWritten) {
  const ExtractionOutcome outcome = run("A", {"ASiO2 "}, {});
  EXPECT_TRUE(outcome.table.ok());
  EXPECT_EQ(table(), crlfLines({"Data from ", "Activities ",
                                kFixedTitleLine + "ASiO2 " + std::string(9, ' ')}));
  EXPECT_EQ(host.transcript(), "");
}

TEST_F(TableHeader, AnExistingTableIsReplacedEvenWithoutMarkers) {
  fileSystem.put("Zepres.dat", "Data from an earlier run" + std::string(5000, 'x'));
  fileSystem.put("run1.out", crlfLines({"VAP = 1"}));
  run("A", {}, {"run1.out"});
  EXPECT_EQ(table(), crlfLines({"Data from run1.out", "Activities ", kFixedTitleLine}));
}

using TableFailure = ExtractionRun;

// A table that cannot take rows is not worth the rest of the scan: nothing more is read
// once the table has failed, and the outcome gives the first failure's reason. Rows go to
// the table in blocks of whole rows, and a block the disk took only in part is taken
// back, so the table ends at a row's end.
TEST_F(TableFailure, TheScanEndsWhenTheTableCannotBeCreatedOrWritten) {
  std::string lines;
  for (int step = 1; step <= 5000; ++step)
    lines += "STEP NUMBER " + std::to_string(step) + "\r\n";
  fileSystem.put("run1.out", lines);
  fileSystem.refuseOpen("refused.dat", "Permission denied");
  ExtractionOutcome outcome = run("A", {"ASiO2 "}, {"run1.out"}, "refused.dat");
  EXPECT_EQ(outcome.table.reason, "Permission denied");
  EXPECT_EQ(host.transcript(), "") << "no step of a table never created";

  run("A", {"ASiO2 "}, {"run1.out"}, "whole.dat");
  const std::string whole = table();
  const std::size_t shownBefore = host.transcript().size();
  fileSystem.failWritesAfter("Zepres.dat", 100'000, "No space left on device");
  outcome = run("A", {"ASiO2 "}, {"run1.out"});
  EXPECT_EQ(outcome.table.reason, "No space left on device");
  EXPECT_LT(table().size(), 100'000u);
  // CR LF ends rows only, so a beginning of the whole table that ends in one is whole rows.
  EXPECT_EQ(whole.rfind(table(), 0), 0u);
  EXPECT_EQ(table().substr(table().size() - 2), "\r\n");
  const std::string shown = host.transcript().substr(shownBefore);
  EXPECT_EQ(shown.find("at STEP =  5000 \n"), std::string::npos);
  EXPECT_EQ(shown.find("Not found"), std::string::npos);
}

// A table whose name no longer leads to it when it is closed (its folder was removed during
// the run) cannot be found by anyone: that is a table not written.
TEST_F(TableFailure, ATableThatLostItsNameIsNotWritten) {
  TableWriter writer(files, Quantity::fromCode("A"), {});
  writer.openOutputTable("gone/t.dat", "run1.out");
  fileSystem.remove("gone/t.dat");
  writer.close();
  EXPECT_FALSE(writer.status().ok());
  EXPECT_NE(writer.status().reason.find("removed or renamed"), std::string::npos);
}

// Rows are composed in a buffer sized for the widest value field.
TEST(RowFormatter, TheValueMasksWidestFieldFitsTheRowsRoom) {
  const MaskFormatter valueMask(kValueMask);
  EXPECT_GT(valueMask.fieldWidthBound(), 0u);
  EXPECT_LE(valueMask.fieldWidthBound(), RowFormatter::kValueFieldRoom);
}

}  // namespace
}  // namespace durno
