// Arbitrary result-file bytes and compound keys through the scanner and the table writer,
// in memory, once on the calling thread alone and once with three scanning threads. Input
// layout: byte 0 picks the quantity code, byte 1 the number of keys (0 to 55, so more than
// the capacity is tried), then for each key a length byte (0 to 20) and that many bytes;
// whatever is left is the content of three result files, cut in thirds. Checks that the
// table holds the rows the outcome counts (the screen's step lines are no measure: a key
// may hold their words), that every table line ends with CR LF, and that the threads write
// the table byte for byte as the single thread does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.hpp"
#include "dialogue/extraction_screen.hpp"
#include "extract/extraction.hpp"
#include "testing/memory_file_system.hpp"
#include "testing/memory_host.hpp"
#include "textfile/text_files.hpp"

namespace {

using namespace durno;

struct FuzzRun {
  std::string code;
  std::vector<std::string> keys;
  std::string_view content;
};

struct RunResult {
  ExtractionOutcome outcome;
  std::string table;
};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::size_t countOccurrences(std::string_view text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, at + what.size())) {
    ++count;
  }
  return count;
}

FuzzRun decode(std::string_view input) {
  static constexpr std::string_view kCodes[] = {"A", "G", "F", "P", "X", "Z"};
  FuzzRun run;
  run.code = std::string(kCodes[static_cast<unsigned char>(input[0]) % 6]);
  const int keyCount = static_cast<unsigned char>(input[1]) % 56;
  input.remove_prefix(2);
  for (int k = 0; k < keyCount && !input.empty(); ++k) {
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(input[0]) % 21, input.size() - 1);
    std::string key(input.substr(1, length));
    // A key is also a column title; an LF in it would add a line end to the header and
    // blur the row count checked below, so it becomes another byte.
    for (char& c : key)
      c = c == '\n' ? '?' : c;
    run.keys.push_back(std::move(key));
    input.remove_prefix(1 + length);
  }
  run.content = input;
  return run;
}

RunResult extract(const FuzzRun& run, int jobs) {
  MemoryFileSystem fileSystem;
  const std::size_t third = run.content.size() / 3;
  fileSystem.put("run1.out", std::string(run.content.substr(0, third)));
  fileSystem.put("run2.out", std::string(run.content.substr(third, third)));
  fileSystem.put("run3.out", std::string(run.content.substr(2 * third)));
  const std::vector<std::string> resultFiles = {"run1.out", "missing.out", "run2.out", "run3.out"};
  TextFiles files(fileSystem);
  MemoryHost host;
  Console console(host, host);
  ScannerState state;
  ExtractionJob job;
  job.quantityCode = run.code;
  job.compoundKeys = run.keys;
  job.resultFiles = resultFiles;
  job.tableName = "out.dat";
  job.jobs = jobs;
  ExtractionScreen screen(console);
  RunResult result;
  result.outcome = runExtraction(job, state, files, screen);
  result.table = fileSystem.contents("out.dat").value_or("");
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return 0;
  const FuzzRun run = decode(input);

  const RunResult alone = extract(run, 1);
  check(alone.outcome.table.ok());
  const std::size_t headerLines = run.code == "Z" ? 2 : 3;
  const std::size_t lineEnds = countOccurrences(alone.table, "\r\n");
  check(lineEnds == headerLines + static_cast<std::size_t>(alone.outcome.rows));
  check(alone.table.size() >= 2 && alone.table.substr(alone.table.size() - 2) == "\r\n");

  const RunResult threaded = extract(run, 3);
  check(threaded.outcome.table.ok());
  check(threaded.table == alone.table);
  check(threaded.outcome.rows == alone.outcome.rows);
  check(threaded.outcome.unreadableFiles == alone.outcome.unreadableFiles);
  return 0;
}
