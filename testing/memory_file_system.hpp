#pragma once

// An in-memory FileSystem for tests and benchmarks: named byte strings, shared reading and
// exclusive writing, and injectable failures. Open files keep their file alive, so a test
// may drop the file system before the files it handed out. The contract tests
// (tests/textfile/file_system_contract.hpp) hold it to what the real file systems do.

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "textfile/file_system.hpp"

namespace durno {

class MemoryFileSystem : public FileSystem {
 public:
  // The name under which standardOutput() keeps what is written to it (a pipe).
  static constexpr const char* kStandardOutput = "<standard output>";

  // Creates or replaces a disk file. Names are as the layer passes them ('/' separators).
  // Replacing keeps the file's injected failures and any hold on it.
  void put(const std::string& name, std::string bytes);
  // Creates or replaces a terminal stand-in: it is neither a disk file nor a pipe, so the
  // layer reads it byte by byte and never truncates it.
  void putDevice(const std::string& name, std::string bytes);
  // Creates or replaces a pipe: not a disk file, so never truncated, but read in blocks.
  void putPipe(const std::string& name, std::string bytes);
  // Takes name away, as a removed file or folder would; files open on it stay usable.
  void remove(const std::string& name) { files_.erase(name); }
  // The file's bytes, or nothing if it does not exist.
  std::optional<std::string> contents(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Every name that leads to a file, in order.
  std::vector<std::string> names() const;
  // True while some opener holds name (it was opened and not yet closed).
  bool isHeld(const std::string& name) const;
  // Makes every open of name fail with reason.
  void refuseOpen(const std::string& name, std::string reason);
  // Makes writes to name fail with reason (for example "No space left on device")
  // once it holds byteLimit bytes. This and failReadsAt apply to opens made afterwards. A write
  // that crosses the limit stores the bytes up to the limit and then fails, as a full disk does.
  void failWritesAfter(const std::string& name, std::size_t byteLimit, std::string reason);
  // Makes reads of name fail with reason once the reader has taken byteOffset bytes.
  void failReadsAt(const std::string& name, std::size_t byteOffset, std::string reason);
  // Every read of a file opened after this call hands back at most bytesPerRead bytes
  // (0 lifts the limit), so tests can place buffer boundaries anywhere.
  void limitReadSize(std::size_t bytesPerRead) { readLimit_ = bytesPerRead; }

  std::unique_ptr<SystemFile> open(const std::string& name, FileMode mode,
                                   FileStatus& status) override;
  // Names are one file only when they are equal: this file system has no links.
  bool sameFile(const std::string& first, const std::string& second) override {
    return first == second && exists(first);
  }
  bool oneFile(const std::string& first, const std::string& second) override {
    return first == second;
  }
  bool leadsTo(const std::string& name, const SystemFile& file) override;
  std::unique_ptr<SystemFile> standardOutput(FileStatus& status) override;
  long long diskFileSize(const std::string& name) override;
  // A folder exists when some file lies in it.
  bool folderExists(const std::string& name) override;
  // A disk file written whole is kept under NAME.new until it is committed; the write
  // failures injected for NAME apply to it. The WholeFile must not outlive this object.
  std::unique_ptr<WholeFile> openWhole(const std::string& name, FileStatus& status) override;
  bool standardOutputIs(const std::string& name) override { return name == kStandardOutput; }

 private:
  struct Node;
  struct InjectedFailure {
    std::size_t offset = 0;
    std::string reason;
  };
  enum class Kind { Disk, Pipe, Terminal };
  void putNode(const std::string& name, std::string bytes, Kind kind);
  const Node* find(const std::string& name) const;

  class ReplacingFile;

  std::map<std::string, std::shared_ptr<Node>> files_;
  std::map<std::string, std::string> refusals_;
  std::map<std::string, InjectedFailure> writeFailures_;
  std::map<std::string, InjectedFailure> readFailures_;
  std::size_t readLimit_ = 0;
  // Opens may come from several threads at once; the rest is used from one.
  std::mutex openMutex_;
};

}  // namespace durno
