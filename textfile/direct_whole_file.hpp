#pragma once

// A WholeFile written straight to its file: a device, a pipe, a terminal or standard
// output, which a new file could not stand in for and which is never removed.

#include <memory>

#include "textfile/file_system.hpp"

namespace durno {

class DirectWholeFile : public WholeFile {
 public:
  explicit DirectWholeFile(std::unique_ptr<SystemFile> file) : file_(std::move(file)) {}
  FileStatus write(std::string_view bytes) override { return file_->write(bytes); }
  FileStatus commit() override { return file_->close(); }

 private:
  std::unique_ptr<SystemFile> file_;
};

}  // namespace durno
