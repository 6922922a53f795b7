#pragma once

// What every FileSystem must do, whether it is the in-memory fake the other tests use or a
// real one: the same test cases run over each, so that a rule the fake keeps and a real file
// system breaks (or the other way round) shows up here. A file system joins with a World
// and one INSTANTIATE_TYPED_TEST_SUITE_P line.
//
// A World provides:
//   FileSystem& fileSystem();
//   std::string path(const std::string& name);    // name in a fresh, empty place
//   void put(const std::string& path, const std::string& bytes);  // a disk file
//   std::optional<std::string> contents(const std::string& path);  // none when absent
//   void remove(const std::string& path);          // as another program would remove it
//   std::set<std::string> names();                 // every file in the place
//   std::string device();      // a device that takes writes (/dev/null, NUL)
//   std::string missingReason();  // the reason an Input open of a missing file gives
//   static constexpr bool kRemovesOpenFiles;  // whether an open file can be removed
//   static constexpr bool kWritesDevices;  // whether a device may be an output (not on
//                                          // Windows, where a table named NUL stores nothing)

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "textfile/file_system.hpp"

namespace durno::testing {

template <typename World>
class FileSystemContract : public ::testing::Test {
 protected:
  FileSystem& fileSystem() { return world_.fileSystem(); }
  std::unique_ptr<SystemFile> open(const std::string& path, FileMode mode, FileStatus& status) {
    return fileSystem().open(path, mode, status);
  }
  // Everything a file opened for Input holds, read in small pieces.
  static std::string readAll(SystemFile& file) {
    std::string bytes;
    char buffer[3];
    for (std::size_t count = 1; count != 0;) {
      if (!file.read(buffer, sizeof buffer, count).ok()) return "<read failed>";
      bytes.append(buffer, count);
    }
    return bytes;
  }

