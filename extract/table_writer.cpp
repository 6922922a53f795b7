#include "extract/table_writer.hpp"

#include <algorithm>
#include <array>

#include "convert/control_bytes.hpp"
#include "extract/capacities.hpp"

namespace durno {

namespace {}  // namespace

TableWriter::TableWriter(TextFiles& files, Quantity quantity,
                         std::span<const std::string> compoundKeys)
    : quantity_(quantity),
      compoundKeys_(compoundKeys),
      formatter_(quantity, compoundKeys_.size()),
      file_(files) {}

void TableWriter::openOutputTable(std::string_view tableName, std::string_view firstResultFile) {
  file_.openOutputTable(tableName, header(firstResultFile));
}

void TableWriter::openStandardOutput(std::string_view firstResultFile) {
  file_.openStandardOutput(header(firstResultFile));
}

std::string TableWriter::header(std::string_view firstResultFile) const {
  std::string header;
  // A name's control bytes are shown as the screen shows them: a line end in a name would
  // otherwise break the header's first line in two, and the table could not be read back.
  header.append("Data from ")
      .append(withControlsShown(firstResultFile, C1Controls::None))
      .append("\r\n");
  if (quantity_.known()) header.append(quantity_.label()).append("\r\n");
  header.append(kFixedTitles);
  for (const std::string& key : compoundKeys_) {
    header.append(key);
    // A key of 15 characters or more gets no padding, so the next title follows directly.
    if (key.size() < kCompoundTitleWidth) header.append(kCompoundTitleWidth - key.size(), ' ');
  }
  header.append("\r\n");
  return header;
}

void RowFormatter::appendRow(std::string& out, const ScannerState& state, std::uint64_t lacking,
                             std::vector<std::size_t>* gaps) const {
  stepMask_.appendTo(out, state.stepNumber);
  // The value fields are composed in one buffer and appended at once.
  std::array<char, kRowValuesRoom> values;
  char* end = values.data();
  for (int slot = 0; slot < valueSlots_; ++slot) {
    if ((lacking & slotBit(slot)) == 0) [[likely]] {
      end = writeField(end, state, slot);
    } else {
      gaps->push_back(out.size() + static_cast<std::size_t>(end - values.data()));
    }
  }
  *end++ = '\r';
  *end++ = '\n';
  out.append(values.data(), static_cast<std::size_t>(end - values.data()));
}

char* RowFormatter::writeField(char* out, const ScannerState& state, int slot) const {
  const NumberRead& number = state.slotValue(slot);
  if (char* end = valueMask_.writeExactDecimal(out, number)) return end;
  const long double value =
      slot >= kFirstCompoundSlot ? quantity_.held(number.value()) : number.value();
  return valueMask_.writeTo(out, value);
}

void TableWriter::writeRow(const ScannerState& state) {
  formatter_.appendRow(file_.pending(), state);
  file_.rowsAdded();
}

void TableWriter::writeRowText(std::string_view rows) {
  file_.writeRows(rows);
}

}  // namespace durno
