// The picture of a table, drawn from small tables in memory: its shape is checked in the
// SVG text, its well-formedness by xmllint where that is installed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "plot/curve_thinner.hpp"
#include "plot/plot.hpp"
#include "plot/svg_picture.hpp"
#include "testing/memory_file_system.hpp"
#include "textfile/text_files.hpp"

namespace {

// A picture this program drew earlier, which a new one may replace.
const std::string kOldPicture = std::string(durno::kPictureOpening) + "the old picture";

namespace fs = std::filesystem;

// Plots tables put into a file system in memory, whose picture writes can be watched.
class PlotTable : public ::testing::Test {
 protected:
  // A file system whose pictures note a stop after their first block, as a signal would.
  class StoppingFileSystem : public durno::MemoryFileSystem {
   public:
    durno::StopFlag stop{0};
    bool stopAfterFirstBlock = false;
    std::unique_ptr<durno::WholeFile> openWhole(const std::string& name,
                                                durno::FileStatus& status) override {
      auto file = MemoryFileSystem::openWhole(name, status);
      if (!file || !stopAfterFirstBlock) return file;
      return std::make_unique<Stopping>(std::move(file), stop);
    }

   private:
    struct Stopping : durno::WholeFile {
      Stopping(std::unique_ptr<durno::WholeFile> file, durno::StopFlag& stop)
          : file_(std::move(file)), stop_(stop) {}
      durno::FileStatus write(std::string_view bytes) override {
        stop_ = SIGTERM;
        return file_->write(bytes);
      }
      durno::FileStatus commit() override { return file_->commit(); }
      std::unique_ptr<durno::WholeFile> file_;
      durno::StopFlag& stop_;
    };
  };

  StoppingFileSystem memory;
  durno::TextFiles files{memory};

