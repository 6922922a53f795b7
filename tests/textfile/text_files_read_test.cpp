#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "line_text.hpp"
#include "read_script.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using namespace durno::testing;

std::string withLongLine(std::size_t length, std::string after) {
  return std::string(length, 'x') + std::move(after);
}

TEST(ReadLine, EndsLinesAtEachKindOfLineEnd) {
  const ReadCase cases[] = {
      {"CR LF", "A\r\nB\r\n", {line("A"), line("B"), atEnd(true), lineFails()}},
      {"CR LF, none after the last line", "A\r\nB", {line("A"), line("B"), atEnd(true)}},
      {"LF alone", "A\nB\n", {line("A"), line("B"), atEnd(true)}},
      {"CR alone", "A\rB\r", {line("A"), line("B"), atEnd(true)}},
      {"CR CR LF: an empty line between", "A\r\r\nB", {line("A"), line(""), line("B")}},
      {"CR LF LF: an empty line between", "A\r\n\nB", {line("A"), line(""), line("B")}},
      {"LF CR: two line ends", "A\n\rB", {line("A"), line(""), line("B")}},
      {"a lone line end is an empty line", "\r\n", {atEnd(false), line(""), atEnd(true)}},
      {"other control and high bytes belong to the line",
       std::string("a\tb\0c\xff\x8d\r\n", 9),
       {line(std::string("a\tb\0c\xff\x8d", 7)), atEnd(true)}},
  };
  for (const ReadCase& readCase : cases)
    runInEveryShape(readCase);
}

TEST(ReadLine, StopsAtCtrlZAndAtTheEndOfTheData) {
  const ReadCase cases[] = {
      {"26 ends the readable data for good",
       "A\r\n\x1a"
       "B\r\n",
       {line("A"), atEnd(true), lineFails(), atEnd(true), lineFails()}},
      {"26 ends a line without being taken", "AB\x1a", {line("AB"), atEnd(true), lineFails()}},
      {"an empty file", "", {atEnd(true), lineFails(), atEnd(true)}},
  };
  for (const ReadCase& readCase : cases)
    runInEveryShape(readCase);
}

// Lines up to OpenTextFile::kLongestLineKept come whole; a longer one comes as its head,
// and the line after it is read as it stands.
TEST(ReadLine, ReturnsLongLinesWholeUpToTheLongestKept) {
  constexpr std::size_t kKept = OpenTextFile::kLongestLineKept;
  const ReadCase cases[] = {
      {"1000 bytes", withLongLine(1000, "\r\nB"), {line(std::string(1000, 'x')), line("B")}},
      {"a line longer than a buffer load",
       withLongLine(200000, "\nB"),
       {line(std::string(kKept, 'x')), line("B"), atEnd(true)}},
      {"the longest line kept, then one a byte longer",
       withLongLine(kKept, "\r\n" + std::string(kKept + 1, 'y') + "\r\nB"),
       {line(std::string(kKept, 'x')), line(std::string(kKept, 'y')), line("B"), atEnd(true)}},
      // 65535 bytes and CR fill the first 64 KiB load; its LF starts the next one.
      {"CR at the end of a buffer load, LF at the start of the next",
       withLongLine(65535, "\r\nB\r\n"),
       {line(std::string(65535, 'x')), line("B"), atEnd(true)}},
      {"CR LF LF across a buffer load",
       withLongLine(65535, "\r\n\nB"),
       {line(std::string(65535, 'x')), line(""), line("B")}},
      {"LF as the last byte of a buffer load",
       withLongLine(65535, "\nB\n"),
       {line(std::string(65535, 'x')), line("B"), atEnd(true)}},
      {"CR alone as the last byte of a buffer load",
       withLongLine(65535, "\rB"),
       {line(std::string(65535, 'x')), line("B"), atEnd(true)}},
      {"26 as the first byte of the next load",
       withLongLine(65536, "\x1a\r\n"),
       {line(std::string(65536, 'x')), atEnd(true), lineFails()}},
  };
  for (const ReadCase& readCase : cases)
    runInEveryShape(readCase);
}

