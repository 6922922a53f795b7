// The Windows file layer against the system's own file calls (run under Wine here).

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "disk_files.hpp"
#include "line_text.hpp"
#include "testing/open_numbers.hpp"
#include "textfile/file_system_windows.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using testing::isOpenNumber;
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
  EXPECT_TRUE(isOpenNumber(files_, 2));
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
    EXPECT_FALSE(isOpenNumber(files_, 3));
    EXPECT_EQ(opened.error, FileError::System);
    const std::string reason = opened.reason;
    EXPECT_EQ(reason, windowsErrorReason(refusal.error));
    EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos);
    EXPECT_NE(reason.rfind("error ", 0), 0u) << "the system has a message for it: " << reason;
    EXPECT_NE(reason.back(), '.');
  }
  EXPECT_EQ(outOfMemoryReason(), windowsErrorReason(ERROR_NOT_ENOUGH_MEMORY))
      << "memory that runs out is told in the system's words too";
}

// A device is read like a file, but never written as a table, a list or a picture: its name
// in any case, with any extension, in any folder, and a device that is no such name.
TEST_F(WindowsFilesTest, ADeviceIsReadableButNeverAnOutput) {
  FileStatus status;
  const auto device = fileSystem_.open("NUL", FileMode::Input, status);
  ASSERT_NE(device, nullptr) << status.reason;
  EXPECT_FALSE(device->isDiskFile());
  EXPECT_FALSE(device->isInteractive());
  put("run1.out", "a");
  const auto disk = fileSystem_.open(path("run1.out"), FileMode::Input, status);
  ASSERT_NE(disk, nullptr) << status.reason;
  EXPECT_TRUE(disk->isDiskFile());

  const std::string names[] = {"nul",
                               "NUL.dat",
                               "aux.txt",
                               "Com1.dat",
                               "con",
                               path("lpt9.xtr"),
                               path("missing\\prn.svg"),
                               "\\\\.\\NUL"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const FileStatus opened = files_.openFile(2, name, FileMode::Output);
    EXPECT_EQ(opened.error, FileError::System);
    EXPECT_EQ(opened.reason, "it is a device, not a disk file");
    EXPECT_FALSE(isOpenNumber(files_, 2));
    FileStatus whole;
    EXPECT_EQ(fileSystem_.openWhole(name, whole), nullptr);
    EXPECT_EQ(whole.reason, "it is a device, not a disk file");
  }
  const auto output = fileSystem_.standardOutput(status);
  EXPECT_NE(output, nullptr) << "standard output stays writable, whatever it is";
}

