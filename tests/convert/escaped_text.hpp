#pragma once

#include <string>

namespace durno::testing_support {

// A byte text for test names and messages: bytes outside printable ASCII become \xHH,
// so names stay on one line and readable in any terminal or report.
inline std::string escaped(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      shown += c;
    } else {
      constexpr const char* kHex = "0123456789ABCDEF";
      shown += {'\\', 'x', kHex[byte / 16], kHex[byte % 16]};
    }
  }
  return shown;
}

}  // namespace durno::testing_support
