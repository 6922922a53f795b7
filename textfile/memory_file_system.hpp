#pragma once

// An in-memory FileSystem for tests: named byte strings, exclusive opening, and
// injectable failures.

#include <map>
#include <optional>
#include <set>
#include <string>

#include "textfile/file_system.hpp"

namespace durno {

class MemoryFileSystem : public FileSystem {
 public:
  // Creates or replaces a disk file. Names are as the layer passes them ('/' separators).
  void put(const std::string& name, std::string bytes);
  // The file's bytes, or nothing if it does not exist.
  std::optional<std::string> contents(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Makes every open of name fail with reason.
  void refuseOpen(const std::string& name, std::string reason);
  // Makes writes to name fail with reason (for example "No space left on device")
  // once it holds byteLimit bytes.
  void failWritesAfter(const std::string& name, std::size_t byteLimit, std::string reason);

  std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                   std::string& reason) override;

 private:
  struct Node;
  std::map<std::string, std::shared_ptr<Node>> files_;
  std::map<std::string, std::string> refusals_;
};

}  // namespace durno
