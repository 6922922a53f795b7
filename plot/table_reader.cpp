#include "plot/table_reader.hpp"

#include <algorithm>
#include <string_view>

#include "convert/number_parser.hpp"
#include "convert/text_ops.hpp"
#include "extract/capacities.hpp"
#include "extract/quantity.hpp"
#include "extract/table_writer.hpp"

namespace durno {

namespace {

// No computation gives a value beyond 10^4000 (the table's numbers end near 10^4932), and
// the axes' arithmetic needs room above the largest value: such a field is refused. One
// below 10^-4000 is drawn as 0.
constexpr int kLargestExponent = 4000;
// The table's title line begins with these four columns; the key columns follow them.
constexpr std::size_t kStepColumns = 4;
// The CSV and TSV tables begin each row with the result file's name before these.
constexpr std::size_t kDelimitedStepColumns = kStepColumns + 1;
// The files named on the picture: their names are kept, up to a length a label can show.
constexpr std::size_t kNamedFiles = 1000;
constexpr std::size_t kLongestFileName = 80;
constexpr std::size_t kNoField = static_cast<std::size_t>(-1);

// The step columns as each kind of table names them; --x and --columns take either name.
struct StepColumnNames {
  std::string_view dat, delimited;
};
constexpr StepColumnNames kStepColumnNames[kStepColumns] = {
    {"STEP", "step"}, {"VAP", "VAP"}, {"WT%VAP", "WTVAP"}, {"P(tot)", "PTOT"}};
constexpr std::string_view kRowName = "row";

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

// The names of count key columns in the titles after the step columns' (the writer pads a
// key shorter than a title's width to it, and writes a longer one whole, unpadded): a
// full title that ends in no blank continues while what follows is no blank, as long as
// the titles have characters to spare; the last takes the rest.
std::vector<std::string> fixedWidthKeys(std::string_view titles, std::size_t count) {
  std::vector<std::string> keys;
  std::size_t spare =
      titles.size() > count * kCompoundTitleWidth ? titles.size() - count * kCompoundTitleWidth : 0;
  std::size_t at = 0;
  for (std::size_t key = 0; key < count; ++key) {
    std::size_t end = std::min(at + kCompoundTitleWidth, titles.size());
    if (key + 1 == count) {
      end = titles.size();
    } else if (end - at == kCompoundTitleWidth && titles[end - 1] != ' ') {
      for (; spare > 0 && end < titles.size() && titles[end] != ' '; --spare)
        ++end;
    }
    keys.emplace_back(withoutBlanksAround(titles.substr(at, end - at)));
    at = end;
  }
  return keys;
}

// The number of key titles the titles can hold at most: each takes a title's width at least.
std::size_t mostFixedWidthKeys(std::string_view titles) {
  return (titles.size() + kCompoundTitleWidth - 1) / kCompoundTitleWidth;
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

// The quantity a key column holds, by its code letter ("ASiO2": activities); empty when
// the name is no compound key.
std::string_view quantityOfKey(std::string_view name) {
  if (name.size() < 2) return {};
  for (const QuantityKind& kind : Quantity::kinds()) {
    if (name.starts_with(kind.code) && name.find(' ') == std::string_view::npos) {
      return kind.label;
    }
  }
  return {};
}

// The quantities of the compound columns drawn, for a table without a label line (other
// key columns, such as a temperature, are drawn beside them as a .dat's are).
std::string labelOfKeys(const std::vector<PlotCurve>& curves) {
  std::vector<std::string_view> labels;
  for (const PlotCurve& curve : curves) {
    const std::string_view label = quantityOfKey(curve.name);
    if (label.empty()) continue;
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) labels.push_back(label);
  }
  std::string text;
  for (const std::string_view label : labels)
    text.append(text.empty() ? "" : ", ").append(withoutTrailingBlanks(label));
  return text;
}

std::string listOfNames(const std::vector<std::string>& names, std::size_t from) {
  constexpr std::size_t kNamesShown = 8;
  std::string list;
  for (std::size_t at = from; at < names.size() && at < from + kNamesShown; ++at)
    list.append(at == from ? "" : ", ").append(names[at]);
  if (names.size() > from + kNamesShown) list += ", ...";
  return list;
}

class TableReading {
 public:
  TableReading(OpenTextFile& file, const std::string& path, const PlotChoices& choices,
               const StopFlag* stop, PlotData& data)
      : file_(file), path_(path), choices_(choices), stop_(stop), data_(data) {}

