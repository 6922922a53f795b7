#include "testing/memory_file_system.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "textfile/direct_whole_file.hpp"

namespace durno {

namespace {

// The stored file. Open files share it with the table, so it outlives a replaced name.
struct MemoryNode {
  std::string bytes;
  bool disk = true;
  bool interactive = false;
  // Atomic, as files are opened and let go by the threads that scan ahead.
  std::atomic<int> readers = 0;      // openers holding the file shared
  std::atomic<bool> writer = false;  // an opener holds it alone
  bool held() const { return readers > 0 || writer; }
};

class MemoryFile : public SystemFile {
 public:
  struct Limits {
    std::size_t bytesPerRead = 0;  // 0: no limit
    std::optional<std::size_t> writeLimit;
    std::string writeFailure;
    std::optional<std::size_t> readFailureOffset;
    std::string readFailure;
  };

  MemoryFile(std::shared_ptr<MemoryNode> node, FileMode mode, Limits limits)
      : node_(std::move(node)), mode_(mode), limits_(std::move(limits)) {
    if (mode_ == FileMode::Input) {
      ++node_->readers;
    } else {
      node_->writer = true;
    }
  }
  ~MemoryFile() override { letGo(); }

  const MemoryNode* node() const { return node_.get(); }

  bool isDiskFile() const override { return node_->disk; }
  bool isInteractive() const override { return node_->interactive; }

  FileStatus read(char* buffer, std::size_t size, std::size_t& count) override {
    count = 0;
    const std::string& bytes = node_->bytes;
    std::size_t available = position_ < bytes.size() ? bytes.size() - position_ : 0;
    if (limits_.readFailureOffset) {
      if (position_ >= *limits_.readFailureOffset) {
        return FileStatus::systemFailure(limits_.readFailure);
      }
      available = std::min(available, *limits_.readFailureOffset - position_);
    }
    count = std::min(size, available);
    if (limits_.bytesPerRead != 0) count = std::min(count, limits_.bytesPerRead);
    if (count != 0) std::memcpy(buffer, bytes.data() + position_, count);
    position_ += count;
    return FileStatus::success();
  }

  FileStatus write(std::string_view data) override {
    std::size_t room = data.size();
    if (limits_.writeLimit) {
      room = position_ < *limits_.writeLimit ? *limits_.writeLimit - position_ : 0;
    }
    const std::size_t stored = std::min(room, data.size());
    std::string& bytes = node_->bytes;
    if (bytes.size() < position_ + stored) bytes.resize(position_ + stored);
    bytes.replace(position_, stored, data.substr(0, stored));
    position_ += stored;
    if (stored < data.size()) return FileStatus::systemFailure(limits_.writeFailure);
    return FileStatus::success();
  }

  FileStatus truncate(unsigned long long length) override {
    node_->bytes.resize(static_cast<std::size_t>(length));
    return FileStatus::success();
  }

  FileStatus close() override {
    letGo();
    return FileStatus::success();
  }

 private:
  void letGo() {
    if (released_) return;
    released_ = true;
    if (mode_ == FileMode::Input) {
      --node_->readers;
    } else {
      node_->writer = false;
    }
  }

