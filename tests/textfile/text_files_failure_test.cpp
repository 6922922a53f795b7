#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "line_text.hpp"
#include "spy_file_system.hpp"
#include "testing/memory_file_system.hpp"
#include "testing/open_numbers.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using durno::testing::fieldText;
using durno::testing::isOpenNumber;
using durno::testing::lineText;
using durno::testing::numberField;
using durno::testing::SpyFileSystem;

// A small world for failure cases: in.txt holds two lines and is open as number 1 for
// input; out.dat is open as number 2 for output; nothing else is open.
class FailureTest : public ::testing::Test {
 protected:
  FailureTest() {
    fileSystem_.memory.put("in.txt", "first\r\nsecond\r\n");
    files_.openFile(1, "in.txt", FileMode::Input);
    files_.openFile(2, "out.dat", FileMode::Output);
    fileSystem_.log.clear();
  }
  SpyFileSystem fileSystem_;
  TextFiles files_{fileSystem_};
};

// Each misuse gives its neutral result and its error with the reason, and touches no file.
struct MisuseCase {
  const char* name;
  int number;
  // Sets result to the operation's result as text and returns its outcome.
  std::function<FileStatus(TextFiles&, int, std::string&)> act;
  std::string neutral;
  FileError error;
  std::string reason;
};

TEST_F(FailureTest, MisusedNumbersGiveNeutralResults) {
  auto readField = [](TextFiles& f, int n, std::string& result) {
    result = "left over";
    return f.readTextField(n, result);
  };
  auto readNumber = [](TextFiles& f, int n, std::string& result) {
    double value = 1;
    const FileStatus status = f.readNumberField(n, value);
    result = std::to_string(value);
    return status;
  };
  auto writeNumber = [](TextFiles& f, int n, std::string&) { return f.writeNumber(n, 1); };
  auto write = [](TextFiles& f, int n, std::string&) { return f.writeText(n, "x"); };
  auto endLine = [](TextFiles& f, int n, std::string&) { return f.endLine(n); };
  const FileError notOpen = FileError::NotOpen;
  const FileError wrongMode = FileError::WrongMode;
  const MisuseCase cases[] = {
      {"field from a number not open", 5, readField, "", notOpen, "file not open"},
      {"number from a number not open", 5, readNumber, "0.000000", notOpen, "file not open"},
      {"number from an output file", 2, readNumber, "0.000000", wrongMode,
       "file not open for input"},
      {"number to an input file", 1, writeNumber, "", wrongMode, "file not open for output"},
      {"write to a number not open", 5, write, "", notOpen, "file not open"},
      {"line end to a number not open", 5, endLine, "", notOpen, "file not open"},
      {"field from an output file", 2, readField, "", wrongMode, "file not open for input"},
      {"text to an input file", 1, write, "", wrongMode, "file not open for output"},
      {"line end to an input file", 1, endLine, "", wrongMode, "file not open for output"},
      {"a negative number", -1, readField, "", FileError::BadNumber, "bad file number"},
      {"a number above 16 bits", 32768, write, "", FileError::BadNumber, "bad file number"},
  };
  for (const MisuseCase& misuse : cases) {
    SCOPED_TRACE(misuse.name);
    std::string result;
    const FileStatus status = misuse.act(files_, misuse.number, result);
    EXPECT_EQ(result, misuse.neutral);
    EXPECT_EQ(status.error, misuse.error);
    EXPECT_EQ(status.reason, misuse.reason);
  }
  EXPECT_FALSE(files_.atEnd(5)) << "a number not open is not at its end";
  EXPECT_EQ(files_.inputFile(5), nullptr);
  EXPECT_EQ(files_.inputFile(2), nullptr) << "an output file gives no lines";
  EXPECT_EQ(fileSystem_.log, std::vector<std::string>{}) << "no file was touched";
  // The open files are as they were.
  EXPECT_EQ(lineText(files_, 1), "first");
  EXPECT_EQ(fileSystem_.memory.contents("in.txt"), "first\r\nsecond\r\n");
  EXPECT_EQ(fileSystem_.memory.contents("out.dat"), "");
}

