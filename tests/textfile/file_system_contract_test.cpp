// The file system contract over the in-memory fake and, on POSIX, the real file system.

#include <set>
#include <string>

#include "testing/memory_file_system.hpp"
#include "tests/textfile/file_system_contract.hpp"

#ifndef _WIN32
#include <stdlib.h>

#include <filesystem>

#include "disk_files.hpp"
#include "textfile/file_system_posix.hpp"
#endif

namespace durno::testing {
namespace {

class MemoryWorld {
 public:
  static constexpr bool kRemovesOpenFiles = true;

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
// Real files in a fresh temporary folder, removed afterwards.
class PosixWorld {
 public:
  static constexpr bool kRemovesOpenFiles = true;

  PosixWorld() {
    std::string pattern = std::filesystem::temp_directory_path() / "durno-contract-XXXXXX";
    folder_ = ::mkdtemp(pattern.data());
  }
  ~PosixWorld() { std::filesystem::remove_all(folder_); }
  PosixWorld(const PosixWorld&) = delete;
  PosixWorld& operator=(const PosixWorld&) = delete;

  FileSystem& fileSystem() { return files_; }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }
  void put(const std::string& path, const std::string& bytes) { writeFileBytes(path, bytes); }
  std::optional<std::string> contents(const std::string& path) const {
    if (!std::filesystem::exists(path)) return std::nullopt;
    return fileBytes(path);
  }
  void remove(const std::string& path) { std::filesystem::remove(path); }
  std::set<std::string> names() const {
    std::set<std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      all.insert(entry.path().filename().string());
    return all;
  }
  std::string device() const { return "/dev/null"; }
  std::string missingReason() const { return "No such file or directory"; }

 private:
  std::string folder_;
  PosixFileSystem files_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemContract, PosixWorld);
#endif

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, FileSystemContract, MemoryWorld);

}  // namespace
}  // namespace durno::testing
