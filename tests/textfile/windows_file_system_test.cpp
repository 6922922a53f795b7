// The Windows file layer against the system's own file calls (run under Wine here).

#include "textfile/windows_file_system.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "disk_files.hpp"
#include "line_text.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using testing::lineText;

// Real files in a fresh temporary folder, removed afterwards; names use '\'.
class WindowsFilesTest : public ::testing::Test {
 protected:
  WindowsFilesTest() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("durno-textfile-" + std::to_string(::GetCurrentProcessId()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    folder_ = folder.string();
  }
  // Windows removes no file that is open: the files are closed first.
  ~WindowsFilesTest() override {
    files_.closeAll();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string path(const std::string& name) const { return folder_ + "\\" + name; }
  void put(const std::string& name, const std::string& bytes) const {
    testing::writeFileBytes(path(name), bytes);
  }
  std::string contents(const std::string& name) const { return testing::fileBytes(path(name)); }

  std::string folder_;
  WindowsFileSystem fileSystem_;
  TextFiles files_{fileSystem_};
};

// The bytes go to the disk as they are: no text-mode translation of CR LF or byte 26.
TEST_F(WindowsFilesTest, BytesReachTheFileUnchangedAndOutputEmptiesOnlyOnceHeld) {
  put("table.dat", "an old, longer table\r\n");
  files_.openFile(2, path("table.dat"), FileMode::Output);
  files_.writeText(2, "Data from run1.out");
  files_.endLine(2);
  files_.writeText(2, "a\nb\x1a");
  files_.closeFile(2);
  EXPECT_EQ(contents("table.dat"), "Data from run1.out\r\na\nb\x1a");

  put("run1.out", "STEP NUMBER 1\rVAP = 1\nPTOT = 2\r\n\x1aignored");
  files_.openFile(1, path("run1.out"), FileMode::Input);
  EXPECT_EQ(lineText(files_, 1), "STEP NUMBER 1");
  EXPECT_EQ(lineText(files_, 1), "VAP = 1");
  EXPECT_EQ(lineText(files_, 1), "PTOT = 2");
  EXPECT_TRUE(files_.atEnd(1));
}

TEST_F(WindowsFilesTest, ReadersShareAFileAndAWriterHoldsItAlone) {
  put("run1.out", "a\r\n");
  files_.openFile(11, path("run1.out"), FileMode::Input);
  files_.openFile(12, path("run1.out"), FileMode::Input);
  EXPECT_TRUE(files_.isOpen(12));
  files_.closeFile(12);
  files_.openFile(2, path("table.dat"), FileMode::Output);
  files_.writeText(2, "row");
  EXPECT_EQ(files_.openFile(13, path("table.dat"), FileMode::Input).error, FileError::InUse)
      << "the output table cannot be read while it is written";
  EXPECT_EQ(files_.openFile(3, path("run1.out"), FileMode::Output).error, FileError::InUse);
  EXPECT_FALSE(files_.isOpen(3));
  EXPECT_EQ(contents("run1.out"), "a\r\n") << "a refused output open empties nothing";
  EXPECT_EQ(lineText(files_, 11), "a");
}

TEST_F(WindowsFilesTest, AFileAnotherProgramHoldsIsNeitherOpenedNorEmptied) {
  put("table.dat", "someone else's\r\n");
  const HANDLE other = ::CreateFileA(path("table.dat").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files_.openFile(2, path("table.dat"), FileMode::Output).error, FileError::InUse);
  EXPECT_EQ(files_.openFile(1, path("table.dat"), FileMode::Input).error, FileError::InUse);
  ::CloseHandle(other);
  EXPECT_EQ(contents("table.dat"), "someone else's\r\n");
  files_.openFile(2, path("table.dat"), FileMode::Output);
  EXPECT_TRUE(files_.isOpen(2));
}

TEST_F(WindowsFilesTest, EitherSeparatorFindsTheFileAndEverySpellingIsTheSameFile) {
  std::filesystem::create_directory(path("data"));
  put("data\\run1.out", "STEP NUMBER 1\r\n");
  put("data\\run2.out", "STEP NUMBER 2\r\n");
  files_.openFile(11, folder_ + "/data/run1.out", FileMode::Input);
  EXPECT_EQ(lineText(files_, 11), "STEP NUMBER 1");
  files_.openFile(12, path("data\\run2.out"), FileMode::Input);
  EXPECT_EQ(lineText(files_, 12), "STEP NUMBER 2");

  EXPECT_TRUE(fileSystem_.sameFile(path("data\\run1.out"), folder_ + "/data/../data/run1.out"));
  EXPECT_TRUE(fileSystem_.sameFile(path("DATA\\RUN1.OUT"), path("data\\run1.out")))
      << "names differing in case only are one file";
  EXPECT_FALSE(fileSystem_.sameFile(path("data\\run1.out"), path("data\\run2.out")));
  EXPECT_FALSE(fileSystem_.sameFile(path("data\\missing.out"), path("data\\missing.out")));
}

TEST_F(WindowsFilesTest, SystemRefusalsGiveTheSystemsOwnMessage) {
  const struct {
    const char* name;
    std::string file;
    FileMode mode;
    DWORD error;
  } cases[] = {
      {"a missing file", path("missing.out"), FileMode::Input, ERROR_FILE_NOT_FOUND},
      {"a missing folder", path("nowhere\\t.dat"), FileMode::Output, ERROR_PATH_NOT_FOUND},
      {"a folder read as a file", folder_, FileMode::Input, ERROR_ACCESS_DENIED},
  };
  for (const auto& refusal : cases) {
    SCOPED_TRACE(refusal.name);
    const FileStatus opened = files_.openFile(3, refusal.file, refusal.mode);
    EXPECT_FALSE(files_.isOpen(3));
    EXPECT_EQ(opened.error, FileError::System);
    const std::string reason = opened.reason;
    EXPECT_EQ(reason, windowsErrorReason(refusal.error));
    EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos);
    EXPECT_NE(reason.rfind("error ", 0), 0u) << "the system has a message for it: " << reason;
    EXPECT_NE(reason.back(), '.');
  }
}

TEST_F(WindowsFilesTest, ADeviceIsNotADiskFile) {
  FileStatus status;
  const auto device = fileSystem_.open("NUL", FileMode::Output, status);
  ASSERT_NE(device, nullptr) << status.reason;
  EXPECT_FALSE(device->isDiskFile());
  EXPECT_FALSE(device->isInteractive());
  EXPECT_TRUE(device->write("row\r\n").ok());
  put("run1.out", "a");
  const auto disk = fileSystem_.open(path("run1.out"), FileMode::Input, status);
  ASSERT_NE(disk, nullptr) << status.reason;
  EXPECT_TRUE(disk->isDiskFile());
}

}  // namespace
}  // namespace durno

