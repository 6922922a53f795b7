// Arbitrary bytes as the table `durno --plot` reads back. Input layout: byte 0 picks the
// picture's width in pixel columns (1 to 256), the rest is the table. The reader must
// refuse what it cannot draw with a reason and never crash; a table it reads has one curve
// per compound column and a value range that holds its values.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plot/table_reader.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace durno;
  if (size == 0) return 0;
  const std::size_t pixelColumns = std::size_t{data[0]} + 1;
  const std::string_view table(reinterpret_cast<const char*>(data) + 1, size - 1);
  MemoryFileSystem fileSystem;
  fileSystem.put("table.dat", std::string(table));
  TextFiles files(fileSystem);
  PlotData plot;
  const TableRead read = readTable(files, "table.dat", pixelColumns, nullptr, plot);
  if (read.end == ReadEnd::NotPlottable) {
    check(!read.reason.empty() && read.reason.find('\n') == std::string::npos);
    return 0;
  }
  check(read.end == ReadEnd::Read);
  check(plot.curves.size() == plot.head.compounds.size());
  check(!plot.range.any || plot.range.min <= plot.range.max);
  check(!plot.range.anyPositive ||
        (plot.range.minPositive > 0 && plot.range.minPositive <= plot.range.max));
  check(plot.fileStarts.size() <= plot.rows);
  for (const std::string& name : plot.head.compounds)
    isTableNumber(name);
  return 0;
}
