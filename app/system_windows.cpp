#include "app/system.hpp"
#include "textfile/windows_file_system.hpp"

namespace durno {

// Files are handles that never take the standard streams' places, and the streams' own
// descriptors stay as the C runtime set them up: nothing to do.
void prepareStandardStreams() {}

std::unique_ptr<FileSystem> systemFileSystem() {
  return std::make_unique<WindowsFileSystem>();
}

}  // namespace durno