  World world_;
};

TYPED_TEST_SUITE_P(FileSystemContract);

// Readers share a file; a writer holds it alone, against this program's other opens too. A
// refused open changes nothing, and a file let go opens again.
TYPED_TEST_P(FileSystemContract, ReadersShareAFileAndAWriterHoldsItAlone) {
  auto& world = this->world_;
  const std::string run = world.path("run1.out");
  const std::string table = world.path("table.dat");
  world.put(run, "a\r\n");
  FileStatus status;
  auto first = this->open(run, FileMode::Input, status);
  auto second = this->open(run, FileMode::Input, status);
  ASSERT_TRUE(first && second) << status.reason;
  EXPECT_FALSE(this->open(run, FileMode::Output, status)) << "a file being read is not written";
  EXPECT_EQ(status.error, FileError::InUse);
  EXPECT_EQ(status.reason, kFileInUseReason);
  EXPECT_EQ(this->readAll(*second), "a\r\n");

  auto writer = this->open(table, FileMode::Output, status);
  ASSERT_TRUE(writer) << status.reason;
  EXPECT_TRUE(writer->write("row").ok());
  for (const FileMode mode : {FileMode::Input, FileMode::Output}) {
    EXPECT_FALSE(this->open(table, mode, status)) << "a file being written is not opened";
    EXPECT_EQ(status.error, FileError::InUse);
  }
  EXPECT_TRUE(writer->close().ok());
  first->close();
  second->close();
  EXPECT_EQ(world.contents(run), "a\r\n");
  EXPECT_EQ(world.contents(table), "row");
  EXPECT_TRUE(this->open(run, FileMode::Output, status)) << status.reason;
}

// Output opens an existing file without emptying it: the text-file layer empties it once it
// holds it. Writes go on from the start, and truncate gives the file its length.
TYPED_TEST_P(FileSystemContract, AFileIsEmptiedOnlyOnceItIsHeld) {
  auto& world = this->world_;
  const std::string table = world.path("table.dat");
  world.put(table, "an old table");
  FileStatus status;
  auto file = this->open(table, FileMode::Output, status);
  ASSERT_TRUE(file) << status.reason;
  EXPECT_TRUE(file->close().ok());
  EXPECT_EQ(world.contents(table), "an old table");
  file = this->open(table, FileMode::Output, status);
  ASSERT_TRUE(file) << status.reason;
  EXPECT_TRUE(file->write("A NEW").ok());
  EXPECT_TRUE(file->close().ok());
  EXPECT_EQ(world.contents(table), "A NEWd table");
  file = this->open(table, FileMode::Output, status);
  ASSERT_TRUE(file) << status.reason;
  EXPECT_TRUE(file->truncate(3).ok());
  EXPECT_TRUE(file->close().ok());
  EXPECT_EQ(world.contents(table), "A N");
  const std::string created = world.path("created.dat");
  EXPECT_TRUE(this->open(created, FileMode::Output, status)) << status.reason;
  EXPECT_EQ(world.contents(created), "");
}

// A device is written and read as it is, never as a disk file: no size, never replaced by a
// new file when written whole. Where a device may not be an output, both opens for writing
// refuse it with a reason.
TYPED_TEST_P(FileSystemContract, DevicesAreToldFromDiskFiles) {
  auto& world = this->world_;
  const std::string run = world.path("run1.out");
  world.put(run, "12345");
  FileSystem& files = this->fileSystem();
  EXPECT_EQ(files.diskFileSize(run), 5);
  EXPECT_EQ(files.diskFileSize(world.device()), -1);
  EXPECT_EQ(files.diskFileSize(world.path("missing.out")), -1);
  FileStatus status;
  auto disk = this->open(run, FileMode::Input, status);
  ASSERT_TRUE(disk) << status.reason;
  EXPECT_TRUE(disk->isDiskFile());
  if constexpr (!TypeParam::kWritesDevices) {
    EXPECT_FALSE(this->open(world.device(), FileMode::Output, status));
    EXPECT_FALSE(status.reason.empty());
    status = {};
    EXPECT_FALSE(files.openWhole(world.device(), status));
    EXPECT_FALSE(status.reason.empty());
    return;
  }
  auto device = this->open(world.device(), FileMode::Output, status);
  ASSERT_TRUE(device) << status.reason;
  EXPECT_FALSE(device->isDiskFile());
  EXPECT_TRUE(device->write("row\r\n").ok());
  device->close();
  auto whole = files.openWhole(world.device(), status);
  ASSERT_TRUE(whole) << status.reason;
  EXPECT_TRUE(whole->write("picture").ok());
  EXPECT_TRUE(whole->commit().ok());
  EXPECT_EQ(files.diskFileSize(world.device()), -1) << "the device is still a device";
}

// Two names are one file only when both exist and lead to it; a name stops leading to an
// open file once that file is removed.
TYPED_TEST_P(FileSystemContract, SameFileAndLeadsToFollowTheFileNotTheText) {
  auto& world = this->world_;
  const std::string run1 = world.path("run1.out");
  const std::string run2 = world.path("run2.out");
  const std::string missing = world.path("missing.out");
  world.put(run1, "1");
  world.put(run2, "2");
  FileSystem& files = this->fileSystem();
  EXPECT_TRUE(files.sameFile(run1, run1));
  EXPECT_FALSE(files.sameFile(run1, run2));
  EXPECT_FALSE(files.sameFile(missing, missing));
  FileStatus status;
  auto file = this->open(run1, FileMode::Input, status);
  ASSERT_TRUE(file) << status.reason;
  EXPECT_TRUE(files.leadsTo(run1, *file));
  EXPECT_FALSE(files.leadsTo(run2, *file));
  file->close();
  if constexpr (TypeParam::kRemovesOpenFiles) {
    file = this->open(run2, FileMode::Output, status);
    ASSERT_TRUE(file) << status.reason;
    world.remove(run2);
    EXPECT_FALSE(files.leadsTo(run2, *file)) << "what is written now is found nowhere";
  }
}

// A file written whole keeps its old bytes until commit, leaves nothing behind when let go
// without one, and is refused while another opener holds it.
TYPED_TEST_P(FileSystemContract, AFileWrittenWholeReplacesTheOldOneOnlyWhenCommitted) {
  auto& world = this->world_;
  const std::string picture = world.path("picture.svg");
  const std::string fresh = world.path("fresh.svg");
  world.put(picture, "old");
  const std::set<std::string> before = world.names();
  FileSystem& files = this->fileSystem();
  FileStatus status;
  for (const std::string& name : {picture, fresh}) {
    auto abandoned = files.openWhole(name, status);
    ASSERT_TRUE(abandoned) << status.reason;
    EXPECT_TRUE(abandoned->write("half of it").ok());
  }
  EXPECT_EQ(world.contents(picture), "old");
  EXPECT_EQ(world.names(), before) << "nothing is left behind";

  auto whole = files.openWhole(picture, status);
  ASSERT_TRUE(whole) << status.reason;
  EXPECT_TRUE(whole->write("new").ok());
  EXPECT_EQ(world.contents(picture), "old");
  EXPECT_TRUE(whole->commit().ok());
  EXPECT_EQ(world.contents(picture), "new");
  EXPECT_EQ(world.names(), before);

  auto held = this->open(picture, FileMode::Output, status);  // a table being written
  ASSERT_TRUE(held) << status.reason;
  EXPECT_FALSE(files.openWhole(picture, status));
  EXPECT_EQ(status.error, FileError::InUse);
  held->close();
  EXPECT_EQ(world.contents(picture), "new");
  EXPECT_EQ(world.names(), before);
}

// A refusal says why, in the system's words for what the system refused.
TYPED_TEST_P(FileSystemContract, RefusalsGiveTheirReason) {
  auto& world = this->world_;
  FileStatus status;
  EXPECT_FALSE(this->open(world.path("missing.out"), FileMode::Input, status));
  EXPECT_EQ(status.error, FileError::System);
  EXPECT_EQ(status.reason, world.missingReason());
  EXPECT_FALSE(world.contents(world.path("missing.out"))) << "an Input open creates nothing";
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, ReadersShareAFileAndAWriterHoldsItAlone,
                            AFileIsEmptiedOnlyOnceItIsHeld, DevicesAreToldFromDiskFiles,
                            SameFileAndLeadsToFollowTheFileNotTheText,
                            AFileWrittenWholeReplacesTheOldOneOnlyWhenCommitted,
                            RefusalsGiveTheirReason);

}  // namespace durno::testing