// ZEPRO may still hold its output open for writing, sharing it for reading.
TEST_F(WindowsFilesTest, AResultFileAnotherProgramIsWritingIsReadWhole) {
  const std::wstring name = std::filesystem::path(path("run1.out")).wstring();
  const HANDLE writer = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  const std::string bytes = "STEP NUMBER 1\r\nVAP = 2\r\n";
  DWORD put = 0;
  ::WriteFile(writer, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  ASSERT_TRUE(files_.openFile(11, path("run1.out"), FileMode::Input).ok());
  EXPECT_EQ(lineText(files_, 11), "STEP NUMBER 1");
  EXPECT_EQ(lineText(files_, 11), "VAP = 2");
  EXPECT_EQ(files_.openFile(2, path("run1.out"), FileMode::Output).error, FileError::InUse);
  files_.closeFile(11);
  ::CloseHandle(writer);
}

// Names are bytes in the console's code page, as typed; the file system gets the characters
// they stand for, however long the whole name is.
TEST_F(WindowsFilesTest, NamesOutsideAsciiAndBeyondMaxPathReachTheirOwnFiles) {
  const std::wstring folder = std::filesystem::path(folder_).wstring();
  const std::wstring typed = L"caf\u00e9 \u03a9mega.out";
  const HANDLE made = ::CreateFileW((folder + L"\\" + typed).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(made, INVALID_HANDLE_VALUE);
  ::CloseHandle(made);
  const unsigned int codePage = windowsNamesCodePage();
  EXPECT_TRUE(files_.openFile(11, path(windowsBytesOf(typed, codePage)), FileMode::Input).ok());
  ASSERT_TRUE(
      files_.openFile(2, path(windowsBytesOf(L"r\u00e9sum\u00e9.dat", codePage)), FileMode::Output)
          .ok());
  files_.closeAll();
  EXPECT_NE(::GetFileAttributesW((folder + L"\\r\u00e9sum\u00e9.dat").c_str()),
            INVALID_FILE_ATTRIBUTES);

  const std::string deep = path(std::string(200, 'd'));
  const std::string longName = deep + "\\" + std::string(120, 'n') + ".dat";
  ASSERT_GT(longName.size(), static_cast<std::size_t>(MAX_PATH));
  ASSERT_NE(
      ::CreateDirectoryW((L"\\\\?\\" + std::filesystem::path(deep).wstring()).c_str(), nullptr), 0);
  ASSERT_TRUE(files_.openFile(2, longName, FileMode::Output).ok());
  files_.writeText(2, "row");
  files_.closeFile(2);
  EXPECT_EQ(fileSystem_.diskFileSize(longName), 3);
  FileStatus status;
  std::unique_ptr<WholeFile> whole = fileSystem_.openWhole(longName, status);
  ASSERT_NE(whole, nullptr) << status.reason;
  EXPECT_TRUE(whole->write("picture").ok());
  EXPECT_TRUE(whole->commit().ok());
  ASSERT_TRUE(files_.openFile(11, longName, FileMode::Input).ok());
  EXPECT_EQ(lineText(files_, 11), "picture");
  EXPECT_TRUE(fileSystem_.sameFile(longName, deep + "/./" + std::string(120, 'n') + ".dat"));
  files_.closeAll();
  ::DeleteFileW((L"\\\\?\\" + std::filesystem::path(longName).wstring()).c_str());
  ::RemoveDirectoryW((L"\\\\?\\" + std::filesystem::path(deep).wstring()).c_str());
}

// A list's names, in UTF-8 as Notepad writes them now or in the ANSI code page as it wrote
// them before, become the names' bytes; a name saved reads back as it was; a character the
// names' code page lacks becomes '?', which no name may hold, never a look-alike.
TEST_F(WindowsFilesTest, AListsNamesBecomeTheNamesOfTheConsolesCodePage) {
  const unsigned int codePage = windowsNamesCodePage();
  const std::string cafe = windowsBytesOf(L"caf\u00e9.out", codePage);
  const struct {
    const char* what;
    std::vector<std::string> listed;
    std::vector<std::string> names;
  } cases[] = {
      {"UTF-8", {"caf\xC3\xA9.out", "run1.out"}, {cafe, "run1.out"}},
      {"ANSI", {windowsBytesOf(L"caf\u00e9.out", ::GetACP()), "run1.out"}, {cafe, "run1.out"}},
      {"saved", {fileSystem_.listedName(cafe)}, {cafe}},
      {"lacking", {"com\xC2\xB9"}, {codePage == CP_UTF8 ? "com\xC2\xB9" : "com?"}},
  };
  for (const auto& list : cases) {
    std::vector<std::string> names = list.listed;
    fileSystem_.takeListedNames(names);
    EXPECT_EQ(names, list.names) << list.what;
  }
}

// The long form names a file the system finds as it is written; its '?' is no wildcard.
TEST_F(WindowsFilesTest, LongFormNamesAreFilesAndNoBadNames) {
  const std::string longForm = "\\\\?\\" + path("run1.out");
  ASSERT_TRUE(files_.openFile(2, longForm, FileMode::Output).ok());
  files_.writeText(2, "row");
  files_.closeFile(2);
  EXPECT_EQ(contents("run1.out"), "row");
  EXPECT_TRUE(files_.openFile(11, longForm, FileMode::Input).ok());
  EXPECT_TRUE(files_.sameFile(longForm, path("run1.out")));
  const FileStatus share =
      files_.openFile(12, "\\\\?\\UNC\\nowhere\\share\\r1.dat", FileMode::Input);
  EXPECT_EQ(share.error, FileError::System) << share.reason;
  EXPECT_EQ(files_.openFile(12, path("r?.dat"), FileMode::Input).error, FileError::BadName);
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