  TableRead readHead();
  TableRead readRows(std::size_t pixelColumns);

 private:
  // The next line into line_; false at the end of the data, a failure or a stop.
  bool nextLine();
  TableRead notTable(const std::string& why) const {
    return {ReadEnd::NotPlottable, quoted(path_) + " is not a DURNO table: " + why};
  }
  TableRead ended() const;
  TableRead readDelimitedHead(char separator);
  void nameDatKeys(std::size_t fieldCount);
  std::string chooseColumns(std::size_t pixelColumns);
  std::string fieldNamed(std::string_view name, std::size_t& field) const;
  void splitRow();
  std::string takeRow(std::size_t row);
  void noteFileStart(std::size_t row);
  TableRead finish(std::size_t rows);

  OpenTextFile& file_;
  const std::string& path_;
  const PlotChoices& choices_;
  const StopFlag* stop_;
  PlotData& data_;
  std::string_view line_;
  std::string storage_;
  FileStatus lastRead_;
  std::size_t lineNumber_ = 0;
  std::size_t pixelColumns_ = 0;
  char separator_ = 0;             // ',' or '\t' for a CSV or TSV table, 0 for the .dat's blanks
  std::string titles_;             // a .dat's title line after the step columns' titles
  bool fixedWidthTitles_ = false;  // titles_ as the writer lays them out
  std::vector<std::string> fieldNames_;  // every field of a row, as the table names it
  std::size_t firstKeyField_ = 0;
  std::size_t xField_ = kNoField;         // kNoField: the row number
  std::vector<std::size_t> curveFields_;  // the field of each curve
  std::vector<std::string_view> fields_;  // the current row's
  std::vector<long double> values_;       // their numbers
  std::vector<bool> given_;               // false for an empty field of a CSV or TSV row
  long double lastStep_ = 0;
  bool stepsWentBack_ = false;
  std::string lastFile_;
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
      // Names of keys holding blanks are known once a row tells how many keys there are.
      fixedWidthTitles_ = line_.starts_with(kFixedTitles);
      titles_ = fixedWidthTitles_ ? line_.substr(kFixedTitles.size()) : "";
      head.compounds.assign(fields.begin() + kStepColumns, fields.end());
      const std::size_t most =
          fixedWidthTitles_ ? mostFixedWidthKeys(titles_) : head.compounds.size();
      if (most > static_cast<std::size_t>(kMaxCompounds)) {
        return notTable("its title line names " + std::to_string(most) +
                        " compound columns, more than " + std::to_string(kMaxCompounds));
      }
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
  for (const std::string_view field : fields_)
    fieldNames_.push_back(unquoted(field));
  data_.head.compounds.assign(fieldNames_.begin() + kDelimitedStepColumns, fieldNames_.end());
  firstKeyField_ = kDelimitedStepColumns;
  return {};
}

// The .dat's field names for rows of fieldCount fields. A count the titles cannot hold is
// left to the row's own check, which names both counts.
void TableReading::nameDatKeys(std::size_t fieldCount) {
  std::vector<std::string>& keys = data_.head.compounds;
  const std::size_t keyCount = fieldCount - kStepColumns;
  if (fixedWidthTitles_ && keyCount > 0 && keyCount <= mostFixedWidthKeys(titles_)) {
    keys = fixedWidthKeys(titles_, keyCount);
  }
  for (const StepColumnNames& names : kStepColumnNames)
    fieldNames_.emplace_back(names.dat);
  fieldNames_.insert(fieldNames_.end(), keys.begin(), keys.end());
  firstKeyField_ = kStepColumns;
}

// The field a --x or --columns name means, or why there is none.
std::string TableReading::fieldNamed(std::string_view name, std::size_t& field) const {
  const std::size_t firstStep = firstKeyField_ - kStepColumns;
  for (std::size_t step = 0; step < kStepColumns; ++step) {
    const StepColumnNames& names = kStepColumnNames[step];
    if (lowerCase(name) == lowerCase(names.dat) || lowerCase(name) == lowerCase(names.delimited)) {
      field = firstStep + step;
      return {};
    }
  }
  const std::string wanted(withoutBlanksAround(name));
  std::size_t caseless = kNoField, caselessCount = 0;
  for (std::size_t at = firstKeyField_; at < fieldNames_.size(); ++at) {
    if (fieldNames_[at] == wanted) {
      field = at;
      return {};
    }
    if (lowerCase(fieldNames_[at]) == lowerCase(wanted)) caseless = at, ++caselessCount;
  }
  if (caselessCount == 1) {
    field = caseless;
    return {};
  }
  return quoted(path_) + " has no column " + quoted(name) +
         " (its key columns: " + listOfNames(fieldNames_, firstKeyField_) + ")";
}

// The x field and the curves' fields, as the choices name them.
std::string TableReading::chooseColumns(std::size_t pixelColumns) {
  pixelColumns_ = pixelColumns;
  if (!choices_.x.empty() && lowerCase(choices_.x) != kRowName) {
    if (std::string why = fieldNamed(choices_.x, xField_); !why.empty()) return why;
    data_.xName = fieldNames_[xField_];
  }
  for (const std::string& name : choices_.columns) {
    std::size_t field = 0;
    if (std::string why = fieldNamed(name, field); !why.empty()) return why;
    if (std::find(curveFields_.begin(), curveFields_.end(), field) == curveFields_.end())
      curveFields_.push_back(field);
  }
  if (choices_.columns.empty()) {
    for (std::size_t field = firstKeyField_; field < fieldNames_.size(); ++field) {
      if (field != xField_) curveFields_.push_back(field);
    }
  }
  if (curveFields_.empty()) return "nothing to plot: " + quoted(path_) + " has no key column but x";
  for (const std::size_t field : curveFields_)
    data_.curves.push_back({fieldNames_[field], CurveThinner(pixelColumns), {}});
  return {};
}

void TableReading::noteFileStart(std::size_t row) {
  const std::size_t file = data_.files++;
  if (separator_ != 0 && file < kNamedFiles) {
    data_.fileNames.push_back(unquoted(lastFile_).substr(0, kLongestFileName));
  }
  std::vector<FileStart>& starts = data_.fileStarts;
  std::size_t perColumn = 1;
  while (row / perColumn >= pixelColumns_)
    perColumn *= 2;
  // Merged columns keep one start each.
  std::size_t kept = 0;
  for (const FileStart& start : starts) {
    if (kept == 0 || starts[kept - 1].row / perColumn != start.row / perColumn)
      starts[kept++] = start;
  }
  starts.resize(kept);
  if (starts.empty() || starts.back().row / perColumn != row / perColumn)
    starts.push_back({row, file});
}

void TableReading::splitRow() {
  if (separator_ == 0) {
    splitFields(line_, fields_);
  } else {
    splitDelimited(line_, separator_, fields_);
  }
}

// Takes the row in line_; the reason it is refused, or empty.
std::string TableReading::takeRow(std::size_t row) {
  if (fields_.size() != fieldNames_.size()) {
    return "holds " + std::to_string(fields_.size()) + " fields where the " +
           (separator_ == 0 ? "title line" : "header") + " names " +
           std::to_string(fieldNames_.size()) + " columns";
  }
  values_.resize(fields_.size());
  given_.assign(fields_.size(), separator_ == 0);
  std::string why;
  bool anyValue = false;
  for (std::size_t field = firstKeyField_ - kStepColumns; field < fields_.size(); ++field) {
    if (separator_ != 0) {
      given_[field] = !fields_[field].empty();
      if (!given_[field]) continue;
    }
    if (!fieldValue(fields_[field], values_[field], why)) return why;
    anyValue = anyValue || (field > 0 && values_[field] != 0);
  }
  // A .dat row holds the values as they stand at its step line, and the first row of a file
  // after the first (its step number below the one before) holds the last values of the
  // file before it: that file's piece ends with it, and the next begins after it.
  const bool fileStarts =
      separator_ == 0 ? row == 0 || stepsWentBack_ : row == 0 || fields_[0] != lastFile_;
  stepsWentBack_ = separator_ == 0 && row > 0 && values_[0] < lastStep_;
  lastStep_ = values_[0];
  if (fileStarts) {
    if (separator_ != 0) lastFile_ = fields_[0];
    noteFileStart(row);
  }
  long double x = static_cast<long double>(row);
  if (xField_ != kNoField) {
    // Against a column, a row without its x, or a .dat's first row of a file (which holds
    // no value, no step line being before it), has no place.
    if (!given_[xField_] || (separator_ == 0 && !anyValue)) return {};
    x = values_[xField_];
  }
  bool drawn = false;
  for (std::size_t curve = 0; curve < data_.curves.size(); ++curve) {
    const std::size_t field = curveFields_[curve];
    if (!given_[field]) continue;
    data_.curves[curve].thinner.add(row, values_[field], x, data_.files - 1);
    data_.curves[curve].range.add(values_[field]);
    drawn = true;
  }
  if (drawn) data_.xRange.add(x);
  return {};
}

// The columns that hold values are drawn; the others are named.
TableRead TableReading::finish(std::size_t rows) {
  const std::string nothing = "nothing to plot: " + quoted(path_) + " has no ";
  if (rows == 0) return {ReadEnd::NotPlottable, nothing + "rows"};
  data_.rows = rows;
  std::vector<PlotCurve> drawn;
  for (PlotCurve& curve : data_.curves) {
    if (curve.range.anyValue()) {
      data_.range.add(curve.range);
      drawn.push_back(std::move(curve));
    } else {
      data_.columnsWithout.push_back(curve.name);
    }
  }
  data_.curves = std::move(drawn);
  if (data_.curves.empty()) return {ReadEnd::NotPlottable, nothing + "values in its key columns"};
  data_.scale = choices_.scale;
  if (data_.scale == YScale::Logarithmic && !data_.range.anyPositive) {
    return {ReadEnd::NotPlottable,
            "nothing to draw on a log axis: no value of " + quoted(path_) + " is above 0"};
  }
  if (separator_ == 0) return {};
  data_.head.label = labelOfKeys(data_.curves);
  data_.head.source = "Data from " + data_.fileName(0);
  if (data_.files > 1) {
    const std::size_t more = data_.files - 1;
    data_.head.source +=
        " and " + std::to_string(more) + (more == 1 ? " more file" : " more files");
  }
  return {};
}

TableRead TableReading::readRows(std::size_t pixelColumns) {
  const std::string nothing = "nothing to plot: " + quoted(path_) + " has no ";
  if (data_.head.compounds.empty()) return {ReadEnd::NotPlottable, nothing + "compound columns"};
  std::size_t row = 0;
  while (nextLine()) {
    if (line_.find_first_not_of(" \t") == std::string_view::npos) continue;
    splitRow();
    if (row == 0) {
      // A letter outside the menu writes the step values alone under the compounds' titles.
      if (separator_ == 0 && fields_.size() == kStepColumns) {
        return {ReadEnd::NotPlottable, nothing + "compound values, only the step values"};
      }
      if (separator_ == 0) nameDatKeys(std::max(fields_.size(), kStepColumns));
      if (std::string why = chooseColumns(pixelColumns); !why.empty()) {
        return {ReadEnd::NotPlottable, why};
      }
    }
    if (std::string why = takeRow(row); !why.empty()) {
      return {ReadEnd::NotPlottable,
              quoted(path_) + ": line " + std::to_string(lineNumber_) + " of the table " + why};
    }
    ++row;
  }
  if (const TableRead end = ended(); end.end != ReadEnd::Read) return end;
  return finish(row);
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

void ValueRange::add(const ValueRange& other) {
  if (!other.any) return;
  add(other.min);
  add(other.max);
  if (other.anyPositive) add(other.minPositive);
}

std::string PlotData::fileName(std::size_t file) const {
  if (file < fileNames.size()) return fileNames[file];
  return "file " + std::to_string(file + 1);
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
                    const PlotChoices& choices, const StopFlag* stop, PlotData& data) {
  if (FileStatus opened = files.openFile(kTableFileNumber, path, FileMode::Input); !opened.ok()) {
    return {ReadEnd::NotPlottable, "cannot read " + quoted(path) + ": " + opened.reason};
  }
  TableReading reading(*files.inputFile(kTableFileNumber), path, choices, stop, data);
  TableRead read = reading.readHead();
  if (read.end == ReadEnd::Read) read = reading.readRows(pixelColumns);
  files.closeFile(kTableFileNumber);
  return read;
}

}  // namespace durno
