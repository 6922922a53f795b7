// The file system contract over the Windows file system (run under Wine here).

#include "tests/textfile/file_system_contract.hpp"

#include <windows.h>

#include <string>

#include "disk_files.hpp"
#include "textfile/file_system_windows.hpp"

namespace durno::testing {
namespace {

// Real files in a fresh temporary folder; names use '\'.
class WindowsWorld : public DiskFolder {
 public:
  // Windows removes no file that is open without sharing its deletion.
  static constexpr bool kRemovesOpenFiles = false;
  static constexpr bool kWritesDevices = false;

  WindowsWorld() : DiskFolder('\\') {}
  FileSystem& fileSystem() { return files_; }
  std::string device() const { return "NUL"; }
  std::string missingReason() const { return windowsErrorReason(ERROR_FILE_NOT_FOUND); }

 private:
  WindowsFileSystem files_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, FileSystemContract, WindowsWorld);

}  // namespace
}  // namespace durno::testing
