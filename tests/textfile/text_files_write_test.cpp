#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "spy_file_system.hpp"
#include "textfile/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using durno::testing::SpyFileSystem;

struct WriteCase {
  const char* name;
  std::function<void(TextFiles&)> write;
  std::string expected;
};

TEST(Writing, WritesExactlyTheBytesAsked) {
  const WriteCase cases[] = {
      {"text, blanks, line end",
       [](TextFiles& f) {
         f.writeText(2, "abc");
         f.writeBlanks(2, 3);
         f.endLine(2);
       },
       "abc   \r\n"},
      {"text goes out byte for byte",
       [](TextFiles& f) { f.writeText(2, std::string("a\0\r\n\x1a\xff", 6)); },
       std::string("a\0\r\n\x1a\xff", 6)},
      {"empty text writes nothing", [](TextFiles& f) { f.writeText(2, ""); }, ""},
      {"a negative blank count writes nothing", [](TextFiles& f) { f.writeBlanks(2, -5); }, ""},
      {"a zero blank count writes nothing", [](TextFiles& f) { f.writeBlanks(2, 0); }, ""},
      {"16 blanks", [](TextFiles& f) { f.writeBlanks(2, 16); }, std::string(16, ' ')},
      {"17 blanks", [](TextFiles& f) { f.writeBlanks(2, 17); }, std::string(17, ' ')},
      {"40 blanks", [](TextFiles& f) { f.writeBlanks(2, 40); }, std::string(40, ' ')},
      {"two lines",
       [](TextFiles& f) {
         f.writeText(2, "x");
         f.endLine(2);
         f.endLine(2);
       },
       "x\r\n\r\n"},
  };
  for (const WriteCase& writeCase : cases) {
    SCOPED_TRACE(writeCase.name);
    MemoryFileSystem fileSystem;
    TextFiles files(fileSystem);
    files.openFile(2, "out.dat", FileMode::Output);
    writeCase.write(files);
    EXPECT_FALSE(files.lastOutcome(2).failed);
    EXPECT_EQ(fileSystem.contents("out.dat"), writeCase.expected) << "before closing";
    files.closeFile(2);
    EXPECT_EQ(fileSystem.contents("out.dat"), writeCase.expected) << "after closing";
    EXPECT_EQ(files.errorState(), kNoFileError);
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
  files.writeBlanks(2, 40);
  files.endLine(2);
  EXPECT_EQ(fileSystem.log,
            (std::vector<std::string>{"write out.dat 3", "write out.dat 16", "write out.dat 16",
                                      "write out.dat 8", "write out.dat 2"}));
}

TEST(Writing, OutputEmptiesAnExistingFileOnlyOnceItIsHeld) {
  SpyFileSystem fileSystem;
  fileSystem.memory.put("out.dat", "old content\r\n");
  TextFiles files(fileSystem);
  files.openFile(2, "out.dat", FileMode::Output);
  EXPECT_EQ(fileSystem.memory.contents("out.dat"), "") << "emptied at opening";
  files.writeText(2, "new");
  files.closeFile(2);
  EXPECT_EQ(fileSystem.memory.contents("out.dat"), "new");
  EXPECT_EQ(fileSystem.log,
            (std::vector<std::string>{"open out.dat", "truncate out.dat 0", "write out.dat 3",
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

TEST(Writing, AFullDiskIsReportedAndKeepsWhatWasWritten) {
  MemoryFileSystem fileSystem;
  fileSystem.failWritesAfter("out.dat", 5, "No space left on device");
  TextFiles files(fileSystem);
  files.openFile(2, "out.dat", FileMode::Output);
  files.writeText(2, "abc");
  EXPECT_FALSE(files.lastOutcome(2).failed);
  files.writeText(2, "defg");
  EXPECT_EQ(files.lastOutcome(2).reason, "No space left on device");
  EXPECT_EQ(files.errorState(), kDiskFull);
  files.writeText(2, "h");
  files.closeFile(2);
  // The close succeeded, but the failure of the table's writes is still there to be seen.
  EXPECT_FALSE(files.lastOutcome(2).failed);
  EXPECT_EQ(files.firstFailure(2).reason, "No space left on device");
  EXPECT_EQ(fileSystem.contents("out.dat"), "abcde");
}

}  // namespace
}  // namespace durno