  durno::PlotOutcome draw(const std::string& table, const durno::PlotChoices& choices = {}) {
    memory.put("t.dat", table);
    return durno::plotTable(files, "t.dat", "t.svg", &memory.stop, choices);
  }
  // Plots the table text; the picture's text, or the reason it was not drawn.
  std::string plot(const std::string& table, const durno::PlotChoices& choices = {}) {
    const durno::PlotOutcome outcome = draw(table, choices);
    if (outcome.end != durno::PlotEnd::Drawn) return outcome.reason;
    return memory.contents("t.svg").value_or("<no picture>");
  }
};

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t found = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

// The number of points of each piece of each curve, in order: a curve is a path whose
// pieces each begin with "M", and a path of its one-point pieces after it, of one title.
std::vector<std::vector<std::size_t>> curvePieces(const std::string& svg) {
  std::vector<std::vector<std::size_t>> curves;
  std::string lastTitle;
  const std::string curve = "class=\"curve";
  const std::string data = " d=\"";
  for (auto at = svg.find(curve); at != std::string::npos; at = svg.find(curve, at + 1)) {
    const std::size_t tagEnd = svg.find('>', at);
    const std::size_t from = svg.find(data, at);
    if (from == std::string::npos || from > tagEnd) continue;
    const std::size_t listStart = from + data.size();
    std::istringstream points(svg.substr(listStart, svg.find('"', listStart) - listStart));
    const std::string title = svg.substr(tagEnd, svg.find("</title>", tagEnd) - tagEnd);
    if (curves.empty() || title != lastTitle) curves.emplace_back();
    lastTitle = title;
    for (std::string point; points >> point;) {
      if (point.front() == 'M') curves.back().push_back(0);
      if (point.find(',') != std::string::npos) ++curves.back().back();
    }
  }
  return curves;
}

// The number of points of each curve, in order.
std::vector<std::size_t> curvePoints(const std::string& svg) {
  std::vector<std::size_t> points;
  for (const std::vector<std::size_t>& pieces : curvePieces(svg)) {
    std::size_t sum = 0;
    for (const std::size_t piece : pieces)
      sum += piece;
    points.push_back(sum);
  }
  return points;
}

// Whether some label of the picture is a whole number times a power of ten in 400..409,
// such as ">-12e+401</text>".
bool hasLabelNearTenToThe400(const std::string& svg) {
  const std::string end = "</text>";
  for (auto at = svg.find(end); at != std::string::npos; at = svg.find(end, at + 1)) {
    const std::size_t open = svg.rfind('>', at);
    if (open == std::string::npos) continue;
    std::string label = svg.substr(open + 1, at - open - 1);
    if (!label.empty() && label.front() == '-') label.erase(0, 1);
    const std::size_t marker = label.find("e+40");
    const bool digitsBefore = marker != std::string::npos && marker > 0 &&
                              label.find_first_not_of("0123456789") == marker;
    if (digitsBefore && label.size() == marker + 5 &&
        std::isdigit(static_cast<unsigned char>(label.back())))
      return true;
  }
  return false;
}

// Two result files of three steps each; the first row is all zeros, as in every table.
const std::string kHead =
    "Data from melt01.out\r\nActivities \r\n"
    "  STEP          VAP            WT%VAP         P(tot)       ASiO2          AMgO      \r\n";
const std::string kStepValues = " 10.000000000e-01    20.000000000e-01    30.000000000e-01   ";
const std::string kZero = "00.000000000e-01";

std::string row(char step, const std::string& sio2, const std::string& mgo) {
  return std::string(" ") + step + "    " + kStepValues + " " + sio2 + "    " + mgo + "   \r\n";
}

const std::string kRows = row('1', kZero, kZero) +
                          row('2', "25.220000000e-04", "12.500000000e-02") +
                          row('3', "30.000000000e-04", "11.000000000e-02") +
                          row('1', "31.000000000e-04", "10.000000000e-02") +
                          row('2', "32.000000000e-04", "90.000000000e-03") +
                          row('3', "33.000000000e-04", "80.000000000e-03");

#ifndef _WIN32
// True when the document is well-formed XML; skips the check where xmllint is missing.
bool wellFormed(const std::string& svg) {
  if (std::system("command -v xmllint > /dev/null 2>&1") != 0) return true;
  const fs::path file =
      fs::temp_directory_path() / ("durno-plot-" + std::to_string(std::random_device()()) + ".svg");
  std::ofstream(file, std::ios::binary) << svg;
  const std::string lint = "xmllint --noout '" + file.string() + "' 2> /dev/null";
  const bool formed = std::system(lint.c_str()) == 0;
  fs::remove(file);
  return formed;
}
#endif

TEST_F(PlotTable, AKnownTableGivesItsCurvesLegendAndFileStarts) {
  const std::string svg = plot(kHead + kRows);
  ASSERT_EQ(svg.rfind("<?xml", 0), 0u) << svg;
  // Positive values give a log axis, which leaves the first row's zeros out.
  EXPECT_EQ(curvePoints(svg), (std::vector<std::size_t>{5, 5}));
  EXPECT_NE(svg.find(">ASiO2</text>"), std::string::npos);
  EXPECT_NE(svg.find(">AMgO</text>"), std::string::npos);
  EXPECT_EQ(count(svg, "class=\"file-start\""), 1u);
  EXPECT_NE(svg.find(">Activities</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Data from melt01.out  (log scale)</text>"), std::string::npos);
  EXPECT_NE(svg.find(">0.001</text>"), std::string::npos) << "a round tick on the y axis";

  // One negative value makes the axis linear, where the zeros are drawn.
  const std::string linear = plot(kHead + kRows + row('4', "-10.000000000e-04", kZero));
  EXPECT_EQ(curvePoints(linear), (std::vector<std::size_t>{7, 7}));
  EXPECT_EQ(linear.find("(log scale)"), std::string::npos);
}

// Two result files as the writer lays them out: a key title of 15 characters, holding
// blanks, is followed by the next with no blank between; a file's first row holds the
// last values of the file before it (the table's first row holds none); PPFeO no step gave.
const std::string kTwoFiles =
    "Data from melt01.out\r\nActivities \r\n"
    "  STEP          VAP            WT%VAP         P(tot)       "
    "ASiO2          TEMPERATURE (K)PPFeO          \r\n"
    " 1 0 0 0 0 0 0\r\n"
    " 2 0.1 1 0.5 0.01 2000 0\r\n"
    " 3 0.2 2 0.5 0.02 2100 0\r\n"
    " 1 0.3 3 0.5 0.03 2200 0\r\n"
    " 2 0.1 1 0.5 0.05 1900 0\r\n"
    " 3 0.2 2 0.5 -0.06 2000 0\r\n";

// Each case: the choices, the points of each piece of each curve, and texts the picture
// holds. No line joins two files; a column without a value is named, not drawn.
TEST_F(PlotTable, EachFileIsAPieceOfItsOwnAgainstTheRowOrAnyColumn) {
  using Scale = durno::YScale;
  struct Case {
    durno::PlotChoices choices;
    std::vector<std::vector<std::size_t>> pieces;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {{},
       {{4, 2}, {4, 2}},
       {">row (steps of", ">file 2</text>", "No value in these, not drawn:", "PPFeO</text>",
        ">Activities</text>"}},
      {{"temperature (k)", {}, Scale::Linear},
       {{3, 2}},
       {"class=\"x-name\" text-anchor=\"middle\">TEMPERATURE (K)<", ">file 1</text>",
        ">file 2</text>", ">2200</text>"}},
      {{"WT%VAP", {"asio2"}, Scale::Logarithmic}, {{3, 1}}, {">WT%VAP<", "(log scale)"}},
  };
  for (const Case& test : cases) {
    const std::string svg = plot(kTwoFiles, test.choices);
    EXPECT_EQ(curvePieces(svg), test.pieces) << test.choices.x << "\n" << svg;
    for (const std::string& text : test.texts)
      EXPECT_NE(svg.find(text), std::string::npos) << test.choices.x << ": " << text;
  }
  EXPECT_EQ(count(plot(kTwoFiles), "stroke-width=\"2\""), 2u) << "PPFeO has no legend entry";
  EXPECT_EQ(plot(kTwoFiles, {"x", {}, Scale::Automatic}).rfind("\"t.dat\" has no column \"x\"", 0),
            0u);
  EXPECT_EQ(plot(kTwoFiles, {"", {"PPFeO"}, Scale::Automatic}),
            "nothing to plot: \"t.dat\" has no values in its key columns");
}

// The CSV and TSV tables: the file column marks each result file's start and names the
// first; an empty field is a value the step did not give; a quoted name keeps its comma.
TEST_F(PlotTable, CsvAndTsvTablesGiveTheirKeyCurvesFileStartsAndFirstFile) {
  const std::string csv =
      "file,step,VAP,WTVAP,PTOT,ASiO2,\"A,MgO\"\r\n"
      "\"a,1.out\",1,0.1,1,0.5,0.01,0.02\r\n"
      "\"a,1.out\",2,0.2,2,0.5,0.02,\r\n"
      "b.out,1,0.1,1,0.5,0.03,0.04\r\n"
      "c.out,1,0.1,1,0.5,0.04,0.05\r\n";
  const std::string svg = plot(csv);
  EXPECT_EQ(curvePoints(svg), (std::vector<std::size_t>{4, 3})) << svg;
  EXPECT_EQ(count(svg, "class=\"file-start\""), 2u);
  EXPECT_NE(svg.find(">A,MgO</text>"), std::string::npos);
  EXPECT_NE(svg.find("Data from a,1.out and 2 more files"), std::string::npos);
  EXPECT_NE(svg.find(">a,1.out</text>"), std::string::npos) << "the first file named";
  EXPECT_NE(svg.find("class=\"y-name\" transform=\"translate(22,400.0) rotate(-90)\" "
                     "text-anchor=\"middle\">Activities<"),
            std::string::npos);

  const std::string tsv =
      "file\tstep\tVAP\tWTVAP\tPTOT\tASiO2\r\na.out\t1\t0.1\t1\t0.5\t0.01\r\n"
      "b.out\t1\t0.1\t1\t0.5\t0.03\r\nc.out\t1\t0.1\t1\t0.5\t\r\n";
  EXPECT_EQ(count(plot(tsv), "class=\"file-start\""), 2u);
  EXPECT_NE(plot("file,step,VAP\r\nx,1,2\r\n").find("its header does not begin"),
            std::string::npos);
}

// The table is read as every file is: its line ends, a byte 26, a pipe read once. Names are
// code page 437 bytes, shown as the screen shows them, so the document is always UTF-8.
TEST_F(PlotTable, TablesAreReadOnceThroughTheFileLayerAndTheirNamesShownAsCodePage437) {
  std::string crOnly = kHead + kRows;
  std::erase(crOnly, '\n');
  EXPECT_EQ(curvePoints(plot(crOnly)), (std::vector<std::size_t>{5, 5}));
  EXPECT_EQ(curvePoints(plot(kHead + kRows + "\x1a garbage after the end\r\n")),
            (std::vector<std::size_t>{5, 5}));
  memory.putPipe("pipe", kHead + kRows);
  ASSERT_EQ(durno::plotTable(files, "pipe", "p.svg").end, durno::PlotEnd::Drawn);
  EXPECT_EQ(curvePoints(*memory.contents("p.svg")), (std::vector<std::size_t>{5, 5}));

  std::string odd = kHead;
  odd.replace(odd.find("AMgO"), 4, "A<&\">\x82\xf8\x80\x80\xed\xa0\x80\xef\xbf\xbe\xc0\xaf");
  odd.replace(odd.find("melt01"), 6, "r\xff\x01");
  const std::string svg = plot(odd + kRows);
  EXPECT_NE(svg.find(">A&lt;&amp;&quot;&gt;\u00e9\u00b0\u00c7\u00c7\u03c6\u00e1\u00c7\u2229"
                     "\u2510\u255b\u2514\u00bb</text>"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("Data from r\u00a0\u263a.out"), std::string::npos);
#ifndef _WIN32
  EXPECT_TRUE(wellFormed(svg));
#endif
}

// Each case: the table, the start of the reason it is not drawn.
TEST_F(PlotTable, WhatIsNotATableOfNumbersIsRefusedWithTheLineThatSaysSo) {
  std::string wide = "Data from x\r\nActivities \r\n  STEP VAP WT%VAP P(tot)";
  for (int column = 0; column < 51; ++column)
    wide += " A" + std::to_string(column);
  const std::string stepsOnly =
      "Data from melt01.out\r\n  STEP          VAP            WT%VAP         P(tot)       "
      "ZSiO2          ZMgO      \r\n 1    " +
      kStepValues + "\r\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {wide + "\r\n", "\"t.dat\" is not a DURNO table: its title line names 51 compound columns"},
      {stepsOnly, "nothing to plot: \"t.dat\" has no compound values"},
      {"Data from x\r\nActivities \r\nno title\r\n",
       "\"t.dat\" is not a DURNO table: no title line"},
      {kHead + row('1', "1-2-3", kZero), "\"t.dat\": line 4 of the table holds \"1-2-3\""},
      {kHead + kRows + row('4', kZero, "..5.."), "\"t.dat\": line 10 of the table holds \"..5..\""},
      {kHead + row('1', "1e", kZero), "\"t.dat\": line 4 of the table holds \"1e\""},
      {kHead + row('1', "1e+99999", kZero), "\"t.dat\": line 4 of the table holds \"1e+99999\""},
      {kHead + row('1', kZero, kZero) + " 2 1 1 1 1\r\n",
       "\"t.dat\": line 5 of the table holds 5 "},
  };
  for (const auto& [table, reason] : cases) {
    const durno::PlotOutcome outcome = draw(table);
    EXPECT_EQ(outcome.end, durno::PlotEnd::NotPlottable) << reason;
    EXPECT_EQ(outcome.reason.rfind(reason, 0), 0u) << outcome.reason;
    EXPECT_FALSE(memory.exists("t.svg")) << reason;
  }
  // Values beyond a double's range are drawn, and labelled with their powers of ten.
  const std::string huge = plot(kHead + row('1', "-10.000000000e+400", "20.000000000e+400"));
  EXPECT_EQ(huge.find("inf"), std::string::npos) << huge;
  EXPECT_TRUE(hasLabelNearTenToThe400(huge)) << huge;
}

