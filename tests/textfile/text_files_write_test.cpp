#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "spy_file_system.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using durno::testing::SpyFileSystem;

struct WriteCase {
  const char* name;
  std::function<FileStatus(TextFiles&)> write;
  std::string expected;
};

TEST(Writing, WritesExactlyTheBytesAsked) {
  const WriteCase cases[] = {
      {"text, line end",
       [](TextFiles& f) {
         f.writeText(2, "abc   ");
         return f.endLine(2);
       },
       "abc   \r\n"},
      {"text goes out byte for byte",
       [](TextFiles& f) { return f.writeText(2, std::string("a\0\r\n\x1a\xff", 6)); },
       std::string("a\0\r\n\x1a\xff", 6)},
      {"empty text writes nothing", [](TextFiles& f) { return f.writeText(2, ""); }, ""},
      {"two lines",
       [](TextFiles& f) {
         f.writeText(2, "x");
         f.endLine(2);
         return f.endLine(2);
       },
       "x\r\n\r\n"},
  };
  for (const WriteCase& writeCase : cases) {
    SCOPED_TRACE(writeCase.name);
    MemoryFileSystem fileSystem;
    TextFiles files(fileSystem);
    files.openFile(2, "out.dat", FileMode::Output);
    EXPECT_TRUE(writeCase.write(files).ok());
    EXPECT_EQ(fileSystem.contents("out.dat"), writeCase.expected) << "before closing";
    EXPECT_TRUE(files.closeFile(2).ok());
    EXPECT_EQ(fileSystem.contents("out.dat"), writeCase.expected) << "after closing";
  }
}

// Nothing is held back: every item reaches the system when it is written, so a stopped run
// leaves every byte written so far in the file.
TEST(Writing, HandsEachItemToTheSystemAtOnce) {
  SpyFileSystem fileSystem;
  TextFiles files(fileSystem);
  files.openFile(2, "out.dat", FileMode::Output);
  fileSystem.log.clear();
  files.writeText(2, "abc");
  files.writeNumber(2, 40);
  files.endLine(2);
  EXPECT_EQ(fileSystem.log,
            (std::vector<std::string>{"write out.dat 3", "write out.dat 4", "write out.dat 2"}));
}

// An existing file is cut to its first byte (which the first write replaces) rather than to
// nothing, so that the system need not write it out to the disk at closing.
TEST(Writing, OutputEmptiesAnExistingFileOnlyOnceItIsHeld) {
  SpyFileSystem fileSystem;
  fileSystem.memory.put("out.dat", "old content\r\n");
  TextFiles files(fileSystem);
  files.openFile(2, "out.dat", FileMode::Output);
  EXPECT_EQ(fileSystem.memory.contents("out.dat"), "o") << "cut at opening";
  files.writeText(2, "new");
  files.closeFile(2);
  EXPECT_EQ(fileSystem.memory.contents("out.dat"), "new");
  EXPECT_EQ(fileSystem.log,
            (std::vector<std::string>{"open out.dat", "truncate out.dat 1", "write out.dat 3",
                                      "truncate out.dat 3", "close out.dat"}));
}

TEST(Writing, OutputToADeviceIsNeverTruncated) {
  SpyFileSystem fileSystem;
  fileSystem.memory.putDevice("printer", "");
  TextFiles files(fileSystem);
  files.openFile(2, "printer", FileMode::Output);
  files.writeText(2, "x");
  files.closeFile(2);
  EXPECT_EQ(fileSystem.log,
            (std::vector<std::string>{"open printer", "write printer 1", "close printer"}));
}

// A write that a full disk cut short is taken back whole, and nothing is written after it,
// so the file ends where the last whole write ended.
TEST(Writing, AFullDiskIsReportedAndTheFileEndsAtTheLastWholeWrite) {
  MemoryFileSystem fileSystem;
  fileSystem.failWritesAfter("out.dat", 5, "No space left on device");
  TextFiles files(fileSystem);
  files.openFile(2, "out.dat", FileMode::Output);
  EXPECT_TRUE(files.writeText(2, "abc").ok());
  const FileStatus full = files.writeText(2, "defg");
  EXPECT_EQ(full.error, FileError::System);
  EXPECT_EQ(full.reason, "No space left on device");
  EXPECT_EQ(files.writeText(2, "h").reason, "No space left on device");
  EXPECT_TRUE(files.closeFile(2).ok());
  EXPECT_EQ(fileSystem.contents("out.dat"), "abc");
}

}  // namespace
}  // namespace durno
