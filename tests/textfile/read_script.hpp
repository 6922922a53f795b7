#pragma once

// A read script: the steps a caller takes on one input file and what each must give, so a
// table of files and scripts reads like the behaviour it checks.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "line_text.hpp"
#include "testing/memory_file_system.hpp"
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

// Runs steps on file number `number` and checks every result and outcome.
inline void runScript(TextFiles& files, int number, const std::vector<ReadStep>& steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const ReadStep& step = steps[i];
    SCOPED_TRACE("step " + std::to_string(i + 1));
    FileStatus status;
    switch (step.op) {
      case ReadOp::Line: {
        std::string storage = "left over from an earlier line";
        std::string_view line;
        status = readLine(files, number, line, storage);
        EXPECT_EQ(line, step.text);
        break;
      }
      case ReadOp::TextField: {
        std::string field = "left over";
        status = files.readTextField(number, field);
        EXPECT_EQ(field, step.text);
        break;
      }
      case ReadOp::NumberField: {
        double value = -1;
        status = files.readNumberField(number, value);
        EXPECT_EQ(value, step.number);
        break;
      }
      case ReadOp::AtEnd:
        EXPECT_EQ(files.atEnd(number), step.answer);
        break;
    }
    EXPECT_EQ(status.ok(), step.ok) << status.reason;
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
    {
      SCOPED_TRACE(shape.name);
      MemoryFileSystem fileSystem;
      fileSystem.limitReadSize(shape.bytesPerRead);
      if (shape.device) {
        fileSystem.putDevice("in.txt", readCase.bytes);
      } else {
        fileSystem.put("in.txt", readCase.bytes);
      }
      TextFiles files(fileSystem);
      ASSERT_TRUE(files.openFile(1, "in.txt", FileMode::Input).ok());
      runScript(files, 1, readCase.steps);
    }
  }
}

}  // namespace durno::testing
