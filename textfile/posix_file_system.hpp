#pragma once

#include "textfile/file_system.hpp"

namespace durno {

// Files on disk through open/read/write/ftruncate/close. Exclusive opening is an
// flock(LOCK_EX | LOCK_NB) taken before anything else happens to the file.
class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                   std::string& reason) override;
};

}  // namespace durno
