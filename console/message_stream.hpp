#pragma once

// Where a run without the dialogue says what it has to say: standard error. Messages are
// whole lines; a terminal also gets a progress line that is drawn over in place.

#include <memory>
#include <string>
#include <string_view>

namespace durno {

class MessageStream {
 public:
  virtual ~MessageStream() = default;
  // True when a person watches: a terminal or console, where a progress line makes sense.
  virtual bool isTerminal() const = 0;
  // True when standard output is the terminal this stream writes to: a table written there
  // would be mixed with a progress line.
  virtual bool sharesTerminalWithStandardOutput() const = 0;
  // The terminal's width in columns; 80 when it cannot be told.
  virtual int columns() const = 0;
  // Writes text and a line end (CR LF on Windows) at once. A stream that refuses bytes
  // loses them: messages never decide how a run ends.
  virtual void writeLine(std::string_view text) = 0;
  // Draws text over the current line (a progress line), without a line end; an empty text
  // takes the line away. Only used on a terminal.
  virtual void drawOver(std::string_view text) = 0;
};

// Standard error of the running program.
std::unique_ptr<MessageStream> standardErrorStream();

}  // namespace durno
