#pragma once

// Plain mode, for scripts, pipes, files and CI, and for terminals that cannot place text
// (TERM=dumb). The screen is a transcript: written text as bytes, end line as a newline,
// clear screen as a newline, colours and cursor placement ignored, and typed lines echoed
// once. Keys are the bytes of an input stream, one key press each; LF, CR and CR LF are
// the Enter key.

#include <array>
#include <cstddef>
#include <cstdint>

#include "console/host.hpp"
#include "console/output_buffer.hpp"

namespace durno {

class PlainScreen : public TranscriptHost {
 public:
  // How typed lines are echoed. Answers piped in show up once each, whole, when entered;
  // on a terminal in raw mode, which echoes nothing itself, the typist sees each key as
  // it is typed, and a Backspace as a step back over a blank.
  enum class Echo : std::uint8_t { WholeLine, EachKey };

  // The transcript goes to fd (standard output in a real run, or the terminal).
  explicit PlainScreen(int fd, Echo echo = Echo::WholeLine);

  void noteText(std::string_view text) override { output_.append(text); }
  void noteEndLine() override { output_.append('\n'); }
  void noteClearScreen() override { output_.append('\n'); }
  void noteTypedKey(char character) override;
  void noteErasedKey() override;
  void noteTypedLine(std::string_view line) override;
  void flush() override { output_.flush(); }

 private:
  Echo echo_;
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
};

}  // namespace durno
