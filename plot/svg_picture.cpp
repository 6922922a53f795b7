#include "plot/svg_picture.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "console/cp437.hpp"

namespace durno {

bool isDrawnPicture(std::string_view head) {
  return head.starts_with(kPictureOpening);
}

namespace {

using namespace std::string_literals;

// The picture's layout in pixels: the plot area leaves room for the y labels on the left,
// the title above, the x labels below and the legend on the right.
constexpr int kWidth = 1200;
constexpr int kHeight = 800;
constexpr int kLeft = 90;
constexpr int kRight = 960;
constexpr int kTop = 70;
constexpr int kBottom = 730;
// An axis never gets more ticks than this, whatever rounding does to its steps.
constexpr std::size_t kMostTicks = 100;

// Ten well-separated colours; past ten curves the colours come round again with another
// dash pattern, so 50 curves are still told apart.
constexpr const char* kColours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                    "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
constexpr const char* kDashes[] = {"", "7,3", "2,2", "9,3,2,3", "1,4"};

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

// The label of a tick. Printed as a double (the Windows C runtime's printf knows no 80-bit
// long double, and a label needs no more digits than a double holds); a value beyond the
// double's range is printed as its mantissa and its power of ten, never as "inf" or "0".
std::string numberLabel(long double value) {
  char text[40];
  const long double size = std::fabs(value);
  if (value == 0 || (size > 1e-300L && size < 1e300L)) {
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
    return text;
  }
  int exponent = static_cast<int>(std::floor(std::log10(size)));
  long double mantissa = value / std::pow(10.0L, exponent);
  if (std::fabs(mantissa) >= 9.999995L) mantissa /= 10, ++exponent;
  std::snprintf(text, sizeof text, "%.6ge%+d", static_cast<double>(mantissa), exponent);
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
  long double tick = std::ceil(axis.low / step) * step;
  for (std::size_t ticks = 0; tick <= axis.high + step / 1e6L && ticks < kMostTicks;
       ++ticks, tick += step) {
    const long double value = std::fabs(tick) < step / 1e6L ? 0 : tick;
    axis.ticks.push_back({value, numberLabel(value)});
  }
  return axis;
}

// Row numbers from 1 to rows, ticked at whole round numbers: the axis runs over the rows'
// indexes, from 0.
Axis rowAxis(std::size_t rows) {
  Axis axis;
  axis.high = static_cast<long double>(rows) - 1;
  const long double step = rows < 2 ? 1 : std::max(1.0L, roundStep(axis.high, 8));
  for (long double tick = step; tick <= rows && axis.ticks.size() < kMostTicks; tick += step) {
    axis.ticks.push_back({tick - 1, numberLabel(tick)});
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

std::string pixel(long double coordinate) {
  char text[24];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(coordinate));
  return text;
}

struct Frame {
  Axis x, y;
  bool oneX = false;  // a single x value, drawn in the middle

  long double xOf(long double x) const {
    return oneX ? (kLeft + kRight) / 2.0L : kLeft + (kRight - kLeft) * this->x.fraction(x);
  }
  long double yOf(long double value) const {
    return kBottom - (kBottom - kTop) * y.fraction(value);
  }
};

std::string textAt(long double x, long double y, const char* style, const std::string& text) {
  return "<text x=\"" + pixel(x) + "\" y=\"" + pixel(y) + "\" " + style + ">" + svgText(text) +
         "</text>\n";
}

std::string lineBetween(long double x1, long double y1, long double x2, long double y2,
                        const char* style) {
  return "<line x1=\"" + pixel(x1) + "\" y1=\"" + pixel(y1) + "\" x2=\"" + pixel(x2) + "\" y2=\"" +
         pixel(y2) + "\" " + style + "/>\n";
}

std::string drawAxes(const Frame& frame, const std::string& xName, const std::string& yName) {
  std::string svg = "<g class=\"axes\" font-size=\"12\" fill=\"#222\">\n";
  for (const Tick& tick : frame.y.ticks) {
    const long double y = frame.yOf(tick.value);
    svg += lineBetween(kLeft, y, kRight, y, "stroke=\"#ddd\"");
    svg += textAt(kLeft - 6, y + 4, "text-anchor=\"end\"", tick.label);
  }
  for (const Tick& tick : frame.x.ticks) {
    const long double x = frame.xOf(tick.value);
    svg += lineBetween(x, kBottom, x, kBottom + 5, "stroke=\"#222\"");
    svg += textAt(x, kBottom + 20, "text-anchor=\"middle\"", tick.label);
  }
  svg += "<rect x=\"" + pixel(kLeft) + "\" y=\"" + pixel(kTop) + "\" width=\"" +
         pixel(kRight - kLeft) + "\" height=\"" + pixel(kBottom - kTop) +
         "\" fill=\"none\" stroke=\"#222\"/>\n";
  svg += textAt((kLeft + kRight) / 2.0L, kBottom + 45, "class=\"x-name\" text-anchor=\"middle\"",
                xName.empty() ? "row (steps of all result files in turn)" : xName);
  const std::string middle = pixel((kTop + kBottom) / 2.0L);
  svg += "<text class=\"y-name\" transform=\"translate(22," + middle +
         ") rotate(-90)\" text-anchor=\"middle\">" + svgText(yName) + "</text>\n";
  return svg + "</g>\n";
}

// A file's name on the picture: its last part, the folders being the same for most.
std::string shortFileName(const std::string& name) {
  const std::size_t folderEnd = name.find_last_of("/\\");
  return folderEnd == std::string::npos ? name : name.substr(folderEnd + 1);
}

// Against the row number, each result file's rows follow the last: a thin line where one
// begins, its name along the line, where there is room for it.
std::string drawFileStarts(const Frame& frame, const PlotData& data) {
  constexpr long double kLabelRoom = 12;
  std::string svg = "<g class=\"file-starts\" stroke=\"#888\" stroke-width=\"0.6\">\n";
  std::string names = "<g class=\"file-names\" font-size=\"10\" fill=\"#666\">\n";
  long double lastLabel = -kLabelRoom;
  for (const FileStart& start : data.fileStarts) {
    const long double x = start.row == 0 ? kLeft : frame.xOf(start.row - 0.5L);
    if (start.row > 0) svg += lineBetween(x, kTop, x, kBottom, "class=\"file-start\"");
    if (x - lastLabel < kLabelRoom) continue;
    lastLabel = x;
    names += "<text class=\"file-name\" transform=\"translate(" + pixel(x + 3) + "," +
             pixel(kTop + 6) + ") rotate(90)\">" +
             svgText(shortFileName(data.fileName(start.file))) + "</text>\n";
  }
  return svg + "</g>\n" + names + "</g>\n";
}

std::string curveStyle(std::size_t curve) {
  const char* dash = kDashes[(curve / std::size(kColours)) % std::size(kDashes)];
  return std::string("stroke=\"") + kColours[curve % std::size(kColours)] + "\"" +
         (*dash ? std::string(" stroke-dasharray=\"") + dash + "\"" : "");
}

// Where one piece of a curve (one result file's points) ends.
struct PieceEnd {
  std::size_t file;
  long double x, y;
};

// A curve's pieces as path data, one subpath each: no line joins two result files. Pieces
// of one point are gathered apart, to be drawn as dots.
class CurvePath {
 public:
  explicit CurvePath(const Frame& frame) : frame_(frame) {}

  void add(std::size_t piece, long double x, long double value) {
    if (frame_.y.logarithmic && value <= 0) return;  // zeros have no place on a log axis
    if (piece != piece_ || points_ == 0) endPiece(), piece_ = piece;
    // Each piece's last point so far is kept, to name the piece there.
    const PieceEnd end{piece, frame_.xOf(x), frame_.yOf(value)};
    current_.append(points_++ == 0 ? "M" : " ")
        .append(pixel(end.x))
        .append(",")
        .append(pixel(end.y));
    if (!ends_.empty() && ends_.back().file == piece) {
      ends_.back() = end;
    } else {
      ends_.push_back(end);
    }
  }
  void endPiece() {
    std::string& into = points_ == 1 ? dots_ : lines_;
    if (points_ == 1) current_ += " h0";
    if (points_ > 0) into += (into.empty() ? "" : " ") + current_;
    current_.clear();
    points_ = 0;
  }
  const std::string& lines() const { return lines_; }
  const std::string& dots() const { return dots_; }
  const std::vector<PieceEnd>& ends() const { return ends_; }

 private:
  const Frame& frame_;
  std::size_t piece_ = 0, points_ = 0;
  std::string current_, lines_, dots_;
  std::vector<PieceEnd> ends_;
};

std::string drawCurve(const Frame& frame, std::size_t curve, const PlotCurve& plotted,
                      std::vector<PieceEnd>& ends) {
  CurvePath path(frame);
  for (const ColumnExtremes& column : plotted.thinner.columns()) {
    const bool positiveLow = frame.y.logarithmic && column.min <= 0 && column.hasPositive;
    const std::size_t lowRow = positiveLow ? column.minPositiveRow : column.minRow;
    const long double low = positiveLow ? column.minPositive : column.min;
    const long double lowX = positiveLow ? column.minPositiveX : column.minX;
    if (lowRow <= column.maxRow) path.add(column.piece, lowX, low);
    if (lowRow != column.maxRow) path.add(column.piece, column.maxX, column.max);
    if (lowRow > column.maxRow) path.add(column.piece, lowX, low);
  }
  path.endPiece();
  ends = path.ends();
  const std::string style = curveStyle(curve);
  const std::string title = "<title>" + svgText(plotted.name) + "</title>";
  std::string svg;
  if (!path.lines().empty()) {
    svg += "<path class=\"curve\" fill=\"none\" stroke-width=\"1.5\" " + style + " d=\"" +
           path.lines() + "\">" + title + "</path>\n";
  }
  if (!path.dots().empty()) {
    svg += "<path class=\"curve dots\" fill=\"none\" stroke-width=\"6\" " + style + " d=\"" +
           path.dots() + "\">" + title + "</path>\n";
  }
  return svg;
}

// Against a column, the result files' pieces lie over each other: the first curve's pieces
// are named where they end, no more of them than can be read.
std::string drawPieceNames(const PlotData& data, const std::vector<PieceEnd>& ends) {
  constexpr std::size_t kMostNames = 60;
  // A name is left out where it would cover one already written.
  constexpr long double kNameWidth = 60, kNameHeight = 10;
  const std::size_t stride = (ends.size() + kMostNames - 1) / kMostNames;
  std::string svg = "<g class=\"file-names\" font-size=\"10\" fill=\"#555\">\n";
  std::vector<PieceEnd> named;
  for (std::size_t at = 0; at < ends.size(); at += std::max<std::size_t>(stride, 1)) {
    const PieceEnd& end = ends[at];
    if (std::any_of(named.begin(), named.end(), [&](const PieceEnd& other) {
          return std::fabs(other.x - end.x) < kNameWidth &&
                 std::fabs(other.y - end.y) < kNameHeight;
        })) {
      continue;
    }
    named.push_back(end);
    svg +=
        textAt(end.x + 4, end.y + 3, "class=\"file-name\"", shortFileName(data.fileName(end.file)));
  }
  return svg + "</g>\n";
}

// The lines of a note of names, each short enough for the legend's width.
std::vector<std::string> noteLines(const std::string& heading,
                                   const std::vector<std::string>& names) {
  constexpr std::size_t kLineWidth = 30, kMostLines = 8;
  std::vector<std::string> lines{heading};
  for (std::size_t at = 0; at < names.size(); ++at) {
    const std::string name = names[at] + (at + 1 < names.size() ? "," : "");
    if (lines.size() == 1 || lines.back().size() + 1 + name.size() > kLineWidth) {
      if (lines.size() == kMostLines) {
        lines.back() += " ...";
        break;
      }
      lines.push_back(name);
    } else {
      lines.back() += " " + name;
    }
  }
  return lines;
}

std::string drawLegend(const PlotData& data) {
  constexpr long double kNoteLine = 14;
  const std::vector<std::string> note =
      data.columnsWithout.empty() ? std::vector<std::string>{}
                                  : noteLines("No value in these, not drawn:", data.columnsWithout);
  const long double room = kBottom - kTop - (note.empty() ? 0 : kNoteLine * note.size() + 10);
  const std::size_t names = std::max<std::size_t>(data.curves.size(), 1);
  const long double spacing = std::min(18.0L, room / static_cast<long double>(names));
  std::string svg =
      "<g class=\"legend\" font-size=\"" + pixel(std::min(12.0L, spacing - 1)) + "\">\n";
  for (std::size_t curve = 0; curve < data.curves.size(); ++curve) {
    const long double y = kTop + spacing * (curve + 0.5L);
    svg += "<line x1=\"980\" y1=\"" + pixel(y) + "\" x2=\"1010\" y2=\"" + pixel(y) +
           "\" stroke-width=\"2\" " + curveStyle(curve) + "/>\n";
    svg += textAt(1016, y + 4, "", data.curves[curve].name);
  }
  svg += "</g>\n";
  if (note.empty()) return svg;
  svg += "<g class=\"without-values\" font-size=\"11\" fill=\"#444\">\n";
  long double y = kTop + spacing * data.curves.size() + 10 + kNoteLine / 2;
  for (const std::string& line : note) {
    svg += textAt(980, y, "", line);
    y += kNoteLine;
  }
  return svg + "</g>\n";
}

std::string quantityOf(const TableHead& head) {
  return head.label.empty() ? "Values" : head.label;
}

std::string drawTitle(const TableHead& head, const Axis& y) {
  const std::string quantity = quantityOf(head);
  std::string svg = "<title>" + svgText(quantity + " - " + head.source) + "</title>\n";
  svg += textAt(kLeft, 30, "font-size=\"18\" font-weight=\"bold\"", quantity);
  svg += textAt(kLeft, 52, "font-size=\"13\" fill=\"#444\"",
                head.source + (y.logarithmic ? "  (log scale)" : ""));
  return svg;
}

Frame frameOf(const PlotData& data) {
  const ValueRange& range = data.range;
  const bool logarithmic =
      data.scale == YScale::Automatic ? range.logarithmic() : data.scale == YScale::Logarithmic;
  Frame frame;
  frame.y =
      logarithmic ? logAxis(range.minPositive, range.max) : linearAxis(range.min, range.max, 6);
  if (data.xName.empty()) {
    frame.x = rowAxis(data.rows);
    frame.oneX = data.rows < 2;
  } else {
    frame.x = linearAxis(data.xRange.min, data.xRange.max, 8);
  }
  return frame;
}

}  // namespace

std::size_t pixelColumns() {
  return kRight - kLeft;
}

std::string svgText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += cp437Utf8(static_cast<std::uint8_t>(c));
    }
  }
  return out;
}

std::string drawPicture(const PlotData& data) {
  const Frame frame = frameOf(data);
  std::string svg =
      std::string(kPictureOpening) + "width=\"" + std::to_string(kWidth) + "\" height=\"" +
      std::to_string(kHeight) + "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " +
      std::to_string(kHeight) +
      "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += drawTitle(data.head, frame.y);
  svg += drawAxes(frame, data.xName, quantityOf(data.head));
  if (data.xName.empty()) svg += drawFileStarts(frame, data);
  svg += "<g class=\"curves\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
  std::vector<PieceEnd> firstEnds;
  for (std::size_t curve = 0; curve < data.curves.size(); ++curve) {
    std::vector<PieceEnd> ends;
    svg += drawCurve(frame, curve, data.curves[curve], ends);
    if (curve == 0) firstEnds = std::move(ends);
  }
  svg += "</g>\n";
  if (!data.xName.empty()) svg += drawPieceNames(data, firstEnds);
  svg += drawLegend(data) + "</svg>\n";
  return svg;
}

}  // namespace durno
