// In-process speed of the per-line procedure: a corpus of result-file lines in memory,
// scanned with the 50-key compound list, rows handed to a sink that only counts them, so
// the figure is the scanner's own cost without formatting, disk or pipe.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "extract/line_match.hpp"
#include "extract/scanner.hpp"

namespace durno {
namespace {

class CountingSink final : public ScanSink {
 public:
  void stepReached(long double) override { ++steps; }
  void rowFinished(const ScannerState&) override { ++rows; }
  long long steps = 0;
  long long rows = 0;
};

const std::vector<std::string> kOxides = {"SiO2", "MgO",   "FeO",  "Fe2O3", "Fe3O4", "CaO", "Al2O3",
                                          "TiO2", "Ti2O3", "Na2O", "K2O",   "Cr2O3", "MnO", "NiO",
                                          "CoO",  "P2O5",  "ZrO2", "ThO2",  "UO2",   "Li2O"};
const std::vector<std::string> kGases = {"SiO", "SiO2", "Si",  "O2",  "O",    "Mg",   "MgO",  "Fe",
                                         "FeO", "Na",   "Na2", "NaO", "Na2O", "K",    "K2",   "KO",
                                         "K2O", "Ca",   "CaO", "Al",  "AlO",  "Al2O", "AlO2", "Ti",
                                         "TiO", "TiO2", "Cr",  "CrO", "Mn",   "Ni"};

std::vector<std::string> benchmarkKeys() {
  std::vector<std::string> keys;
  for (const auto& oxide : kOxides)
    keys.push_back("A" + oxide + " ");
  for (const auto& gas : kGases)
    keys.push_back("P" + gas + " ");
  return keys;
}

// One step block shaped like a ZEPRO step: a marker, step values, 60 oxide lines, 60 gas
// lines and about 45 lines that no key begins.
std::vector<std::string> stepBlock(int step) {
  std::vector<std::string> lines;
  lines.push_back(" STEP NUMBER " + std::to_string(step));
  lines.push_back(" TEMPERATURE (K) =   2012.53");
  lines.push_back("");
  lines.push_back("  VAP = 1.2345E-03");
  lines.push_back("WTVAP =  0.123456");
  lines.push_back("    PTOT = 6.31e-04");
  for (int i = 0; i < 8; ++i)
    lines.push_back(" ITERATIONS =  12   MASS BALANCE ERROR = 1.2E-12");
  for (const auto& oxide : kOxides) {
    lines.push_back("   A" + oxide + " =  3.1416E-02");
    lines.push_back(" G" + oxide + " = 1.234E+00");
    lines.push_back("  F" + oxide + "  =   8.80826E-05");
    lines.push_back("   " + oxide + "    WT% =  12.3456");
  }
  for (const auto& gas : kGases) {
    lines.push_back("    P" + gas + " = 2.7183E-07");
    lines.push_back(" X" + gas + " =  1.20e-04");
  }
  for (int i = 0; i < 10; ++i) {
    lines.push_back("   Si  ATOMS VAPORIZED = 1.2345E-04   LOG K = -1.234e+01");
  }
  return lines;
}

void BM_ScanSteps(benchmark::State& benchState) {
  std::vector<std::string> corpus;
  for (int step = 1; step <= 100; ++step) {
    for (auto& line : stepBlock(step))
      corpus.push_back(std::move(line));
  }
  std::size_t bytes = 0;
  for (const auto& line : corpus)
    bytes += line.size() + 2;  // with the CR LF read past

  const std::vector<std::string> keys = benchmarkKeys();
  ScannerState state;
  CountingSink sink;
  Scanner scanner(state, Quantity::fromCode("A"), keys, sink);
  for (auto _ : benchState) {
    for (const auto& line : corpus)
      scanner.scanLine(line);
  }
  benchmark::DoNotOptimize(sink.rows);
  benchState.SetBytesProcessed(static_cast<std::int64_t>(benchState.iterations() * bytes));
  benchState.counters["rows/s"] = benchmark::Counter(
      static_cast<double>(benchState.iterations()) * 100, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanSteps)->Unit(benchmark::kMillisecond);

void BM_ValueCut(benchmark::State& benchState) {
  const std::string line = "ASiO2  =   8.80826E-05";
  std::string scratch;
  for (auto _ : benchState) {
    benchmark::DoNotOptimize(cutValue(line, "ASiO2 ", scratch));
  }
}
BENCHMARK(BM_ValueCut);

}  // namespace
}  // namespace durno

BENCHMARK_MAIN();
