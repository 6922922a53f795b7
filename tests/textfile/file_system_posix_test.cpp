#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "disk_files.hpp"
#include "line_text.hpp"
#include "testing/open_numbers.hpp"
#include "textfile/file_system_posix.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using testing::isOpenNumber;
using testing::lineText;

// Real files in a fresh temporary folder, removed afterwards.
class PosixFilesTest : public ::testing::Test {
 protected:
  PosixFilesTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "durno-textfile-XXXXXX");
    folder_ = ::mkdtemp(pattern.data());
  }
  ~PosixFilesTest() override { std::filesystem::remove_all(folder_); }

  std::string path(const std::string& name) const { return folder_ + "/" + name; }
  void put(const std::string& name, const std::string& bytes) const {
    testing::writeFileBytes(path(name), bytes);
  }
  std::string contents(const std::string& name) const { return testing::fileBytes(path(name)); }

  std::string folder_;
  PosixFileSystem fileSystem_;
  TextFiles files_{fileSystem_};
};

TEST_F(PosixFilesTest, WritesAndReadsBack) {
  files_.openFile(2, path("table.dat"), FileMode::Output);
  files_.writeText(2, "Data from ");
  files_.writeText(2, "run1.out");
  files_.endLine(2);
  files_.writeText(2, "  x");
  files_.closeFile(2);
  EXPECT_EQ(contents("table.dat"), "Data from run1.out\r\n  x");
  files_.openFile(1, path("table.dat"), FileMode::Input);
  EXPECT_EQ(lineText(files_, 1), "Data from run1.out");
  EXPECT_EQ(lineText(files_, 1), "  x");
  EXPECT_TRUE(files_.atEnd(1));
}

TEST_F(PosixFilesTest, OutputEmptiesAnExistingFileAtOpeningAndEndsItWithWhatWasWritten) {
  put("table.dat", "an old table\r\n");
  files_.openFile(2, path("table.dat"), FileMode::Output);
  EXPECT_LE(contents("table.dat").size(), 1u);
  files_.closeFile(2);
  EXPECT_EQ(contents("table.dat"), "");
  put("table.dat", "an old table\r\n");
  files_.openFile(2, path("table.dat"), FileMode::Output);
  files_.writeText(2, "new");
  files_.closeFile(2);
  EXPECT_EQ(contents("table.dat"), "new");
}

TEST_F(PosixFilesTest, AFileHeldByAnotherOpenerIsNeitherOpenedNorEmptied) {
  put("table.dat", "someone else's\r\n");
  const int other = ::open(path("table.dat").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(files_.openFile(2, path("table.dat"), FileMode::Output).error, FileError::InUse);
  EXPECT_FALSE(isOpenNumber(files_, 2));
  EXPECT_EQ(contents("table.dat"), "someone else's\r\n");
  ::close(other);
  files_.openFile(2, path("table.dat"), FileMode::Output);
  EXPECT_TRUE(isOpenNumber(files_, 2));
}

TEST_F(PosixFilesTest, ABackslashNameFindsTheFileInItsFolder) {
  std::filesystem::create_directory(path("data"));
  put("data/run1.out", "STEP NUMBER 1\r\n");
  files_.openFile(11, folder_ + "\\data\\run1.out", FileMode::Input);
  EXPECT_EQ(lineText(files_, 11), "STEP NUMBER 1");
}

TEST_F(PosixFilesTest, SystemRefusalsGiveTheSystemsReason) {
  const struct {
    const char* name;
    std::string file;
    FileMode mode;
    std::string reason;
  } cases[] = {
      {"a missing file", path("missing.out"), FileMode::Input, "No such file or directory"},
      {"a missing folder", path("nowhere/t.dat"), FileMode::Output, "No such file or directory"},
      {"a folder read as a file", folder_, FileMode::Input, "Is a directory"},
      {"a folder written as a file", folder_, FileMode::Output, "Is a directory"},
  };
  for (const auto& refusal : cases) {
    SCOPED_TRACE(refusal.name);
    const FileStatus opened = files_.openFile(3, refusal.file, refusal.mode);
    EXPECT_FALSE(isOpenNumber(files_, 3));
    EXPECT_EQ(opened.error, FileError::System);
    EXPECT_EQ(opened.reason, refusal.reason);
  }
}

TEST_F(PosixFilesTest, AFullDeviceReportsItsReason) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
  files_.openFile(2, "/dev/full", FileMode::Output);
  ASSERT_TRUE(isOpenNumber(files_, 2));
  EXPECT_EQ(files_.writeText(2, "row").reason, "No space left on device");
}

