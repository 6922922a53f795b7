// Arbitrary bytes as the table `durno --plot` reads back, drawn as its picture. Input
// layout: byte 0 picks the picture's width in pixel columns (its low six bits, 1 to 64,
// narrow so that columns merge early) and the x axis (its high two bits: the row, VAP,
// the step or the first key column); the input's size picks the scale; the rest is the
// table. The reader must refuse what it cannot draw with a reason and never crash; a
// table it reads gives curves that each hold a value, pieces in the files' order within
// the bound of a column, and a picture drawn to its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plot/svg_picture.hpp"
#include "plot/table_reader.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void checkCurve(const durno::PlotCurve& curve, std::size_t pixelColumns, std::size_t files) {
  using durno::CurveThinner;
  check(curve.range.anyValue());
  const auto& columns = curve.thinner.columns();
  check(columns.size() <=
        CurveThinner::kMostPiecesPerColumn * std::max<std::size_t>(pixelColumns, 2));
  for (std::size_t at = 0; at < columns.size(); ++at) {
    check(columns[at].piece < files);
    if (at > 0) {
      check(columns[at - 1].column <= columns[at].column);
      check(columns[at - 1].piece <= columns[at].piece);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace durno;
  if (size == 0) return 0;
  const std::size_t pixelColumns = std::size_t{data[0] & 0x3fu} + 1;
  static const char* const kXColumns[] = {"row", "VAP", "step", "ASiO2"};
  PlotChoices choices;
  choices.x = kXColumns[data[0] >> 6];
  choices.scale = static_cast<YScale>(size % 3);
  const std::string_view table(reinterpret_cast<const char*>(data) + 1, size - 1);
  MemoryFileSystem fileSystem;
  fileSystem.put("table.dat", std::string(table));
  TextFiles files(fileSystem);
  PlotData plot;
  const TableRead read = readTable(files, "table.dat", pixelColumns, choices, nullptr, plot);
  if (read.end == ReadEnd::NotPlottable) {
    check(!read.reason.empty() && read.reason.find('\n') == std::string::npos);
    return 0;
  }
  check(read.end == ReadEnd::Read);
  check(!plot.curves.empty() && plot.curves.size() <= plot.head.compounds.size() + 4);
  check(plot.range.any && plot.range.min <= plot.range.max);
  check(!plot.range.anyPositive ||
        (plot.range.minPositive > 0 && plot.range.minPositive <= plot.range.max));
  check(plot.fileStarts.size() <= plot.rows && plot.files >= 1);
  for (const PlotCurve& curve : plot.curves)
    checkCurve(curve, pixelColumns, plot.files);
  const std::string svg = drawPicture(plot);
  check(svg.starts_with(kPictureOpening) && svg.ends_with("</svg>\n"));
  return 0;
}