TEST_F(PlotTable, APictureIsWrittenWholeOrTheOldOneStays) {
  std::string big = "Data from melt01.out\r\nActivities \r\n  STEP VAP WT%VAP P(tot)";
  for (int column = 0; column < 50; ++column)
    big.append(" A").append(std::to_string(column));
  big += "\r\n";
  for (int step = 1; step <= 2000; ++step) {
    big.append(" ").append(std::to_string(step)).append(kStepValues);
    for (int column = 0; column < 50; ++column)
      big.append(" ").append(std::to_string(10 + (step * 7 + column) % 89)).append(".0e-03");
    big += "\r\n";
  }
  memory.put("t.svg", kOldPicture);
  memory.stopAfterFirstBlock = true;
  const durno::PlotOutcome stopped = draw(big);
  EXPECT_EQ(stopped.end, durno::PlotEnd::Stopped);
  EXPECT_EQ(stopped.stopSignal, SIGTERM);
  EXPECT_EQ(memory.contents("t.svg"), kOldPicture);
  EXPECT_FALSE(memory.exists("t.svg.new"));

  memory.stop = 0;
  memory.stopAfterFirstBlock = false;
  memory.failWritesAfter("t.svg", 100000, "No space left on device");
  const durno::PlotOutcome full = draw(big);
  EXPECT_EQ(full.end, durno::PlotEnd::NotWritten);
  EXPECT_EQ(full.reason, "picture could not be written to \"t.svg\": No space left on device");
  EXPECT_EQ(memory.contents("t.svg"), kOldPicture);
  EXPECT_FALSE(memory.exists("t.svg.new"));
}

