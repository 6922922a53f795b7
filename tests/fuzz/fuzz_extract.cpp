// Arbitrary result-file bytes and compound keys through the scanner and the table writer,
// in memory. Input layout: byte 0 picks the quantity code, byte 1 the number of keys
// (0 to 55, so more than the capacity is tried), then for each key a length byte (0 to
// 20) and that many bytes; whatever is left is the content of two result files, split at
// its middle. Checks that every step line on the console has its row in the table and
// that every table line ends with CR LF.

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

std::size_t countOccurrences(std::string_view text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, at + what.size())) {
    ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace durno;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return 0;
  static constexpr std::string_view kCodes[] = {"A", "G", "F", "P", "X", "Z"};
  const std::string code(kCodes[static_cast<unsigned char>(input[0]) % 6]);
  const int keyCount = static_cast<unsigned char>(input[1]) % 56;
  input.remove_prefix(2);
  std::vector<std::string> keys;
  for (int k = 0; k < keyCount && !input.empty(); ++k) {
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(input[0]) % 21, input.size() - 1);
    std::string key(input.substr(1, length));
    // A key is also a column title; an LF in it would add a line end to the header and
    // blur the row count checked below, so it becomes another byte.
    for (char& c : key)
      c = c == '\n' ? '?' : c;
    keys.push_back(std::move(key));
    input.remove_prefix(1 + length);
  }

  MemoryFileSystem fileSystem;
  fileSystem.put("run1.out", std::string(input.substr(0, input.size() / 2)));
  fileSystem.put("run2.out", std::string(input.substr(input.size() / 2)));
  const std::vector<std::string> resultFiles = {"run1.out", "missing.out", "run2.out"};
  TextFiles files(fileSystem);
  MemoryHost host;
  Console console(host, host);
  ScannerState state;
  ExtractionJob job;
  job.quantityCode = code;
  job.compoundKeys = keys;
  job.resultFiles = resultFiles;
  job.tableName = "out.dat";
  ExtractionScreen screen(console);
  const ExtractionOutcome outcome = runExtraction(job, state, files, screen);
  if (!outcome.tableWritten) __builtin_trap();

  const std::string table = fileSystem.contents("out.dat").value_or("");
  const std::size_t headerLines = code == "Z" ? 2 : 3;
  const std::size_t lineEnds = countOccurrences(table, "\r\n");
  const std::size_t steps = countOccurrences(host.transcript(), "at STEP = ");
  if (lineEnds != headerLines + steps) __builtin_trap();
  if (table.size() < 2 || table.substr(table.size() - 2) != "\r\n") __builtin_trap();
  return 0;
}
