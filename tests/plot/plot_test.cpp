// The picture of a table, drawn from small tables written here: its shape is checked in the
// SVG text, its well-formedness by xmllint where that is installed.

#include "app/plot.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class PlotTable : public ::testing::Test {
 protected:
  fs::path folder;

  void SetUp() override {
    folder = fs::temp_directory_path() / ("durno-plot-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  // Plots the table text; the picture's text, or the reason it was not drawn.
  std::string plot(const std::string& table) {
    std::ofstream(folder / "t.dat", std::ios::binary) << table;
    const durno::PlotOutcome outcome =
        durno::plotTable((folder / "t.dat").string(), (folder / "t.svg").string());
    if (outcome.end != durno::PlotEnd::Drawn) return outcome.reason;
    std::ifstream in(folder / "t.svg", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t found = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

// The number of points of each curve, in order.
std::vector<std::size_t> curvePoints(const std::string& svg) {
  std::vector<std::size_t> points;
  const std::regex curve(R"re(class="curve"[^>]* points="([^"]*)")re");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), curve); it != std::sregex_iterator();
       ++it) {
    const std::string list = (*it)[1].str();
    points.push_back(list.empty() ? 0 : count(list, " ") + 1);
  }
  return points;
}

// Two result files of three steps each; the first row is all zeros, as in every table.
const std::string kHead =
    "Data from melt01.out\r\nActivities \r\n"
    "  STEP          VAP            WT%VAP         P(tot)       ASiO2          AMgO      \r\n";
const std::string kStepValues = " 10.000000000e-01    20.000000000e-01    30.000000000e-01   ";

std::string row(char step, const std::string& sio2, const std::string& mgo) {
  return std::string(" ") + step + "    " + kStepValues + " " + sio2 + "    " + mgo + "   \r\n";
}

TEST_F(PlotTable, AKnownTableGivesItsCurvesLegendAndFileStarts) {
  const std::string zero = "00.000000000e-01";
  const std::string rows = row('1', zero, zero) + row('2', "25.220000000e-04", "12.500000000e-02") +
                           row('3', "30.000000000e-04", "11.000000000e-02") +
                           row('1', "31.000000000e-04", "10.000000000e-02") +
                           row('2', "32.000000000e-04", "90.000000000e-03") +
                           row('3', "33.000000000e-04", "80.000000000e-03");
  const std::string svg = plot(kHead + rows);
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
  const std::string linear = plot(kHead + rows + row('4', "-10.000000000e-04", zero));
  EXPECT_EQ(curvePoints(linear), (std::vector<std::size_t>{7, 7}));
  EXPECT_EQ(linear.find("(log scale)"), std::string::npos);

#ifndef _WIN32
  if (std::system("command -v xmllint > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint is not installed: well-formedness not checked";
  }
  // A name with XML specials and bytes that are not UTF-8 must not break the document.
  std::string odd = kHead;
  odd.replace(odd.find("AMgO"), 4, "A<&\">\xff");
  plot(odd + rows);
  const std::string lint = "xmllint --noout '" + (folder / "t.svg").string() + "'";
  EXPECT_EQ(std::system(lint.c_str()), 0);
#endif
}

TEST(CurveThinner, EachPixelColumnKeepsItsExtremesSoASingleSpikeSurvives) {
  constexpr std::size_t kRows = 100000, kColumns = 870;
  durno::CurveThinner thinner(kRows, kColumns);
  for (std::size_t row = 0; row < kRows; ++row) {
    thinner.add(row, row == 54321 ? 1e3L : row == 7000 ? 0 : 1.0L + (row % 7) * 1e-3L);
  }
  const auto& columns = thinner.finish();
  ASSERT_EQ(columns.size(), kColumns);
  std::size_t spikes = 0, dips = 0;
  for (std::size_t at = 0; at < columns.size(); ++at) {
    EXPECT_EQ(columns[at].column, at);
    spikes += columns[at].max == 1e3L && columns[at].maxRow == 54321;
    dips += columns[at].min == 0 && columns[at].minRow == 7000;
    // A log axis draws the smallest positive value of a column holding a zero.
    if (columns[at].min == 0) {
      EXPECT_EQ(columns[at].minPositive, 1.0L);
    }
  }
  EXPECT_EQ(spikes, 1u);
  EXPECT_EQ(dips, 1u);
}

}  // namespace
