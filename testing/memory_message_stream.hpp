#pragma once

#include <string>
#include <string_view>

#include "console/message_stream.hpp"

namespace durno {

// A stream in memory for tests: what was written, with "\n" line ends, and each progress
// line drawn as "[text]" so tests can see when it was drawn and taken away.
class MemoryMessageStream : public MessageStream {
 public:
  explicit MemoryMessageStream(bool terminal = false, bool sharesOutput = false)
      : terminal_(terminal), sharesOutput_(sharesOutput) {}
  bool isTerminal() const override { return terminal_; }
  bool sharesTerminalWithStandardOutput() const override { return sharesOutput_; }
  int columns() const override { return 80; }
  void writeLine(std::string_view text) override { written.append(text).append("\n"); }
  void drawOver(std::string_view text) override { written.append("[").append(text).append("]"); }

  std::string written;

 private:
  bool terminal_;
  bool sharesOutput_;
};

}  // namespace durno
