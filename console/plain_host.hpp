#pragma once

// Plain mode, for scripts, pipes, files and CI, and for terminals that cannot place text
// (TERM=dumb). The screen is a transcript: written text as bytes, end line as a newline,
// clear screen as a newline, colours and cursor placement ignored, and typed lines echoed
// once. Keys are the bytes of an input stream, one key press each; LF, CR and CR LF are
// the Enter key.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "console/host.hpp"
#include "console/output_buffer.hpp"

namespace durno {

class PlainScreen : public TranscriptHost {
 public:
  // How typed lines are echoed. Answers piped in show up once each, whole, when entered;
  // on a terminal in raw mode, which echoes nothing itself, the typist sees each key as
  // it is typed, and a Backspace as a step back over a blank.
  enum class Echo : std::uint8_t { WholeLine, EachKey };

  // What becomes of the control bytes in the texts shown (a name read from a list may hold
  // any byte). A pipe or a file gets every byte as it is: scripts compare transcripts byte
  // for byte. A terminal would take them as commands (retitle, clear, recolour it), so
  // there each is shown in caret form, as `cat -v` shows it: bytes 0-31 as ^@ to ^_, 127 as
  // ^?, and the C1 controls 128-159 as M-^@ to M-^_. In a UTF-8 locale the C1 controls are
  // the two-byte forms C2 80 to C2 9F, and the bytes 128-159 are parts of other characters
  // that stay as they are. The transcript's own line ends and Backspace echo are not shown
  // texts and reach the terminal as they are.
  enum class Controls : std::uint8_t { Passed, ShownFor8Bit, ShownForUtf8 };

  // The transcript goes to fd (standard output in a real run, or the terminal).
  explicit PlainScreen(int fd, Echo echo = Echo::WholeLine, Controls controls = Controls::Passed);

  void noteText(std::string_view text) override { appendShown(text); }
  void noteEndLine() override;
  void noteClearScreen() override { noteEndLine(); }
  void noteTypedKey(char character) override;
  void noteErasedKey() override;
  void noteTypedLine(std::string_view line) override;
  void flush() override;

 private:
  // Appends text with its control bytes as controls_ says.
  void appendShown(std::string_view text);
  // Hands on a UTF-8 lead byte held back to see whether a C1 control follows it.
  void releaseHeldLead();

  Echo echo_;
  Controls controls_;
  bool leadHeld_ = false;
  OutputBuffer output_;
};

class PlainKeys : public KeySource {
 public:
  // Reads key presses from fd (standard input in a real run); fd is not closed.
  explicit PlainKeys(int fd);

  KeyPoll nextKey() override;

 private:
  // Waits for more bytes; false when none could be read or the input has ended.
  bool fill();

  int fd_;
  std::array<unsigned char, 4096> bytes_{};
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
  // A LF right after a CR belongs to the same Enter.
  bool afterCarriageReturn_ = false;
  // Where a read from a pipe cannot be ended by a stop (Windows), the pipe is read on a
  // thread of its own, and this is what it shares with the keys; null elsewhere.
  std::shared_ptr<void> pipeReader_;
};

}  // namespace durno
