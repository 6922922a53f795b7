#pragma once

// A whole extraction in memory: result files in a MemoryFileSystem, the console on a
// MemoryHost, and helpers that spell out the table's exact bytes.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "dialogue/extraction_screen.hpp"
#include "extract/extraction.hpp"
#include "testing/memory_file_system.hpp"
#include "testing/memory_host.hpp"
#include "textfile/text_files.hpp"

namespace durno::testing {

// Field texts as the step and value masks give them.
inline const std::string kZeroField = " 00.000000000e-01   ";
inline const std::string kFixedTitleLine =
    "  STEP          VAP            WT%VAP         P(tot)       ";

// Lines joined with CR LF after each, as ZEPRO writes them.
inline std::string crlfLines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\r\n";
  return text;
}

// One table row: the step field, then the value fields, then CR LF.
inline std::string row(const std::string& stepField, std::initializer_list<std::string> values) {
  std::string text = stepField;
  for (const std::string& value : values)
    text += value;
  return text + "\r\n";
}

// Everything one extraction needs, in memory.
class ExtractionWorld {
 public:
  ExtractionOutcome run(std::string code, std::vector<std::string> keys,
                        std::vector<std::string> resultFiles,
                        std::string tableName = "Zepres.dat") {
    code_ = std::move(code);
    keys_ = std::move(keys);
    resultFiles_ = std::move(resultFiles);
    tableName_ = std::move(tableName);
    ExtractionJob job;
    job.quantityCode = code_;
    job.compoundKeys = keys_;
    job.resultFiles = resultFiles_;
    job.tableName = tableName_;
    job.jobs = jobs;
    job.stopSignal = stopSignal;
    ExtractionScreen screen(console);
    return runExtraction(job, state, files, events != nullptr ? *events : screen);
  }

  std::string table() const { return fileSystem.contents(tableName_).value_or("<no table>"); }

  // The table without its first headerLines lines.
  std::string rows(int headerLines) const {
    const std::string text = table();
    std::size_t at = 0;
    for (int i = 0; i < headerLines && at != std::string::npos; ++i) {
      at = text.find("\r\n", at);
      if (at != std::string::npos) at += 2;
    }
    return at == std::string::npos ? "<short header>" : text.substr(at);
  }

  MemoryFileSystem fileSystem;
  TextFiles files{fileSystem};
  MemoryHost host;
  Console console{host, host};
  ScannerState state;
  int jobs = 1;
  const StopFlag* stopSignal = nullptr;
  ExtractionEvents* events = nullptr;  // null: the dialogue's screen lines on console

 private:
  std::string code_;
  std::vector<std::string> keys_;
  std::vector<std::string> resultFiles_;
  std::string tableName_;
};

class ExtractionRun : public ::testing::Test, public ExtractionWorld {};

}  // namespace durno::testing
