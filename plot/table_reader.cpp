#include "plot/table_reader.hpp"

#include <string_view>

#include "convert/number_parser.hpp"
#include "convert/text_ops.hpp"
#include "extract/capacities.hpp"

namespace durno {

namespace {

// No computation gives a value beyond 10^4000 (the table's numbers end near 10^4932), and
// the axes' arithmetic needs room above the largest value: such a field is refused. One
// below 10^-4000 is drawn as 0.
constexpr int kLargestExponent = 4000;
// The table's title line begins with these four columns; the compounds follow them.
constexpr std::size_t kStepColumns = 4;
// The CSV and TSV tables begin each row with the result file's name before these.
constexpr std::size_t kDelimitedStepColumns = kStepColumns + 1;

bool isBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The blank-separated fields of a line, into fields (emptied first; reused across rows, so
// reading a row allocates nothing).
void splitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t at = 0;
  for (;;) {
    while (at < line.size() && isBlankOrTab(line[at]))
      ++at;
    if (at == line.size()) return;
    const std::size_t start = at;
    while (at < line.size() && !isBlankOrTab(line[at]))
      ++at;
    fields.push_back(line.substr(start, at - start));
  }
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  splitFields(line, fields);
  return fields;
}

// The fields of a CSV or TSV line, into fields; a CSV field in quotes keeps them (its
// separators are part of it), unquoted() gives its text.
void splitDelimited(std::string_view line, char separator, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t start = 0;
  bool inQuotes = false;
  for (std::size_t at = 0; at < line.size(); ++at) {
    if (line[at] == '"' && separator == ',') inQuotes = !inQuotes;
    if (line[at] == separator && !inQuotes) {
      fields.push_back(line.substr(start, at - start));
      start = at + 1;
    }
  }
  fields.push_back(line.substr(start));
}

std::string unquoted(std::string_view field) {
  if (field.size() < 2 || field.front() != '"' || field.back() != '"') return std::string(field);
  std::string text;
  for (std::size_t at = 1; at + 1 < field.size(); ++at) {
    text.push_back(field[at]);
    if (field[at] == '"') ++at;
  }
  return text;
}

bool stopped(const StopFlag* stop) {
  return stop != nullptr && *stop != 0;
}

// The number a table field holds, or why not (a message naming the field).
bool fieldValue(std::string_view field, long double& value, std::string& why) {
  if (!isTableNumber(field)) {
    why = "holds " + quoted(field) + ", not a number";
    return false;
  }
  value = parseNumber(field);
  const auto exponentAt = field.find_first_of("eE");
  if (exponentAt == std::string_view::npos || value == 0) return true;
  const std::string_view digits = field.substr(exponentAt + 2);
  const bool huge = digits.size() > 4 || std::stoi(std::string(digits)) > kLargestExponent;
  if (huge && field[exponentAt + 1] == '+') {
    why = "holds " + quoted(field) + ", a number too large to draw";
    return false;
  }
  if (huge) value = 0;
  return true;
}

class TableReading {
 public:
  TableReading(OpenTextFile& file, const std::string& path, const StopFlag* stop, PlotData& data)
      : file_(file), path_(path), stop_(stop), data_(data) {}

  TableRead readHead();
  TableRead readRows(std::size_t pixelColumns);
  // Names the first result file and how many follow, for a table that holds the names.
  void nameSource();

 private:
  // The next line into line_; false at the end of the data, a failure or a stop.
  bool nextLine();
  TableRead notTable(const std::string& why) const {
    return {ReadEnd::NotPlottable, quoted(path_) + " is not a DURNO table: " + why};
  }
  TableRead ended() const;
  std::string takeRow(std::size_t row);
  std::string takeDelimitedRow(std::size_t row);
  TableRead readDelimitedHead(char separator);
  void noteFileStart(std::size_t row);

