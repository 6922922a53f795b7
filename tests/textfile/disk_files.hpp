#pragma once

// Whole files on the disk, written and read back byte for byte, for the tests of the real
// file layers.

#include <fstream>
#include <iterator>
#include <string>

namespace durno::testing {

inline void writeFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace durno::testing
