#pragma once

// A FileSystem that passes every call to a MemoryFileSystem and logs it, so tests can check
// what reached the system, in which order ("open in.txt", "truncate out.dat 0", ...).

#include <string>
#include <vector>

#include "testing/memory_file_system.hpp"

namespace durno::testing {

class SpyFileSystem : public FileSystem {
 public:
  MemoryFileSystem memory;
  std::vector<std::string> log;
  // Makes close() of the named file report this failure (the file is closed anyway).
  std::string closeFailureName;
  std::string closeFailureReason;

  std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                   FileStatus& status) override {
    log.push_back("open " + name);
    std::unique_ptr<SystemFile> file = memory.open(name, mode, status);
    if (!file) return nullptr;
    return std::make_unique<SpyFile>(*this, name, std::move(file));
  }
  bool sameFile(const std::string& first, const std::string& second) override {
    return memory.sameFile(first, second);
  }
  bool oneFile(const std::string& first, const std::string& second) override {
    return memory.oneFile(first, second);
  }
  bool leadsTo(const std::string&, const SystemFile&) override { return true; }
  std::unique_ptr<SystemFile> standardOutput(FileStatus& status) override {
    return memory.standardOutput(status);
  }
  long long diskFileSize(const std::string& name) override { return memory.diskFileSize(name); }
  bool folderExists(const std::string& name) override { return memory.folderExists(name); }
  std::unique_ptr<WholeFile> openWhole(const std::string& name, FileStatus& status) override {
    log.push_back("openWhole " + name);
    return memory.openWhole(name, status);
  }
  bool standardOutputIs(const std::string& name) override { return memory.standardOutputIs(name); }

 private:
  class SpyFile : public SystemFile {
   public:
    SpyFile(SpyFileSystem& owner, std::string name, std::unique_ptr<SystemFile> file)
        : owner_(owner), name_(std::move(name)), file_(std::move(file)) {}
    bool isDiskFile() const override { return file_->isDiskFile(); }
    bool isInteractive() const override { return file_->isInteractive(); }
    FileStatus read(char* buffer, std::size_t size, std::size_t& count) override {
      owner_.log.push_back("read " + name_);
      return file_->read(buffer, size, count);
    }
    FileStatus write(std::string_view bytes) override {
      owner_.log.push_back("write " + name_ + " " + std::to_string(bytes.size()));
      return file_->write(bytes);
    }
    FileStatus truncate(unsigned long long length) override {
      owner_.log.push_back("truncate " + name_ + " " + std::to_string(length));
      return file_->truncate(length);
    }
    FileStatus close() override {
      owner_.log.push_back("close " + name_);
      FileStatus result = file_->close();
      if (name_ == owner_.closeFailureName)
        return FileStatus::systemFailure(owner_.closeFailureReason);
      return result;
    }

   private:
    SpyFileSystem& owner_;
    std::string name_;
    std::unique_ptr<SystemFile> file_;
  };
};

}  // namespace durno::testing