  std::shared_ptr<MemoryNode> node_;
  FileMode mode_;
  bool released_ = false;
  Limits limits_;
  std::size_t position_ = 0;  // the read or write position
};

}  // namespace

struct MemoryFileSystem::Node : MemoryNode {};

const MemoryFileSystem::Node* MemoryFileSystem::find(const std::string& name) const {
  const auto found = files_.find(name);
  return found == files_.end() ? nullptr : found->second.get();
}

void MemoryFileSystem::putNode(const std::string& name, std::string bytes, Kind kind) {
  std::shared_ptr<Node>& node = files_[name];
  if (!node) node = std::make_shared<Node>();
  node->bytes = std::move(bytes);
  node->disk = kind == Kind::Disk;
  node->interactive = kind == Kind::Terminal;
}

void MemoryFileSystem::put(const std::string& name, std::string bytes) {
  putNode(name, std::move(bytes), Kind::Disk);
}

void MemoryFileSystem::putDevice(const std::string& name, std::string bytes) {
  putNode(name, std::move(bytes), Kind::Terminal);
}

void MemoryFileSystem::putPipe(const std::string& name, std::string bytes) {
  putNode(name, std::move(bytes), Kind::Pipe);
}

std::optional<std::string> MemoryFileSystem::contents(const std::string& name) const {
  const Node* node = find(name);
  if (node == nullptr) return std::nullopt;
  return node->bytes;
}

bool MemoryFileSystem::exists(const std::string& name) const {
  return find(name) != nullptr;
}

std::vector<std::string> MemoryFileSystem::names() const {
  std::vector<std::string> all;
  for (const auto& entry : files_)
    all.push_back(entry.first);
  return all;
}

bool MemoryFileSystem::isHeld(const std::string& name) const {
  const Node* node = find(name);
  return node != nullptr && node->held();
}

void MemoryFileSystem::refuseOpen(const std::string& name, std::string reason) {
  refusals_[name] = std::move(reason);
}

void MemoryFileSystem::failWritesAfter(const std::string& name, std::size_t byteLimit,
                                       std::string reason) {
  writeFailures_[name] = {byteLimit, std::move(reason)};
}

void MemoryFileSystem::failReadsAt(const std::string& name, std::size_t byteOffset,
                                   std::string reason) {
  readFailures_[name] = {byteOffset, std::move(reason)};
}

std::unique_ptr<SystemFile> MemoryFileSystem::open(const std::string& name, FileMode mode,
                                                   FileStatus& status) {
  const std::lock_guard lock(openMutex_);
  if (const auto refused = refusals_.find(name); refused != refusals_.end()) {
    status = FileStatus::systemFailure(refused->second);
    return nullptr;
  }
  auto found = files_.find(name);
  if (found == files_.end()) {
    if (mode == FileMode::Input) {
      status = FileStatus::systemFailure("No such file or directory");
      return nullptr;
    }
    found = files_.emplace(name, std::make_shared<Node>()).first;
  }
  const MemoryNode& node = *found->second;
  if (node.writer || (mode == FileMode::Output && node.held())) {
    status = FileStatus::inUse();
    return nullptr;
  }
  MemoryFile::Limits limits;
  limits.bytesPerRead = readLimit_;
  if (const auto failure = writeFailures_.find(name); failure != writeFailures_.end()) {
    limits.writeLimit = failure->second.offset;
    limits.writeFailure = failure->second.reason;
  }
  if (const auto failure = readFailures_.find(name); failure != readFailures_.end()) {
    limits.readFailureOffset = failure->second.offset;
    limits.readFailure = failure->second.reason;
  }
  return std::make_unique<MemoryFile>(found->second, mode, std::move(limits));
}

bool MemoryFileSystem::leadsTo(const std::string& name, const SystemFile& file) {
  const auto* memoryFile = dynamic_cast<const MemoryFile*>(&file);
  return memoryFile != nullptr && memoryFile->node() == find(name);
}

bool MemoryFileSystem::folderExists(const std::string& name) {
  const std::string inside = name + "/";
  const auto next = files_.lower_bound(inside);
  return next != files_.end() && next->first.starts_with(inside);
}

long long MemoryFileSystem::diskFileSize(const std::string& name) {
  const Node* node = find(name);
  if (node == nullptr || !node->disk) return -1;
  return static_cast<long long>(node->bytes.size());
}

// The new file is a file of its own under NAME.new; the old one stays held, as the real
// file systems hold it, until the new one takes its name.
class MemoryFileSystem::ReplacingFile : public WholeFile {
 public:
  ReplacingFile(MemoryFileSystem& fileSystem, std::string name, std::unique_ptr<SystemFile> file,
                std::unique_ptr<SystemFile> heldOld)
      : fileSystem_(fileSystem),
        name_(std::move(name)),
        file_(std::move(file)),
        heldOld_(std::move(heldOld)) {}
  ~ReplacingFile() override {
    file_.reset();
    heldOld_.reset();
    if (!committed_) fileSystem_.files_.erase(newName());
  }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  FileStatus write(std::string_view bytes) override { return file_->write(bytes); }
  FileStatus commit() override {
    file_->close();
    auto& files = fileSystem_.files_;
    files[name_] = files[newName()];
    files.erase(newName());
    committed_ = true;
    return {};
  }

 private:
  std::string newName() const { return name_ + ".new"; }

  MemoryFileSystem& fileSystem_;
  std::string name_;
  std::unique_ptr<SystemFile> file_;
  std::unique_ptr<SystemFile> heldOld_;
  bool committed_ = false;
};

std::unique_ptr<WholeFile> MemoryFileSystem::openWhole(const std::string& name,
                                                       FileStatus& status) {
  const Node* old = find(name);
  if (old != nullptr && !old->disk) {
    std::unique_ptr<SystemFile> device = open(name, FileMode::Output, status);
    if (!device) return nullptr;
    return std::make_unique<DirectWholeFile>(std::move(device));
  }
  std::unique_ptr<SystemFile> heldOld;
  if (old != nullptr && !(heldOld = open(name, FileMode::Output, status))) return nullptr;
  const std::string newName = name + ".new";
  files_.erase(newName);
  // The new file takes the write failures injected for the name it is to take.
  if (const auto failure = writeFailures_.find(name); failure != writeFailures_.end()) {
    writeFailures_[newName] = failure->second;
  }
  std::unique_ptr<SystemFile> file = open(newName, FileMode::Output, status);
  writeFailures_.erase(newName);
  if (!file) return nullptr;
  return std::make_unique<ReplacingFile>(*this, name, std::move(file), std::move(heldOld));
}

std::unique_ptr<SystemFile> MemoryFileSystem::standardOutput(FileStatus& status) {
  if (!exists(kStandardOutput)) putPipe(kStandardOutput, "");
  return open(kStandardOutput, FileMode::Output, status);
}

}  // namespace durno
