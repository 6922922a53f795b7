#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogue/list_files.hpp"
#include "testing/memory_file_system.hpp"
#include "testing/open_numbers.hpp"

namespace durno {

using testing::isOpenNumber;
namespace {

using Names = std::vector<std::string>;

Names namesOf(std::span<const std::string> names) {
  return {names.begin(), names.end()};
}

// A list with count names "F1", "F2", ... under a count line that may say otherwise.
std::string listFile(const std::string& countLine, int count) {
  std::string bytes = countLine + "\r\n";
  for (int index = 1; index <= count; ++index) {
    bytes += 'F';
    bytes += std::to_string(index);
    bytes += "\r\n";
  }
  return bytes;
}

class ListFilesTest : public ::testing::Test {
 protected:
  MemoryFileSystem fileSystem;
  TextFiles files{fileSystem};
  CompoundTable compounds;
  ResultFileTable resultFiles;
};

TEST_F(ListFilesTest, SaveThenLoadGivesBackTheSameTables) {
  Names fullTable;
  for (int index = 1; index <= kMaxCompounds; ++index) {
    fullTable.push_back(std::string("AC").append(std::to_string(index)).append(" "));
  }
  const std::vector<Names> lists = {
      {"ASiO2 ", "AMgO "},
      {"GFe2O3 ", "GSiO2 ", "GSiO2 ", "X "},
      {"ZCaO ", "ZAl2O3 ", "ZVery(long)formula-name "},
      fullTable,
  };
  for (const Names& keys : lists) {
    ASSERT_TRUE(saveListFile(files, "round.cpd", keys).ok());
    ASSERT_TRUE(loadCompoundList(files, "round.cpd", compounds).opened.ok());
    EXPECT_EQ(namesOf(compounds.names()), keys);
  }
  const Names resultNames = {"run1.out", "data\\run2.out", "../other dir/run 3.out"};
  ASSERT_TRUE(saveListFile(files, "runs.xtr", resultNames).ok());
  ASSERT_TRUE(loadFileList(files, "runs.xtr", resultFiles).opened.ok());
  EXPECT_EQ(namesOf(resultFiles.names()), resultNames);
}

struct CompoundLoadCase {
  const char* what;
  std::string bytes;
  Names keys;
};

TEST_F(ListFilesTest, CompoundListsLoadFieldByFieldAndBlockByBlock) {
  const std::vector<CompoundLoadCase> cases = {
      {"saved form", " 2 \r\nASiO2 \r\nAMgO \r\n", {"ASiO2 ", "AMgO "}},
      {"LF line ends", " 2 \nASiO2 \nAMgO \n", {"ASiO2 ", "AMgO "}},
      {"no line end after the last key", " 2 \r\nASiO2 \r\nAMgO ", {"ASiO2 ", "AMgO "}},
      {"leading blanks go, the trailing blank stays", " 1 \r\n   AFe \r\n", {"AFe "}},
      {"quoted key with leading blanks", " 1 \r\n\"  AFe \"\r\n", {"AFe "}},
      {"hand-made keys are used as read", " 2 \r\nSiO2\r\nMgO\r\n", {"SiO2", "MgO"}},
      {"a comma splits a name", " 2 \r\nAa,b \r\n", {"Aa", "b "}},
      {"a later block replaces the first",
       " 1 \r\nASiO2 \r\n 2 \r\nAMgO \r\nAFeO \r\n",
       {"AMgO ", "AFeO "}},
      {"text after the last key reads as a count of 0", " 1 \r\nASiO2 \r\nMgO\r\n", {}},
      {"blanks after the last key are no new block", " 1 \r\nASiO2 \r\n   ", {"ASiO2 "}},
      {"nor are blank lines, TABs and Ctrl-Z",
       " 2 \r\nASiO2 \r\nAMgO \r\n\r\n \t\n\r\n\x1a 1 \r\n",
       {"ASiO2 ", "AMgO "}},
      {"a fractional count reads its whole part", " 2.5 \r\nA1 \r\nA2 \r\n", {"A1 ", "A2 "}},
      {"a count of 0 reads none", " 0 \r\n", {}},
      {"a negative count reads none", "-3 \r\n", {}},
      {"an empty file", "", {}},
      {"missing names are empty", " 3 \r\nAFe \r\n", {"AFe ", "", ""}},
      {"Ctrl-Z ends the content", " 1 \r\nAFe \r\n\x1a 5 \r\n", {"AFe "}},
  };
  for (const CompoundLoadCase& test : cases) {
    fileSystem.put("list.cpd", test.bytes);
    const ListLoadOutcome outcome = loadCompoundList(files, "list.cpd", compounds);
    EXPECT_TRUE(outcome.opened.ok()) << test.what;
    EXPECT_FALSE(outcome.cutToCapacity) << test.what;
    EXPECT_EQ(namesOf(compounds.names()), test.keys) << test.what;
    EXPECT_FALSE(isOpenNumber(files, kListFileNumber)) << test.what;
  }
}

struct CountCase {
  const char* what;
  std::string bytes;
  bool countRead;
  double asked;
  int found;
  bool cut;
  bool compoundListOnly;  // a file list reads one block and holds 70
};

// What a list held against what its count line says: the dialogue's notices rest on it.
TEST_F(ListFilesTest, LoadingTellsWhatTheCountAskedAndWhatTheFileNamed) {
  const std::vector<CountCase> cases = {
      {"as counted", " 2 \r\nA1 \r\nA2 \r\n\r\n", true, 2, 2, false, false},
      {"fewer names than counted", " 60 \r\nA1 \r\nA2 \r\n", true, 60, 2, false, false},
      {"trailing empty lines name nothing", " 3 \r\nA1 \r\n\r\n", true, 3, 1, false, false},
      {"an empty line before a name is an entry", " 3 \r\nA1 \r\n\r\nA3 \r\n", true, 3, 3, false,
       false},
      {"only blank lines", "\r\n  \r\n", false, 0, 0, false, false},
      {"text read as a last count of 0", " 1 \r\nASiO2 \r\nMgO\r\n", true, 0, 0, false, true},
      {"exactly the capacity under a larger count", listFile(" 80 ", 50), true, 80, 50, false,
       true},
      {"one more than fits", listFile(" 80 ", 51), true, 80, 50, true, true},
  };
  for (const CountCase& test : cases) {
    for (const bool compoundList : {true, false}) {
      if (!compoundList && test.compoundListOnly) continue;
      fileSystem.put("list", test.bytes);
      const ListLoadOutcome outcome = compoundList ? loadCompoundList(files, "list", compounds)
                                                   : loadFileList(files, "list", resultFiles);
      EXPECT_EQ(outcome.countRead, test.countRead) << test.what;
      EXPECT_EQ(outcome.namesAsked, test.asked) << test.what;
      EXPECT_EQ(outcome.namesFound, test.found) << test.what;
      EXPECT_EQ(outcome.cutToCapacity, test.cut) << test.what;
    }
  }
  fileSystem.put("list", listFile(" 80 ", 70));
  EXPECT_FALSE(loadFileList(files, "list", resultFiles).cutToCapacity);
}

TEST_F(ListFilesTest, ACompoundCountAboveTheTableReadsWhatFitsAndStops) {
  // A second block after the oversized one must not be read: reading stops at the cut.
  fileSystem.put("big.cpd", listFile(" 80 ", 80) + " 1 \r\nAFe \r\n");
  const ListLoadOutcome outcome = loadCompoundList(files, "big.cpd", compounds);
  EXPECT_TRUE(outcome.opened.ok());
  EXPECT_TRUE(outcome.cutToCapacity);
  ASSERT_EQ(compounds.count(), kMaxCompounds);
  EXPECT_EQ(compounds.names().front(), "F1");
  EXPECT_EQ(compounds.names().back(), "F50");
  EXPECT_FALSE(isOpenNumber(files, kListFileNumber));
}

struct FileListLoadCase {
  const char* what;
  std::string bytes;
  Names names;
};

TEST_F(ListFilesTest, FileListsLoadOneBlockAsRead) {
  const std::vector<FileListLoadCase> cases = {
      {"saved form", " 2 \r\nrun1.out\r\nrun2.out\r\n", {"run1.out", "run2.out"}},
      {"LF line ends", " 2 \nrun1.out\nrun2.out\n", {"run1.out", "run2.out"}},
      {"backslash directories are kept",
       " 2 \r\ndata\\run1.out\r\nc:\\zepro\\b.out\r\n",
       {"data\\run1.out", "c:\\zepro\\b.out"}},
      {"trailing blanks stay", " 1 \r\nrun1.out  \r\n", {"run1.out  "}},
      {"only the first block is read", " 1 \r\na.out\r\n 1 \r\nb.out\r\n", {"a.out"}},
      {"a fractional count reads its whole part", " 1.9 \r\na.out\r\nb.out\r\n", {"a.out"}},
      {"missing names are empty", " 2 \r\na.out\r\n", {"a.out", ""}},
      {"an empty file", "", {}},
      {"a UTF-8 byte order mark at the start is passed over",
       "\xEF\xBB\xBF"
       "1\r\ncaf\xC3\xA9.out\r\n",
       {"caf\xC3\xA9.out"}},
      {"only at the start",
       "1\r\n\xEF\xBB\xBF"
       "a.out\r\n",
       {"\xEF\xBB\xBF"
        "a.out"}},
  };
  for (const FileListLoadCase& test : cases) {
    fileSystem.put("list.xtr", test.bytes);
    const ListLoadOutcome outcome = loadFileList(files, "list.xtr", resultFiles);
    EXPECT_TRUE(outcome.opened.ok()) << test.what;
    EXPECT_EQ(namesOf(resultFiles.names()), test.names) << test.what;
    EXPECT_FALSE(isOpenNumber(files, kListFileNumber)) << test.what;
  }
}

TEST_F(ListFilesTest, AFileCountOf80ReadsSeventyNamesAndStops) {
  fileSystem.put("many.xtr", listFile(" 80 ", 80));
  const ListLoadOutcome outcome = loadFileList(files, "many.xtr", resultFiles);
  EXPECT_TRUE(outcome.opened.ok());
  EXPECT_TRUE(outcome.cutToCapacity);
  ASSERT_EQ(resultFiles.count(), kMaxResultFiles);
  EXPECT_EQ(resultFiles.names().back(), "F70");

  fileSystem.put("seventy.xtr", listFile(" 70 ", 70));
  EXPECT_FALSE(loadFileList(files, "seventy.xtr", resultFiles).cutToCapacity);
  fileSystem.put("huge.xtr", listFile(" 1E+300 ", 75));
  EXPECT_TRUE(loadFileList(files, "huge.xtr", resultFiles).cutToCapacity);
  EXPECT_EQ(resultFiles.count(), kMaxResultFiles);
}

TEST_F(ListFilesTest, AListThatCannotBeOpenedEmptiesTheTableAndSaysWhy) {
  compounds.add("AOld ");
  resultFiles.add("old.out");
  fileSystem.refuseOpen("locked.cpd", "Resource temporarily unavailable");
  EXPECT_EQ(loadCompoundList(files, "locked.cpd", compounds).opened.reason,
            "Resource temporarily unavailable");
  EXPECT_EQ(compounds.count(), 0);
  for (const std::string name : {"missing.cpd", ""}) {
    const ListLoadOutcome outcome = loadFileList(files, name, resultFiles);
    EXPECT_FALSE(outcome.opened.ok()) << name;
    EXPECT_FALSE(outcome.opened.reason.empty()) << name;
    EXPECT_EQ(resultFiles.count(), 0) << name;
  }
}

TEST_F(ListFilesTest, ASaveThatFailsAnywhereIsReportedWithTheReason) {
  const Names keys = {"ASiO2 ", "AMgO "};
  fileSystem.refuseOpen("refused.cpd", "Permission denied");
  const FileStatus refused = saveListFile(files, "refused.cpd", keys);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.reason, "Permission denied");

  EXPECT_FALSE(saveListFile(files, "", keys).ok());

  // The disk fills after the count line, after a key, and just before the last line end.
  const std::string whole = " 2 \r\nASiO2 \r\nAMgO \r\n";
  for (std::size_t limit : {std::size_t{0}, std::size_t{5}, std::size_t{11}, whole.size() - 1}) {
    fileSystem.failWritesAfter("full.cpd", limit, "No space left on device");
    const FileStatus full = saveListFile(files, "full.cpd", keys);
    EXPECT_FALSE(full.ok()) << limit;
    EXPECT_EQ(full.reason, "No space left on device") << limit;
    EXPECT_FALSE(isOpenNumber(files, kListFileNumber)) << limit;
  }
  fileSystem.failWritesAfter("roomy.cpd", whole.size(), "No space left on device");
  EXPECT_TRUE(saveListFile(files, "roomy.cpd", keys).ok());
}

}  // namespace
}  // namespace durno