// A terminal is read one byte per system call, so the layer takes nothing typed ahead beyond
// the line asked for; a pipe is read in blocks, as fast as a disk file.
TEST_F(PosixFilesTest, ATerminalIsReadNoFurtherThanTheLineAskedForAndAPipeInBlocks) {
  int master = -1;
  int terminal = -1;
  ASSERT_EQ(::openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
  termios raw{};
  ::tcgetattr(terminal, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(terminal, TCSANOW, &raw);
  ASSERT_EQ(::write(master, "a\r\nbc\r\n", 7), 7);
  files_.openFile(1, ::ttyname(terminal), FileMode::Input);
  ASSERT_TRUE(isOpenNumber(files_, 1));
  EXPECT_EQ(lineText(files_, 1), "a");
  char rest[8] = {};
  EXPECT_EQ(::read(terminal, rest, sizeof rest), 4);
  EXPECT_EQ(std::string(rest, 4), "bc\r\n");
  files_.closeFile(1);
  ::close(terminal);
  ::close(master);

  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  const int writer = ::open(path("pipe").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, "a\r\nbc\r\n", 7), 7);
  files_.openFile(1, path("pipe"), FileMode::Input);
  ASSERT_TRUE(isOpenNumber(files_, 1));
  EXPECT_EQ(lineText(files_, 1), "a");
  ::fcntl(writer, F_SETFL, O_NONBLOCK);
  EXPECT_EQ(::read(writer, rest, sizeof rest), -1) << "the first read took the whole line after";
  EXPECT_EQ(lineText(files_, 1), "bc");
  ::close(writer);
  files_.closeFile(1);
}

}  // namespace
}  // namespace durno

namespace durno {
namespace {

// A pipe whose reader has gone must fail the write silently, not end the program.
TEST_F(PosixFilesTest, APipeWithoutReaderFailsTheWriteWithoutEndingTheProgram) {
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  const int reader = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  files_.openFile(2, path("pipe"), FileMode::Output);
  ASSERT_TRUE(isOpenNumber(files_, 2));
  EXPECT_TRUE(files_.writeText(2, "row\r\n").ok());
  ::close(reader);
  EXPECT_EQ(files_.writeText(2, "row\r\n").reason, "Broken pipe");
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  EXPECT_EQ(sigismember(&pending, SIGPIPE), 0) << "no SIGPIPE is left waiting";
}

}  // namespace
}  // namespace durno

namespace durno {
namespace {

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// A file written whole keeps its old content until the new one is complete; a link is
// followed and stays, and the file keeps its mode; a file another program holds is refused;
// and nothing but the new file the layer made itself is ever removed. (Devices, and files
// this program holds, are in the file system contract.)
TEST_F(PosixFilesTest, AFileWrittenWholeReplacesTheOldOneOnlyWhenCommitted) {
  put("real.svg", "old");
  ::chmod(path("real.svg").c_str(), 0640);
  ASSERT_EQ(::symlink("real.svg", path("link.svg").c_str()), 0);
  const std::set<std::string> names{"link.svg", "real.svg"};
  FileStatus status;
  {
    const auto abandoned = fileSystem_.openWhole(path("link.svg"), status);
    ASSERT_TRUE(abandoned) << status.reason;
    EXPECT_TRUE(abandoned->write("half of it").ok());
    EXPECT_EQ(contents("real.svg"), "old");
  }
  EXPECT_EQ(namesIn(folder_), names);
  const auto whole = fileSystem_.openWhole(path("link.svg"), status);
  ASSERT_TRUE(whole) << status.reason;
  EXPECT_TRUE(whole->write("new").ok());
  EXPECT_TRUE(whole->commit().ok());
  EXPECT_EQ(contents("real.svg"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(path("link.svg")));
  EXPECT_EQ(namesIn(folder_), names);
  struct stat real {};
  ::stat(path("real.svg").c_str(), &real);
  EXPECT_EQ(real.st_mode & 0777, 0640u);

  const int other = ::open(path("real.svg").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(fileSystem_.openWhole(path("link.svg"), status));
  EXPECT_EQ(status.error, FileError::InUse);
  ::close(other);

  EXPECT_FALSE(fileSystem_.openWhole(path("none/x.svg"), status));
  EXPECT_EQ(status.reason, "No such file or directory");
  EXPECT_EQ(namesIn(folder_), names);
  EXPECT_EQ(contents("real.svg"), "new");
}

}  // namespace
}  // namespace durno