TEST_F(FailureTest, AnEndTestOnAnOutputFileAnswersFalseWithoutFailing) {
  EXPECT_FALSE(files_.atEnd(2));
  EXPECT_TRUE(files_.writeText(2, "x").ok());
}

TEST_F(FailureTest, BadNamesNeverReachTheSystem) {
  const std::string badNames[] = {"", "*.cpd", "run?.out", std::string("a\0b", 3)};
  for (const std::string& name : badNames) {
    SCOPED_TRACE(name);
    const FileStatus opened = files_.openFile(3, name, FileMode::Output);
    EXPECT_FALSE(isOpenNumber(files_, 3));
    EXPECT_EQ(opened.error, FileError::BadName);
    EXPECT_EQ(opened.reason, "bad file name");
  }
  EXPECT_EQ(fileSystem_.log, std::vector<std::string>{});
}

TEST_F(FailureTest, NamesGoWholeToTheSystemAndBackslashesSeparateFolders) {
  files_.openFile(3, std::string(300, 'n'), FileMode::Output);
  files_.openFile(4, "data\\sub\\run1.out", FileMode::Output);
  files_.openFile(5, "\\\\", FileMode::Output);
  EXPECT_EQ(
      fileSystem_.log,
      (std::vector<std::string>{
          "open " + std::string(300, 'n'), "truncate " + std::string(300, 'n') + " 0",
          "open data/sub/run1.out", "truncate data/sub/run1.out 0", "open //", "truncate // 0"}));
}

TEST_F(FailureTest, AMissingFileLeavesTheNumberNotOpen) {
  const FileStatus opened = files_.openFile(3, "missing.txt", FileMode::Input);
  EXPECT_FALSE(isOpenNumber(files_, 3));
  EXPECT_EQ(opened.error, FileError::System);
  EXPECT_EQ(opened.reason, "No such file or directory");
  EXPECT_FALSE(files_.atEnd(3));
  EXPECT_EQ(lineText(files_, 3), "");
  EXPECT_EQ(numberField(files_, 3), 0);
  EXPECT_TRUE(files_.closeFile(3).ok()) << "closing a number not open does nothing";
  EXPECT_FALSE(fileSystem_.memory.exists("missing.txt")) << "an input open creates nothing";
}

TEST_F(FailureTest, ReopeningAnOpenNumberFailsAndLeavesItsFileAlone) {
  fileSystem_.memory.put("other.txt", "other\r\n");
  const FileStatus opened = files_.openFile(1, "other.txt", FileMode::Input);
  EXPECT_EQ(opened.error, FileError::AlreadyOpen);
  EXPECT_EQ(opened.reason, "file number already open");
  EXPECT_EQ(fileSystem_.log, std::vector<std::string>{}) << "the system was not asked";
  EXPECT_EQ(lineText(files_, 1), "first");
  files_.openFile(2, "in.txt", FileMode::Output);
  EXPECT_EQ(fileSystem_.memory.contents("in.txt"), "first\r\nsecond\r\n");
}