namespace durno {
namespace {

std::size_t filesIn(const std::string& folder) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    static_cast<void>(entry);
    ++count;
  }
  return count;
}

// A file written whole keeps its old content until the new one is complete, a file another
// opener holds is refused, and the new file the layer made is removed when not committed.
TEST_F(WindowsFilesTest, AFileWrittenWholeReplacesTheOldOneOnlyWhenCommitted) {
  put("picture.svg", "old");
  FileStatus status;
  {
    const auto abandoned = fileSystem_.openWhole(path("picture.svg"), status);
    ASSERT_TRUE(abandoned) << status.reason;
    EXPECT_TRUE(abandoned->write("half of it").ok());
    EXPECT_EQ(contents("picture.svg"), "old");
  }
  EXPECT_EQ(filesIn(folder_), 1u);
  const auto whole = fileSystem_.openWhole(path("picture.svg"), status);
  ASSERT_TRUE(whole) << status.reason;
  EXPECT_TRUE(whole->write("new").ok());
  status = whole->commit();
  EXPECT_TRUE(status.ok()) << status.reason;
  EXPECT_EQ(contents("picture.svg"), "new");
  EXPECT_EQ(filesIn(folder_), 1u);

  files_.openFile(2, path("picture.svg"), FileMode::Output);
  // The table writer's hold empties the file; what matters is that it is not replaced.
  EXPECT_FALSE(fileSystem_.openWhole(path("picture.svg"), status));
  EXPECT_EQ(status.error, FileError::InUse);
  files_.closeFile(2);
  EXPECT_EQ(filesIn(folder_), 1u);
}

}  // namespace
}  // namespace durno
