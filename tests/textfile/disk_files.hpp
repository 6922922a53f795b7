#pragma once

// Whole files on the disk, written and read back byte for byte, for the tests of the real
// file layers.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <string>

namespace durno::testing {

inline void writeFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh, empty folder under the temporary folder, removed with everything in it when
// the object goes (on Windows only once nothing in it is open).
class DiskFolder {
 public:
  explicit DiskFolder(char separator) : separator_(separator) {
    std::random_device random;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    std::filesystem::path folder;
    do {
      folder = temporary / ("durno-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(folder));
    folder_ = folder.string();
  }
  ~DiskFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  DiskFolder(const DiskFolder&) = delete;
  DiskFolder& operator=(const DiskFolder&) = delete;

  std::string path(const std::string& name) const { return folder_ + separator_ + name; }
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

 private:
  char separator_;
  std::string folder_;
};

}  // namespace durno::testing