  OpenTextFile& file_;
  const std::string& path_;
  const StopFlag* stop_;
  PlotData& data_;
  std::string_view line_;
  std::string storage_;
  FileStatus lastRead_;
  std::size_t lineNumber_ = 0;
  std::vector<std::string_view> fields_;  // the current row's
  long double lastStep_ = 0;
  char separator_ = 0;  // ',' or '\t' for a CSV or TSV table, 0 for the .dat's blanks
  std::string firstFile_, lastFile_;
  std::size_t files_ = 0;
};

bool TableReading::nextLine() {
  if (stopped(stop_)) return false;
  lastRead_ = file_.readLine(line_, storage_);
  if (!lastRead_.ok()) return false;
  ++lineNumber_;
  return true;
}

// Why the lines ended: the data did or the caller stopped reading (Read), a stop, or a
// read failure.
TableRead TableReading::ended() const {
  if (stopped(stop_)) return {ReadEnd::Stopped, {}};
  if (lastRead_.ok() || lastRead_.error == FileError::PastEnd) return {};
  return {ReadEnd::NotPlottable, "cannot read " + quoted(path_) + ": " + lastRead_.reason};
}

TableRead TableReading::readHead() {
  if (!nextLine()) {
    const TableRead end = ended();
    return end.end == ReadEnd::Read ? notTable("it is empty") : end;
  }
  if (line_.starts_with("file,")) return readDelimitedHead(',');
  if (line_.starts_with("file\t")) return readDelimitedHead('\t');
  if (!line_.starts_with("Data from")) {
    return notTable("its first line does not begin with \"Data from\" nor is a CSV or TSV header");
  }
  TableHead& head = data_.head;
  head.source = line_;
  while (lineNumber_ < 3 && nextLine()) {
    const auto fields = fieldsOf(line_);
    if (fields.size() >= kStepColumns && fields[0] == "STEP" && fields[1] == "VAP" &&
        fields[2] == "WT%VAP" && fields[3] == "P(tot)") {
      if (fields.size() - kStepColumns > static_cast<std::size_t>(kMaxCompounds)) {
        return notTable("its title line names " + std::to_string(fields.size() - kStepColumns) +
                        " compound columns, more than " + std::to_string(kMaxCompounds));
      }
      head.compounds.assign(fields.begin() + kStepColumns, fields.end());
      return {};
    }
    head.label = fields.empty() ? "" : line_.substr(line_.find_first_not_of(" \t"));
    head.label.resize(withoutTrailingBlanks(head.label).size());
  }
  const TableRead end = ended();
  if (end.end != ReadEnd::Read) return end;
  return notTable("no title line \"STEP VAP WT%VAP P(tot) ...\" under its source line");
}

TableRead TableReading::readDelimitedHead(char separator) {
  separator_ = separator;
  splitDelimited(line_, separator, fields_);
  if (fields_.size() < kDelimitedStepColumns || fields_[1] != "step" || fields_[2] != "VAP" ||
      fields_[3] != "WTVAP" || fields_[4] != "PTOT") {
    return notTable("its header does not begin \"file,step,VAP,WTVAP,PTOT\"");
  }
  if (fields_.size() - kDelimitedStepColumns > static_cast<std::size_t>(kMaxCompounds)) {
    return notTable("its header names " + std::to_string(fields_.size() - kDelimitedStepColumns) +
                    " key columns, more than " + std::to_string(kMaxCompounds));
  }
  for (std::size_t column = kDelimitedStepColumns; column < fields_.size(); ++column)
    data_.head.compounds.push_back(unquoted(fields_[column]));
  return {};
}

void TableReading::nameSource() {
  if (separator_ == 0) return;
  data_.head.source = "Data from " + firstFile_;
  if (files_ > 1) {
    const std::size_t more = files_ - 1;
    data_.head.source +=
        " and " + std::to_string(more) + (more == 1 ? " more file" : " more files");
  }
}

// A CSV or TSV row: an empty field is a value its step did not give, left out of its curve.
std::string TableReading::takeDelimitedRow(std::size_t row) {
  splitDelimited(line_, separator_, fields_);
  const std::size_t columns = data_.curves.size() + kDelimitedStepColumns;
  if (fields_.size() != columns) {
    return "holds " + std::to_string(fields_.size()) + " fields where the header names " +
           std::to_string(columns) + " columns";
  }
  std::string why;
  for (std::size_t field = 1; field < kDelimitedStepColumns; ++field) {
    long double ignored = 0;
    if (!fields_[field].empty() && !fieldValue(fields_[field], ignored, why)) return why;
  }
  for (std::size_t curve = 0; curve < data_.curves.size(); ++curve) {
    const std::string_view field = fields_[curve + kDelimitedStepColumns];
    long double value = 0;
    if (field.empty()) continue;
    if (!fieldValue(field, value, why)) return why;
    data_.curves[curve].add(row, value);
    data_.range.add(value);
  }
  if (row == 0 || fields_[0] != lastFile_) {
    if (row > 0) noteFileStart(row);
    lastFile_ = fields_[0];
    if (files_++ == 0) firstFile_ = unquoted(lastFile_);
  }
  return {};
}

void TableReading::noteFileStart(std::size_t row) {
  std::vector<std::size_t>& starts = data_.fileStarts;
  const std::size_t perColumn = data_.curves.front().rowsPerColumn();
  // Merged columns keep one start each.
  std::size_t kept = 0;
  for (const std::size_t start : starts) {
    if (kept == 0 || starts[kept - 1] / perColumn != start / perColumn) starts[kept++] = start;
  }
  starts.resize(kept);
  if (starts.empty() || starts.back() / perColumn != row / perColumn) starts.push_back(row);
}

// Takes the row in line_; the reason it is refused, or empty.
std::string TableReading::takeRow(std::size_t row) {
  splitFields(line_, fields_);
  const std::size_t columns = data_.curves.size() + kStepColumns;
  if (fields_.size() != columns) {
    return "holds " + std::to_string(fields_.size()) + " fields where the title line names " +
           std::to_string(columns) + " columns";
  }
  std::string why;
  long double step = 0;
  if (!fieldValue(fields_[0], step, why)) return why;
  for (std::size_t field = 1; field < kStepColumns; ++field) {
    long double ignored = 0;
    if (!fieldValue(fields_[field], ignored, why)) return why;
  }
  for (std::size_t curve = 0; curve < data_.curves.size(); ++curve) {
    long double value = 0;
    if (!fieldValue(fields_[curve + kStepColumns], value, why)) return why;
    data_.curves[curve].add(row, value);
    data_.range.add(value);
  }
  if (row > 0 && step < lastStep_) noteFileStart(row);
  lastStep_ = step;
  return {};
}

TableRead TableReading::readRows(std::size_t pixelColumns) {
  const std::string nothing = "nothing to plot: " + quoted(path_) + " has no ";
  if (data_.head.compounds.empty()) return {ReadEnd::NotPlottable, nothing + "compound columns"};
  data_.curves.assign(data_.head.compounds.size(), CurveThinner(pixelColumns));
  std::size_t row = 0;
  while (nextLine()) {
    if (line_.find_first_not_of(" \t") == std::string_view::npos) continue;
    // A letter outside the menu writes the step values alone under the compounds' titles.
    if (separator_ == 0 && row == 0 && fieldsOf(line_).size() == kStepColumns) {
      return {ReadEnd::NotPlottable, nothing + "compound values, only the step values"};
    }
    std::string why = separator_ == 0 ? takeRow(row) : takeDelimitedRow(row);
    if (!why.empty()) {
      return {ReadEnd::NotPlottable,
              quoted(path_) + ": line " + std::to_string(lineNumber_) + " of the table " + why};
    }
    ++row;
  }
  if (const TableRead end = ended(); end.end != ReadEnd::Read) return end;
  if (row == 0) return {ReadEnd::NotPlottable, nothing + "rows"};
  if (!data_.range.any) return {ReadEnd::NotPlottable, nothing + "values in its key columns"};
  data_.rows = row;
  nameSource();
  return {};
}

}  // namespace

void ValueRange::add(long double value) {
  if (!any || value < min) min = value;
  if (!any || value > max) max = value;
  any = true;
  if (value < 0) anyNegative = true;
  if (value > 0 && (!anyPositive || value < minPositive)) minPositive = value;
  if (value > 0) anyPositive = true;
}

bool isTableNumber(std::string_view field) {
  std::size_t at = 0;
  const auto digits = [&] {
    const std::size_t start = at;
    while (at < field.size() && isDigit(field[at]))
      ++at;
    return at > start;
  };
  if (at < field.size() && (field[at] == '+' || field[at] == '-')) ++at;
  if (!digits()) return false;
  if (at < field.size() && field[at] == '.') {
    ++at;
    if (!digits()) return false;
  }
  if (at < field.size() && (field[at] == 'e' || field[at] == 'E')) {
    ++at;
    if (at == field.size() || (field[at] != '+' && field[at] != '-')) return false;
    ++at;
    if (!digits()) return false;
  }
  return at == field.size();
}

TableRead readTable(TextFiles& files, const std::string& path, std::size_t pixelColumns,
                    const StopFlag* stop, PlotData& data) {
  if (FileStatus opened = files.openFile(kTableFileNumber, path, FileMode::Input); !opened.ok()) {
    return {ReadEnd::NotPlottable, "cannot read " + quoted(path) + ": " + opened.reason};
  }
  TableReading reading(*files.inputFile(kTableFileNumber), path, stop, data);
  TableRead read = reading.readHead();
  if (read.end == ReadEnd::Read) read = reading.readRows(pixelColumns);
  files.closeFile(kTableFileNumber);
  return read;
}

}  // namespace durno
