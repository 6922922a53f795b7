// The file system contract over the Windows file system (run under Wine here).

#include "tests/textfile/file_system_contract.hpp"

#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "disk_files.hpp"
#include "textfile/windows_file_system.hpp"

namespace durno::testing {
namespace {

// Real files in a fresh temporary folder, removed afterwards; names use '\'.
class WindowsWorld {
 public:
  // Windows removes no file that is open without sharing its deletion.
  static constexpr bool kRemovesOpenFiles = false;

  WindowsWorld() {
    static unsigned long worlds = 0;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("durno-contract-" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(++worlds));
    std::filesystem::create_directories(folder);
    folder_ = folder.string();
  }
  ~WindowsWorld() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  WindowsWorld(const WindowsWorld&) = delete;
  WindowsWorld& operator=(const WindowsWorld&) = delete;

  FileSystem& fileSystem() { return files_; }
  std::string path(const std::string& name) const { return folder_ + "\\" + name; }
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
  std::string device() const { return "NUL"; }
  std::string missingReason() const { return windowsErrorReason(ERROR_FILE_NOT_FOUND); }

 private:
  std::string folder_;
  WindowsFileSystem files_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, FileSystemContract, WindowsWorld);

}  // namespace
}  // namespace durno::testing
