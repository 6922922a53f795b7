#include "app/plot.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "convert/number_parser.hpp"

namespace durno {

namespace {

using namespace std::string_literals;

// The picture's layout in pixels: the plot area leaves room for the y labels on the left,
// the title above, the x labels below and the legend on the right. Its width is also the
// number of pixel columns a curve is thinned to.
constexpr int kWidth = 1200;
constexpr int kHeight = 800;
constexpr int kLeft = 90;
constexpr int kRight = 960;
constexpr int kTop = 70;
constexpr int kBottom = 730;
constexpr std::size_t kPixelColumns = kRight - kLeft;

// Ten well-separated colours; past ten curves the colours come round again with another
// dash pattern, so 50 curves are still told apart.
constexpr const char* kColours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                    "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
constexpr const char* kDashes[] = {"", "7,3", "2,2", "9,3,2,3", "1,4"};

// Reads a file line by line in blocks, without the line end (LF, CR LF).
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file) {}

  bool next(std::string& line) {
    line.clear();
    for (;;) {
      if (at_ == filled_ && !refill()) return !line.empty();
      const char* start = block_ + at_;
      const void* end = std::memchr(start, '\n', filled_ - at_);
      const std::size_t length = end ? static_cast<const char*>(end) - start : filled_ - at_;
      line.append(start, length);
      at_ += length;
      if (end) {
        ++at_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
      }
    }
  }

 private:
  bool refill() {
    filled_ = std::fread(block_, 1, sizeof block_, file_);
    at_ = 0;
    return filled_ > 0;
  }

  std::FILE* file_;
  char block_[1 << 16];
  std::size_t at_ = 0, filled_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool isBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r") == std::string_view::npos;
}

bool isBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

// The blank-separated fields of a line, into fields (emptied first; reused across rows so
// the second pass allocates nothing per row). Plain loops: this runs for every value of
// the table.
void splitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  const char* at = line.data();
  const char* const end = at + line.size();
  for (;;) {
    while (at != end && isBlankOrTab(*at))
      ++at;
    if (at == end) return;
    const char* const start = at;
    while (at != end && !isBlankOrTab(*at))
      ++at;
    fields.emplace_back(start, at - start);
  }
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  splitFields(line, fields);
  return fields;
}

bool isNumber(std::string_view field) {
  bool digit = false;
  for (const char c : field) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != '.' && c != 'e' && c != 'E' && c != '+' && c != '-') {
      return false;
    }
  }
  return digit;
}

std::string quoted(const std::string& name) {
  return "\"" + name + "\"";
}

// What the lines above the rows say: the source line, the quantity label (absent for a
// letter outside the menu) and the compound columns' names.
struct TableHead {
  std::string source, label;
  std::vector<std::string> compounds;
  std::size_t lines = 0;
};

bool isTitleLine(std::string_view line) {
  const auto fields = fieldsOf(line);
  return fields.size() >= 4 && fields[0] == "STEP" && fields[1] == "VAP" && fields[2] == "WT%VAP" &&
         fields[3] == "P(tot)";
}

std::optional<std::string> readHead(LineReader& reader, const std::string& path, TableHead& head) {
  const std::string notTable = quoted(path) + " is not a DURNO table: ";
  std::string line;
  if (!reader.next(line) || line.rfind("Data from", 0) != 0) {
    return notTable + "its first line does not begin with \"Data from\"";
  }
  head.source = line;
  head.lines = 1;
  while (head.lines < 3 && reader.next(line)) {
    ++head.lines;
    if (isTitleLine(line)) {
      for (const auto name : fieldsOf(line))
        head.compounds.emplace_back(name);
      head.compounds.erase(head.compounds.begin(), head.compounds.begin() + 4);
      return std::nullopt;
    }
    head.label = fieldsOf(line).empty() ? "" : line.substr(line.find_first_not_of(" \t"));
    while (!head.label.empty() && head.label.back() == ' ')
      head.label.pop_back();
  }
  return notTable + "no title line \"STEP VAP WT%VAP P(tot) ...\" under its source line";
}

std::optional<std::string> openTable(const std::string& path, File& file) {
  file.reset(std::fopen(path.c_str(), "rb"));
  if (!file) return "cannot read " + quoted(path) + ": " + std::strerror(errno);
  return std::nullopt;
}

