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

// Row numbers from 1 to rows, ticked at whole round numbers.
Axis rowAxis(std::size_t rows) {
  Axis axis;
  axis.high = static_cast<long double>(rows);
  axis.low = 1;
  const long double step = rows < 2 ? 1 : std::max(1.0L, roundStep(axis.high - 1, 8));
  for (long double tick = step; tick <= axis.high && axis.ticks.size() < kMostTicks; tick += step) {
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
  return "<text x=\"" + pixel(x) + "\" y=\"" + pixel(y) + "\" " + style + ">" + svgText(text) +
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
         curveStyle(curve) + " points=\"" + points + "\"><title>" + svgText(name) +
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
  std::string svg = "<title>" + svgText(quantity + " - " + head.source) + "</title>\n";
  svg += textAt(kLeft, 30, "font-size=\"18\" font-weight=\"bold\"", quantity);
  svg += textAt(kLeft, 52, "font-size=\"13\" fill=\"#444\"",
                head.source + (y.logarithmic ? "  (log scale)" : ""));
  return svg;
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
  const ValueRange& range = data.range;
  const Frame frame{rowAxis(data.rows),
                    range.logarithmic() ? logAxis(range.minPositive, range.max)
                                        : linearAxis(range.min, range.max, 6),
                    data.rows};
  std::string svg =
      std::string(kPictureOpening) + "width=\"" + std::to_string(kWidth) + "\" height=\"" +
      std::to_string(kHeight) + "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " +
      std::to_string(kHeight) +
      "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += drawTitle(data.head, frame.y);
  svg += drawAxes(frame);
  svg += drawFileStarts(frame, data.fileStarts);
  svg += "<g class=\"curves\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
  for (std::size_t curve = 0; curve < data.curves.size(); ++curve) {
    svg += drawCurve(frame, curve, data.head.compounds[curve], data.curves[curve].columns());
  }
  svg += "</g>\n" + drawLegend(data.head.compounds) + "</svg>\n";
  return svg;
}

}  // namespace durno