// Rows come in one pass, their count unknown: a column holds one row, then two, four, ...,
// and every column keeps its extremes, so a single spike or dip among many rows survives.
TEST(CurveThinner, EachPixelColumnKeepsItsExtremesSoASingleSpikeSurvives) {
  constexpr std::size_t kRows = 100000, kColumns = 870;
  durno::CurveThinner thinner(kColumns);
  for (std::size_t row = 0; row < kRows; ++row) {
    thinner.add(row, row == 54321 ? 1e3L : row == 7000 ? 0 : 1.0L + (row % 7) * 1e-3L);
  }
  const auto& columns = thinner.columns();
  ASSERT_LE(columns.size(), kColumns);
  ASSERT_GT(columns.size(), kColumns / 2);
  EXPECT_EQ(thinner.rowsPerColumn(), 128u);
  std::size_t spikes = 0, dips = 0;
  for (std::size_t at = 0; at < columns.size(); ++at) {
    EXPECT_EQ(columns[at].column, at);
    EXPECT_LE(columns[at].minRow / 128, at);
    spikes += columns[at].max == 1e3L && columns[at].maxRow == 54321;
    dips += columns[at].min == 0 && columns[at].minRow == 7000;
    // A log axis draws the smallest positive value of a column holding a zero.
    if (columns[at].min == 0) {
      EXPECT_EQ(columns[at].minPositive, 1.0L);
    }
  }
  EXPECT_EQ(spikes, 1u);
  EXPECT_EQ(dips, 1u);

  // A piece (a result file) begun inside a column is kept apart; past a few pieces in one
  // column, later ones join its last, so files of three rows each keep memory bounded.
  durno::CurveThinner pieces(kColumns);
  for (std::size_t row = 0; row < kRows; ++row)
    pieces.add(row, 1.0L, 0, row / 3);
  EXPECT_LE(pieces.columns().size(), durno::CurveThinner::kMostPiecesPerColumn * kColumns);
  EXPECT_GT(pieces.columns().size(), 3 * kColumns / 2);
  std::size_t lastPiece = 0;
  for (const durno::ColumnExtremes& column : pieces.columns()) {
    EXPECT_GE(column.piece, lastPiece);
    lastPiece = column.piece;
  }
}

}  // namespace