// The value range of every value drawn, and whether a log axis can show it.
struct ValueRange {
  long double min = 0, max = 0, minPositive = 0;
  bool any = false, anyPositive = false, anyNegative = false;

  void add(long double value) {
    if (!any || value < min) min = value;
    if (!any || value > max) max = value;
    any = true;
    if (value < 0) anyNegative = true;
    if (value > 0 && (!anyPositive || value < minPositive)) minPositive = value;
    if (value > 0) anyPositive = true;
  }
  bool logarithmic() const { return anyPositive && !anyNegative; }
};

// Everything the drawing needs, gathered in the second pass over the rows.
struct Gathered {
  TableHead head;
  std::size_t rows = 0;
  std::vector<CurveThinner> curves;
  ValueRange range;
  std::vector<std::size_t> fileStarts;   // rows whose step number is below the one before
  std::vector<std::string_view> fields;  // the current row's
};

std::optional<std::string> countRows(const std::string& path, Gathered& gathered) {
  File file;
  if (auto failed = openTable(path, file)) return failed;
  LineReader reader(file.get());
  if (auto failed = readHead(reader, path, gathered.head)) return failed;
  std::string line;
  while (reader.next(line))
    gathered.rows += isBlank(line) ? 0 : 1;
  if (std::ferror(file.get())) return "cannot read " + quoted(path) + ": " + std::strerror(errno);
  const std::string nothing = "nothing to plot: " + quoted(path) + " has no ";
  if (gathered.head.compounds.empty()) return nothing + "compound columns";
  if (gathered.rows == 0) return nothing + "rows";
  return std::nullopt;
}

std::optional<std::string> takeRow(std::string_view line, std::size_t lineNumber, std::size_t row,
                                   long double& lastStep, Gathered& gathered) {
  splitFields(line, gathered.fields);
  const auto& fields = gathered.fields;
  const auto where = [lineNumber] {
    return "line " + std::to_string(lineNumber) + " of the table ";
  };
  if (fields.size() != gathered.curves.size() + 4) {
    return where() + "holds " + std::to_string(fields.size()) +
           " fields where the title line names " + std::to_string(gathered.curves.size() + 4) +
           " columns";
  }
  for (const auto field : fields) {
    if (!isNumber(field)) return where() + "holds \"" + std::string(field) + "\", not a number";
  }
  const long double step = parseNumber(fields[0]);
  if (row > 0 && step < lastStep) {
    const std::size_t column = gathered.curves[0].columnOf(row);
    if (gathered.fileStarts.empty() ||
        gathered.curves[0].columnOf(gathered.fileStarts.back()) != column) {
      gathered.fileStarts.push_back(row);
    }
  }
  lastStep = step;
  for (std::size_t curve = 0; curve < gathered.curves.size(); ++curve) {
    const long double value = parseNumber(fields[curve + 4]);
    gathered.curves[curve].add(row, value);
    gathered.range.add(value);
  }
  return std::nullopt;
}

std::optional<std::string> gatherRows(const std::string& path, Gathered& gathered) {
  File file;
  if (auto failed = openTable(path, file)) return failed;
  LineReader reader(file.get());
  TableHead again;
  if (auto failed = readHead(reader, path, again)) return failed;
  for (std::size_t curve = 0; curve < gathered.head.compounds.size(); ++curve) {
    gathered.curves.emplace_back(gathered.rows, kPixelColumns);
  }
  std::string line;
  std::size_t lineNumber = again.lines, row = 0;
  long double lastStep = 0;
  while (reader.next(line)) {
    ++lineNumber;
    if (isBlank(line)) continue;
    if (auto failed = takeRow(line, lineNumber, row, lastStep, gathered)) {
      return quoted(path) + ": " + *failed;
    }
    ++row;
  }
  if (std::ferror(file.get())) return "cannot read " + quoted(path) + ": " + std::strerror(errno);
  gathered.rows = std::max<std::size_t>(row, 1);
  return std::nullopt;
}

// --- Axes --------------------------------------------------------------------------------

struct Tick {
  long double value;
  std::string label;
};

struct Axis {
  bool logarithmic = false;
  long double low = 0, high = 1;  // on a log axis, the exponents of ten
  std::vector<Tick> ticks;

  // Where a value falls, from 0 (low) to 1 (high).
  long double fraction(long double value) const {
    const long double at = logarithmic ? std::log10(value) : value;
    return (at - low) / (high - low);
  }
};