TEST_F(FailureTest, AFileIsSharedByReadersOnlyAndHeldAloneByAWriter) {
  files_.openFile(4, "in.txt", FileMode::Input);
  EXPECT_TRUE(isOpenNumber(files_, 4)) << "two readers share a file";
  EXPECT_EQ(lineText(files_, 4), "first");
  files_.closeFile(4);
  const struct {
    const char* name;
    const char* file;
    FileMode mode;
  } cases[] = {
      {"an input file for output", "in.txt", FileMode::Output},
      {"the output file for input", "out.dat", FileMode::Input},
      {"the output file again for output", "out.dat", FileMode::Output},
  };
  fileSystem_.memory.put("out.dat", "");
  files_.writeText(2, "kept");
  for (const auto& twice : cases) {
    SCOPED_TRACE(twice.name);
    const FileStatus opened = files_.openFile(3, twice.file, twice.mode);
    EXPECT_FALSE(isOpenNumber(files_, 3));
    EXPECT_EQ(opened.error, FileError::InUse);
    EXPECT_EQ(opened.reason, kFileInUseReason);
  }
  EXPECT_EQ(fileSystem_.memory.contents("in.txt"), "first\r\nsecond\r\n");
  EXPECT_EQ(lineText(files_, 1), "first");
  files_.closeFile(2);
  EXPECT_EQ(fileSystem_.memory.contents("out.dat"), "kept");
  files_.openFile(3, "out.dat", FileMode::Input);
  EXPECT_TRUE(isOpenNumber(files_, 3)) << "once closed it opens again";
}

TEST_F(FailureTest, AReadFailureLosesTheLineAndEndsAReadLoop) {
  fileSystem_.memory.put("bad.out", "abcdef\r\nmore\r\n");
  fileSystem_.memory.failReadsAt("bad.out", 3, "Input/output error");
  fileSystem_.memory.limitReadSize(2);
  files_.openFile(3, "bad.out", FileMode::Input);
  ASSERT_TRUE(isOpenNumber(files_, 3));
  std::string storage;
  std::string_view line;
  const FileStatus read = files_.inputFile(3)->readLine(line, storage);
  EXPECT_EQ(line, "") << "the bytes collected before the failure are lost";
  EXPECT_EQ(read.error, FileError::System);
  EXPECT_EQ(read.reason, "Input/output error");
  int reads = 0;
  while (!files_.atEnd(3) && reads < 10) {
    lineText(files_, 3);
    ++reads;
  }
  EXPECT_EQ(reads, 0) << "a file that cannot be read further is at its end";
}

TEST_F(FailureTest, AFailedFirstReadFailsTheOpen) {
  fileSystem_.memory.put("bad.out", "abc");
  fileSystem_.memory.failReadsAt("bad.out", 0, "Is a directory");
  EXPECT_EQ(files_.openFile(3, "bad.out", FileMode::Input).reason, "Is a directory");
  EXPECT_FALSE(isOpenNumber(files_, 3));
  EXPECT_FALSE(fileSystem_.memory.isHeld("bad.out")) << "the failed open let go of the file";
}

TEST_F(FailureTest, CloseAllClosesTheLatestFirstAndKeepsTheFirstFailure) {
  fileSystem_.memory.put("a", "");
  files_.openFile(11, "a", FileMode::Input);
  fileSystem_.closeFailureName = "out.dat";
  fileSystem_.closeFailureReason = "Input/output error";
  fileSystem_.log.clear();
  const FileStatus closed = files_.closeAll();
  EXPECT_EQ(fileSystem_.log, (std::vector<std::string>{"close a", "truncate out.dat 0",
                                                       "close out.dat", "close in.txt"}));
  EXPECT_EQ(closed.reason, "Input/output error");
  EXPECT_FALSE(isOpenNumber(files_, 1) || isOpenNumber(files_, 2) || isOpenNumber(files_, 11));
  EXPECT_FALSE(fileSystem_.memory.isHeld("out.dat"));
}

TEST(TextFilesLifetime, DestroyingTheLayerLetsGoOfEveryFile) {
  MemoryFileSystem fileSystem;
  fileSystem.put("in.txt", "x");
  {
    TextFiles files(fileSystem);
    files.openFile(1, "in.txt", FileMode::Input);
    files.openFile(2, "out.dat", FileMode::Output);
    files.writeText(2, "y");
    EXPECT_TRUE(fileSystem.isHeld("in.txt") && fileSystem.isHeld("out.dat"));
  }
  EXPECT_FALSE(fileSystem.isHeld("in.txt") || fileSystem.isHeld("out.dat"));
  EXPECT_EQ(fileSystem.contents("out.dat"), "y");
}

}  // namespace
}  // namespace durno
