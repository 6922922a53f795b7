#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "line_text.hpp"
#include "read_script.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using testing::fieldText;
using testing::lineText;
using testing::numberField;

using namespace durno::testing;

TEST(ReadNumberField, SplitsAtBlanksCommasAndLineEnds) {
  std::string digits300(300, '0');  // 1, 254 zeros, 2, 44 zeros
  digits300[0] = '1';
  digits300[255] = '2';
  const ReadCase cases[] = {
      {"a count line, then a text line", " 5 \r\nx\r\n", {number(5), field("x"), atEnd(true)}},
      {"blanks and commas both separate", "1 2,3", {number(1), number(2), number(3), atEnd(true)}},
      {"a token that is not a number", "SiO2\r\n", {number(0), atEnd(true)}},
      {"300 digits split after 255", digits300, {number(1e254), number(2e44), atEnd(true)}},
      {"TABs are dropped from the token", "\t7\t,8", {number(7), number(8)}},
      {"LF line ends", " 12 \n 34\n", {number(12), number(34), atEnd(true)}},
      {"signs and exponents", " -3.5E+02,.25", {number(-350), number(0.25)}},
      {"an empty field between commas reads 0", "4,,6", {number(4), number(0), number(6)}},
      {"26 ends the token and stays", "9\x1a", {number(9), atEnd(true), numberFails()}},
      {"an empty file", "", {numberFails(), atEnd(true)}},
      {"nothing but blanks", "  ", {numberFails()}},
  };
  for (const ReadCase& readCase : cases)
    runInEveryShape(readCase);
}

// A list saved on Windows and the same list saved on Linux read back identically: the count,
// then the names, which still name their folders with '\'.
TEST(ListFiles, WindowsAndLinuxLineEndsReadTheSame) {
  const std::string windowsList = " 3 \r\ndata\\run1.out\r\ndata\\run2.out\r\nrun3.out\r\n";
  const std::string linuxList = " 3 \ndata\\run1.out\ndata\\run2.out\nrun3.out\n";
  for (const std::string& list : {windowsList, linuxList}) {
    MemoryFileSystem fileSystem;
    fileSystem.put("runs.xtr", list);
    fileSystem.put("data/run1.out", "one\r\n");
    fileSystem.put("data/run2.out", "two\n");
    fileSystem.put("run3.out", "three");
    TextFiles files(fileSystem);
    files.openFile(1, "runs.xtr", FileMode::Input);
    ASSERT_EQ(numberField(files, 1), 3);
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i)
      names.push_back(fieldText(files, 1));
    EXPECT_TRUE(files.atEnd(1));
    files.closeFile(1);
    EXPECT_EQ(names, (std::vector<std::string>{"data\\run1.out", "data\\run2.out", "run3.out"}));
    std::vector<std::string> firstLines;
    for (const std::string& name : names) {
      files.openFile(11, name, FileMode::Input);
      firstLines.push_back(lineText(files, 11));
      files.closeFile(11);
    }
    EXPECT_EQ(firstLines, (std::vector<std::string>{"one", "two", "three"}));
  }
}

// Outside quotes, a file with lone LFs must read exactly as the same file with CR LF in
// their place, whichever readers a caller mixes. Random files over the bytes that matter
// find the interactions a hand-written table misses.
TEST(ListFiles, LoneLineFeedsReadAsCarriageReturnLineFeed) {
  const std::string alphabet = "a1 ,\t\r\n\n\x1a";
  std::mt19937 random(20261207);
  for (int round = 0; round < 400; ++round) {
    std::string lf;
    const std::size_t length = random() % 24;
    for (std::size_t i = 0; i < length; ++i)
      lf.push_back(alphabet[random() % alphabet.size()]);
    std::string crlf;
    for (std::size_t i = 0; i < lf.size(); ++i) {
      if (lf[i] == '\n' && (i == 0 || lf[i - 1] != '\r')) crlf.push_back('\r');
      crlf.push_back(lf[i]);
    }
    MemoryFileSystem fileSystem;
    fileSystem.put("lf", lf);
    fileSystem.put("crlf", crlf);
    TextFiles files(fileSystem);
    files.openFile(1, "lf", FileMode::Input);
    files.openFile(2, "crlf", FileMode::Input);
    const unsigned pattern = random();
    for (int step = 0; step < 12; ++step) {
      SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step));
      std::string storage[2];
      std::string_view line[2];
      std::string text[2];
      double value[2] = {};
      FileStatus status[2];
      for (int f = 0; f < 2; ++f) {
        switch ((pattern >> (2 * step)) & 3) {
          case 0:
            status[f] = testing::readLine(files, f + 1, line[f], storage[f]);
            text[f] = line[f];
            break;
          case 1:
            status[f] = files.readTextField(f + 1, text[f]);
            break;
          case 2:
            status[f] = files.readNumberField(f + 1, value[f]);
            break;
          default:
            value[f] = files.atEnd(f + 1);
        }
      }
      ASSERT_EQ(text[0], text[1]);
      ASSERT_EQ(value[0], value[1]);
      ASSERT_EQ(status[0].error, status[1].error);
    }
  }
}

TEST(WriteNumber, WritesThePlainNumberText) {
  const struct {
    double value;
    std::string expected;
  } cases[] = {{5, " 5 \r\n"}, {-3, "-3 \r\n"}, {12.5, " 12.5 \r\n"}, {0, " 0 \r\n"}};
  for (const auto& numberCase : cases) {
    SCOPED_TRACE(numberCase.expected);
    MemoryFileSystem fileSystem;
    TextFiles files(fileSystem);
    files.openFile(1, "DURNO.CPD", FileMode::Output);
    EXPECT_TRUE(files.writeNumber(1, numberCase.value).ok());
    files.endLine(1);
    files.closeFile(1);
    EXPECT_EQ(fileSystem.contents("DURNO.CPD"), numberCase.expected);
  }
}

}  // namespace
}  // namespace durno