// The round step (1, 2 or 5 times a power of ten) that cuts span into about `parts` parts.
long double roundStep(long double span, int parts) {
  const long double rough = span / parts;
  const long double power = std::pow(10.0L, std::floor(std::log10(rough)));
  for (const long double multiple : {1.0L, 2.0L, 5.0L}) {
    if (multiple * power >= rough) return multiple * power;
  }
  return 10 * power;
}

std::string numberLabel(long double value) {
  char text[32];
  // As a double: the Windows C runtime's printf knows no 80-bit long double, and a tick
  // label needs no more digits than a double holds.
  std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
  return text;
}

Axis linearAxis(long double low, long double high, int parts) {
  if (high <= low) {
    const long double margin = low == 0 ? 1 : std::fabs(low) / 2;
    low -= margin;
    high += margin;
  }
  Axis axis;
  const long double step = roundStep(high - low, parts);
  axis.low = std::floor(low / step) * step;
  axis.high = std::ceil(high / step) * step;
  for (long double tick = std::ceil(axis.low / step) * step; tick <= axis.high + step / 1e6L;
       tick += step) {
    const long double value = std::fabs(tick) < step / 1e6L ? 0 : tick;
    axis.ticks.push_back({value, numberLabel(value)});
  }
  return axis;
}

// Row numbers from 1 to rows, ticked at whole round numbers.
Axis rowAxis(std::size_t rows) {
  Axis axis;
  axis.high = static_cast<long double>(rows);
  axis.low = 1;
  const long double step = rows < 2 ? 1 : std::max(1.0L, roundStep(axis.high - 1, 8));
  for (long double tick = step; tick <= axis.high; tick += step) {
    axis.ticks.push_back({tick, numberLabel(tick)});
  }
  return axis;
}

std::string powerLabel(int exponent) {
  if (exponent >= -3 && exponent <= 4) return numberLabel(std::pow(10.0L, exponent));
  return "1e" + std::to_string(exponent);
}

Axis logAxis(long double minPositive, long double max) {
  Axis axis;
  axis.logarithmic = true;
  axis.low = std::floor(std::log10(minPositive));
  axis.high = std::max(std::ceil(std::log10(max)), axis.low + 1);
  const int decades = static_cast<int>(axis.high - axis.low);
  const int stride = std::max(1, (decades + 9) / 10);
  for (int exponent = static_cast<int>(axis.low); exponent <= axis.high; ++exponent) {
    if ((exponent - static_cast<int>(axis.low)) % stride != 0) continue;
    const long double power = std::pow(10.0L, exponent);
    axis.ticks.push_back({power, powerLabel(exponent)});
    // One or two decades would have only two or three ticks: 2 and 5 times each power too.
    for (const int multiple : {2, 5}) {
      if (decades <= 2 && exponent < axis.high) {
        axis.ticks.push_back({multiple * power, numberLabel(multiple * power)});
      }
    }
  }
  return axis;
}

// --- Drawing -----------------------------------------------------------------------------

// Text for an SVG document: the XML specials escaped, and bytes that are neither printable
// ASCII nor part of a well-formed UTF-8 sequence shown as '?', so the document stays well
// formed whatever a file name holds.
std::string xmlText(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = byte >= 0xF0 && byte < 0xF5 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 1;
    if (byte >= 0x80 && length > 1 && at + length <= text.size() &&
        std::all_of(text.begin() + at + 1, text.begin() + at + length,
                    [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; })) {
      out.append(text.substr(at, length));
      at += length - 1;
    } else if (byte == '&') {
      out += "&amp;";
    } else if (byte == '<') {
      out += "&lt;";
    } else if (byte == '>') {
      out += "&gt;";
    } else if (byte == '"') {
      out += "&quot;";
    } else {
      out += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
    }
  }
  return out;
}

std::string pixel(long double coordinate) {
  char text[24];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(coordinate));
  return text;
}

struct Frame {
  Axis x, y;
  std::size_t rows;

  long double xOf(long double row) const {
    return rows < 2 ? (kLeft + kRight) / 2.0L : kLeft + (kRight - kLeft) * row / (rows - 1);
  }
  long double yOf(long double value) const {
    return kBottom - (kBottom - kTop) * y.fraction(value);
  }
};

