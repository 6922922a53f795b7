#pragma once

#include "textfile/file_system.hpp"

namespace durno {

// Files on disk through open/read/write/ftruncate/close. Exclusive opening is an
// flock(LOCK_EX | LOCK_NB) taken before anything else happens to the file, so an Output
// file is emptied only once this program holds it. Names are used as given ('/' separators,
// relative names against the current directory). Files that are not regular (pipes,
// terminals, character devices) are opened without waiting for a partner and then read and
// written blocking.
class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                   std::string& reason) override;
};

}  // namespace durno
