#pragma once

// A read script: the steps a caller takes on one input file and what each must give, so a
// table of files and scripts reads like the behaviour it checks.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "textfile/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace durno::testing {

enum class ReadOp { Line, TextField, NumberField, AtEnd };

struct ReadStep {
  ReadOp op;
  std::string text;     // the expected line or field
  double number = 0;    // the expected number
  bool answer = false;  // the expected end-of-file answer
  bool ok = true;       // whether the step succeeds (false: a failure is recorded)
};

inline ReadStep line(std::string text) {
  return {ReadOp::Line, std::move(text)};
}
inline ReadStep lineFails() {
  return {ReadOp::Line, "", 0, false, false};
}
inline ReadStep field(std::string text) {
  return {ReadOp::TextField, std::move(text)};
}
inline ReadStep fieldFails() {
  return {ReadOp::TextField, "", 0, false, false};
}
inline ReadStep number(double value) {
  return {ReadOp::NumberField, "", value};
}
inline ReadStep numberFails() {
  return {ReadOp::NumberField, "", 0, false, false};
}
inline ReadStep atEnd(bool answer) {
  return {ReadOp::AtEnd, "", 0, answer};
}

// The three ways a caller can take a line; each must give the same lines and outcomes.
enum class LineCall { Returned, IntoString, InPlace };

inline std::string readLineBy(LineCall call, TextFiles& files, int number, bool expectOk) {
  std::string storage = "left over from an earlier line";
  switch (call) {
    case LineCall::Returned:
      return files.readLine(number);
    case LineCall::IntoString:
      EXPECT_EQ(files.readLine(number, storage), expectOk);
      return storage;
    case LineCall::InPlace: {
      std::string_view view;
      EXPECT_EQ(files.readLine(number, view, storage), expectOk);
      return std::string(view);
    }
  }
  return storage;
}

// Runs steps on file number `number` and checks every result and outcome.
inline void runScript(TextFiles& files, int number, const std::vector<ReadStep>& steps,
                      LineCall lineCall = LineCall::Returned) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const ReadStep& step = steps[i];
    SCOPED_TRACE("step " + std::to_string(i + 1));
    switch (step.op) {
      case ReadOp::Line:
        EXPECT_EQ(readLineBy(lineCall, files, number, step.ok), step.text);
        break;
      case ReadOp::TextField:
        EXPECT_EQ(files.readTextField(number), step.text);
        break;
      case ReadOp::NumberField:
        EXPECT_EQ(files.readNumberField(number), step.number);
        break;
      case ReadOp::AtEnd:
        EXPECT_EQ(files.atEnd(number), step.answer);
        break;
    }
    EXPECT_EQ(files.lastOutcome(number).failed, !step.ok) << files.lastOutcome(number).reason;
  }
}

// How the system hands over a file's bytes. Every script must give the same results for
// each, so line ends and fields that straddle a buffer load are covered.
struct ReadShape {
  const char* name;
  bool device;
  std::size_t bytesPerRead;  // 0: whole buffer loads
};
inline const ReadShape kShapes[] = {
    {"disk file", false, 0},
    {"disk file read 1 byte at a time", false, 1},
    {"disk file read 3 bytes at a time", false, 3},
    {"device", true, 0},
};

struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<ReadStep> steps;
};

inline void runInEveryShape(const ReadCase& readCase) {
  SCOPED_TRACE(readCase.name);
  for (const ReadShape& shape : kShapes) {
    for (const LineCall lineCall : {LineCall::Returned, LineCall::IntoString, LineCall::InPlace}) {
      SCOPED_TRACE(std::string(shape.name) + ", line call " +
                   std::to_string(static_cast<int>(lineCall)));
      MemoryFileSystem fileSystem;
      fileSystem.limitReadSize(shape.bytesPerRead);
      if (shape.device) {
        fileSystem.putDevice("in.txt", readCase.bytes);
      } else {
        fileSystem.put("in.txt", readCase.bytes);
      }
      TextFiles files(fileSystem);
      files.openFile(1, "in.txt", FileMode::Input);
      ASSERT_TRUE(files.isOpen(1));
      runScript(files, 1, readCase.steps, lineCall);
    }
  }
}

}  // namespace durno::testing