std::string textAt(long double x, long double y, const char* style, const std::string& text) {
  return "<text x=\"" + pixel(x) + "\" y=\"" + pixel(y) + "\" " + style + ">" + xmlText(text) +
         "</text>\n";
}

std::string lineBetween(long double x1, long double y1, long double x2, long double y2,
                        const char* style) {
  return "<line x1=\"" + pixel(x1) + "\" y1=\"" + pixel(y1) + "\" x2=\"" + pixel(x2) + "\" y2=\"" +
         pixel(y2) + "\" " + style + "/>\n";
}

std::string drawAxes(const Frame& frame) {
  std::string svg = "<g class=\"axes\" font-size=\"12\" fill=\"#222\">\n";
  for (const Tick& tick : frame.y.ticks) {
    const long double y = frame.yOf(tick.value);
    svg += lineBetween(kLeft, y, kRight, y, "stroke=\"#ddd\"");
    svg += textAt(kLeft - 6, y + 4, "text-anchor=\"end\"", tick.label);
  }
  for (const Tick& tick : frame.x.ticks) {
    const long double x = frame.xOf(tick.value - 1);
    svg += lineBetween(x, kBottom, x, kBottom + 5, "stroke=\"#222\"");
    svg += textAt(x, kBottom + 20, "text-anchor=\"middle\"", tick.label);
  }
  svg += "<rect x=\"" + pixel(kLeft) + "\" y=\"" + pixel(kTop) + "\" width=\"" +
         pixel(kRight - kLeft) + "\" height=\"" + pixel(kBottom - kTop) +
         "\" fill=\"none\" stroke=\"#222\"/>\n";
  svg += textAt((kLeft + kRight) / 2.0L, kBottom + 45, "text-anchor=\"middle\"",
                "row (steps of all result files in turn)");
  return svg + "</g>\n";
}

std::string drawFileStarts(const Frame& frame, const std::vector<std::size_t>& fileStarts) {
  std::string svg = "<g class=\"file-starts\" stroke=\"#888\" stroke-width=\"0.6\">\n";
  for (const std::size_t row : fileStarts) {
    const long double x = frame.xOf(row - 0.5L);
    svg += lineBetween(x, kTop, x, kBottom, "class=\"file-start\"");
  }
  return svg + "</g>\n";
}

std::string curveStyle(std::size_t curve) {
  const char* dash = kDashes[(curve / std::size(kColours)) % std::size(kDashes)];
  return std::string("stroke=\"") + kColours[curve % std::size(kColours)] + "\"" +
         (*dash ? std::string(" stroke-dasharray=\"") + dash + "\"" : "");
}

void addPoint(const Frame& frame, std::size_t row, long double value, std::string& points) {
  if (frame.y.logarithmic && value <= 0) return;  // zeros have no place on a log axis
  points += pixel(frame.xOf(row)) + "," + pixel(frame.yOf(value)) + " ";
}

std::string drawCurve(const Frame& frame, std::size_t curve, const std::string& name,
                      const std::vector<ColumnExtremes>& columns) {
  std::string points;
  for (const ColumnExtremes& column : columns) {
    const bool positiveLow = frame.y.logarithmic && column.min <= 0 && column.hasPositive;
    const std::size_t lowRow = positiveLow ? column.minPositiveRow : column.minRow;
    const long double low = positiveLow ? column.minPositive : column.min;
    if (lowRow <= column.maxRow) addPoint(frame, lowRow, low, points);
    if (lowRow != column.maxRow) addPoint(frame, column.maxRow, column.max, points);
    if (lowRow > column.maxRow) addPoint(frame, lowRow, low, points);
  }
  if (!points.empty()) points.pop_back();
  // A lone point is drawn as a dot: a wide line from it to itself, with round ends.
  const bool lone = !points.empty() && points.find(' ') == std::string::npos;
  if (lone) points += " " + points;
  return "<polyline class=\"curve\" fill=\"none\" stroke-width=\"" + (lone ? "6" : "1.5"s) + "\" " +
         curveStyle(curve) + " points=\"" + points + "\"><title>" + xmlText(name) +
         "</title></polyline>\n";
}

