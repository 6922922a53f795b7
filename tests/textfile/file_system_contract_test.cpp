// The file system contract over the in-memory fake and, on POSIX, the real file system.

#include <set>
#include <string>

#include "testing/memory_file_system.hpp"
#include "tests/textfile/file_system_contract.hpp"

#ifndef _WIN32
#include "disk_files.hpp"
#include "textfile/file_system_posix.hpp"
#endif

namespace durno::testing {
namespace {

class MemoryWorld {
 public:
  static constexpr bool kRemovesOpenFiles = true;
  static constexpr bool kWritesDevices = true;

  MemoryWorld() { files_.putDevice(device(), ""); }
  FileSystem& fileSystem() { return files_; }
  std::string path(const std::string& name) const { return name; }
  void put(const std::string& path, const std::string& bytes) { files_.put(path, bytes); }
  std::optional<std::string> contents(const std::string& path) const {
    return files_.contents(path);
  }
  void remove(const std::string& path) { files_.remove(path); }
  std::set<std::string> names() const {
    const std::vector<std::string> all = files_.names();
    return {all.begin(), all.end()};
  }
  std::string device() const { return "device"; }
  std::string missingReason() const { return "No such file or directory"; }

 private:
  MemoryFileSystem files_;
};

#ifndef _WIN32
// Real files in a fresh temporary folder.
class PosixWorld : public DiskFolder {
 public:
  static constexpr bool kRemovesOpenFiles = true;
  static constexpr bool kWritesDevices = true;

  PosixWorld() : DiskFolder('/') {}
  FileSystem& fileSystem() { return files_; }
  std::string device() const { return "/dev/null"; }
  std::string missingReason() const { return "No such file or directory"; }

 private:
  PosixFileSystem files_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemContract, PosixWorld);
#endif

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, FileSystemContract, MemoryWorld);

}  // namespace
}  // namespace durno::testing