// A line that does not end is passed over only until a stop is asked for.
TEST(ReadLine, AStopEndsThePassingOfALongLinesRest) {
  MemoryFileSystem fileSystem;
  fileSystem.putPipe("zero", std::string(1 << 20, '\0'));
  std::atomic<int> stop{0};
  fileSystem.endWaitsWhen(&stop);
  TextFiles files(fileSystem);
  ASSERT_TRUE(files.openFile(1, "zero", FileMode::Input).ok());
  stop = 15;
  std::string storage;
  std::string_view line;
  const FileStatus read = readLine(files, 1, line, storage);
  EXPECT_EQ(read.reason, kStoppedReason);
  EXPECT_EQ(line, "");
}

TEST(ReadTextField, SplitsAtCommasAndLineEnds) {
  const ReadCase cases[] = {
      {"comma, then a blank before the next field",
       "ab, cd\r\n",
       {field("ab"), field("cd"), atEnd(true)}},
      {"trailing blanks stay in the field", "Fe2O3 \r\n", {field("Fe2O3 "), atEnd(true)}},
      {"a TAB inside an unquoted field is dropped", "a\tb,c", {field("ab"), field("c")}},
      {"two commas give three empty fields",
       ",,\r\n",
       {field(""), field(""), field(""), atEnd(true)}},
      {"an empty line gives an empty field", "\r\nx\r\n", {field(""), field("x"), atEnd(true)}},
      {"LF line ends", "ab\ncd\n", {field("ab"), field("cd"), atEnd(true)}},
      {"a quote after the first byte is ordinary", "a\"b\r\n", {field("a\"b")}},
      {"blanks and TABs before the terminator are passed", "\"q\" \t ,x", {field("q"), field("x")}},
      {"26 ends an unquoted field and stays", "ab\x1a", {field("ab"), atEnd(true), fieldFails()}},
      {"nothing but blanks", "   ", {fieldFails()}},
      {"an empty file", "", {fieldFails(), atEnd(true)}},
  };
  for (const ReadCase& readCase : cases)
    runInEveryShape(readCase);
}

TEST(ReadTextField, KeepsEveryByteInsideQuotes) {
  const ReadCase cases[] = {
      {"a comma inside quotes", "\"a,b\",c\r\n", {field("a,b"), field("c"), atEnd(true)}},
      {"quoted after a blank, then an unquoted field", " \"q\"x", {field("q"), field("x")}},
      {"CR LF, comma and 26 inside quotes", "\"\r\n,\x1a\"\r\n", {field("\r\n,\x1a"), atEnd(true)}},
      {"a lone LF inside quotes stays as it is", "\"a\nb\"\n", {field("a\nb"), atEnd(true)}},
      {"an unclosed quote runs to the end of the data", "\"abc", {field("abc"), atEnd(true)}},
      {"an empty quoted field", "\"\",x", {field(""), field("x")}},
  };
  for (const ReadCase& readCase : cases)
    runInEveryShape(readCase);
}

}  // namespace
}  // namespace durno

namespace durno {
namespace {

using testing::lineText;

// Switching files, failing on one, closing it and reusing its number: each number keeps
// its own lines.
TEST(ReadLine, AlternatingFilesFailuresAndReusedNumbersKeepTheirOwnLines) {
  MemoryFileSystem fileSystem;
  fileSystem.put("a", "a1\r\na2\r\na3\r\na4 still buffered at the close\r\n");
  fileSystem.put("b", "b1\nb2\n");
  fileSystem.put("c", "c1\r\n");
  TextFiles files(fileSystem);
  files.openFile(11, "a", FileMode::Input);
  files.openFile(12, "b", FileMode::Input);
  EXPECT_EQ(lineText(files, 11), "a1");
  EXPECT_EQ(lineText(files, 12), "b1");
  EXPECT_EQ(lineText(files, 11), "a2");
  EXPECT_EQ(files.writeText(11, "x").error, FileError::WrongMode);
  EXPECT_FALSE(files.atEnd(11));
  EXPECT_EQ(lineText(files, 11), "a3");

  files.closeFile(11);
  EXPECT_EQ(files.inputFile(11), nullptr);
  EXPECT_FALSE(files.atEnd(11));
  files.openFile(11, "c", FileMode::Input);
  EXPECT_EQ(lineText(files, 11), "c1");
  EXPECT_TRUE(files.atEnd(11));
  std::string storage;
  std::string_view line;
  EXPECT_EQ(files.inputFile(11)->readLine(line, storage).error, FileError::PastEnd);
  EXPECT_EQ(lineText(files, 12), "b2");
  EXPECT_TRUE(files.atEnd(12));
  EXPECT_EQ(files.inputFile(-1), nullptr);
}

}  // namespace
}  // namespace durno