std::string drawLegend(const std::vector<std::string>& names) {
  const long double spacing = std::min(
      18.0L, (kBottom - kTop) / static_cast<long double>(std::max<std::size_t>(names.size(), 1)));
  std::string svg =
      "<g class=\"legend\" font-size=\"" + pixel(std::min(12.0L, spacing - 1)) + "\">\n";
  for (std::size_t curve = 0; curve < names.size(); ++curve) {
    const long double y = kTop + spacing * (curve + 0.5L);
    svg += "<line x1=\"980\" y1=\"" + pixel(y) + "\" x2=\"1010\" y2=\"" + pixel(y) +
           "\" stroke-width=\"2\" " + curveStyle(curve) + "/>\n";
    svg += textAt(1016, y + 4, "", names[curve]);
  }
  return svg + "</g>\n";
}

std::string drawTitle(const TableHead& head, const Axis& y) {
  const std::string quantity = head.label.empty() ? "Values" : head.label;
  std::string svg = "<title>" + xmlText(quantity + " - " + head.source) + "</title>\n";
  svg += textAt(kLeft, 30, "font-size=\"18\" font-weight=\"bold\"", quantity);
  svg += textAt(kLeft, 52, "font-size=\"13\" fill=\"#444\"",
                head.source + (y.logarithmic ? "  (log scale)" : ""));
  return svg;
}

std::string drawPicture(Gathered& gathered) {
  const ValueRange& range = gathered.range;
  Frame frame{rowAxis(gathered.rows),
              range.logarithmic() ? logAxis(range.minPositive, range.max)
                                  : linearAxis(range.min, range.max, 6),
              gathered.rows};
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
      std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight) + "\" viewBox=\"0 0 " +
      std::to_string(kWidth) + " " + std::to_string(kHeight) +
      "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += drawTitle(gathered.head, frame.y);
  svg += drawAxes(frame);
  svg += drawFileStarts(frame, gathered.fileStarts);
  svg += "<g class=\"curves\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
  for (std::size_t curve = 0; curve < gathered.curves.size(); ++curve) {
    svg += drawCurve(frame, curve, gathered.head.compounds[curve], gathered.curves[curve].finish());
  }
  svg += "</g>\n" + drawLegend(gathered.head.compounds) + "</svg>\n";
  return svg;
}

std::optional<std::string> writePicture(const std::string& path, const std::string& svg) {
  const std::string failed = "picture could not be written to " + quoted(path) + ": ";
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return failed + std::strerror(errno);
  const bool written = std::fwrite(svg.data(), 1, svg.size(), file.get()) == svg.size();
  const int closed = std::fclose(file.release());
  if (written && closed == 0) return std::nullopt;
  const std::string reason = std::strerror(errno);
  std::remove(path.c_str());
  return failed + reason;
}

bool sameFile(const std::string& first, const std::string& second) {
  std::error_code ignored;
  return std::filesystem::equivalent(first, second, ignored);
}

}  // namespace

std::size_t CurveThinner::columnOf(std::size_t row) const {
  if (rows_ <= columns_) return row;
  return std::min(row, rows_ - 1) * columns_ / rows_;
}

void CurveThinner::add(std::size_t row, long double value) {
  const std::size_t column = columnOf(row);
  if (open_ && column != current_.column) done_.push_back(current_);
  if (!open_ || column != current_.column) {
    current_ = ColumnExtremes{column, row, row, row, value, value, value, value > 0};
    open_ = true;
    return;
  }
  if (value < current_.min) current_.min = value, current_.minRow = row;
  if (value > current_.max) current_.max = value, current_.maxRow = row;
  if (value > 0 && (!current_.hasPositive || value < current_.minPositive)) {
    current_.minPositive = value, current_.minPositiveRow = row, current_.hasPositive = true;
  }
}

const std::vector<ColumnExtremes>& CurveThinner::finish() {
  if (open_) done_.push_back(current_);
  open_ = false;
  return done_;
}

PlotOutcome plotTable(const std::string& tablePath, const std::string& picturePath) {
  Gathered gathered;
  if (auto failed = countRows(tablePath, gathered)) return {PlotEnd::NotPlottable, *failed};
  if (auto failed = gatherRows(tablePath, gathered)) return {PlotEnd::NotPlottable, *failed};
  if (sameFile(tablePath, picturePath)) {
    return {PlotEnd::NotWritten,
            "picture could not be written to " + quoted(picturePath) + ": it is the table itself"};
  }
  if (auto failed = writePicture(picturePath, drawPicture(gathered))) {
    return {PlotEnd::NotWritten, *failed};
  }
  return {};
}

}  // namespace durno
