// Speed of the conversions a run repeats for every value of every result file: the parse
// of a value text and the value-mask field. The C library's strtold and snprintf run in
// the same binary for comparison.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/decimal_form.hpp"
#include "convert/mask_formatter.hpp"
#include "convert/number_parser.hpp"
#include "convert/plain_number.hpp"

namespace {

constexpr const char* kValueText = "1.2345E-03";

void BM_ParseNumber(benchmark::State& state) {
  const std::string text = kValueText;
  for (auto _ : state) {
    benchmark::DoNotOptimize(durno::parseNumber(text));
  }
}
BENCHMARK(BM_ParseNumber);

void BM_Strtold(benchmark::State& state) {
  const std::string text = kValueText;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strtold(text.c_str(), nullptr));
  }
}
BENCHMARK(BM_Strtold);

// A spread of result-file values, so the branches do not learn one input.
std::vector<long double> typicalValues() {
  std::vector<long double> values;
  for (const char* text : {"1.2345E-03", "0.98765432109876", "-3.2E-05", "1234.5678", "1E-100",
                           "6.02214076E+23", "0.5", "-42"}) {
    values.push_back(durno::parseNumber(text));
  }
  return values;
}

void BM_ValueMaskAppend(benchmark::State& state) {
  const durno::MaskFormatter valueMask(" 00.000000000e+00   ");
  const std::vector<long double> values = typicalValues();
  std::string field;
  std::size_t next = 0;
  for (auto _ : state) {
    field.clear();
    valueMask.appendTo(field, values[next]);
    next = (next + 1) % values.size();
    benchmark::DoNotOptimize(field.data());
  }
}
BENCHMARK(BM_ValueMaskAppend);

void BM_ValueMaskAppendOneValue(benchmark::State& state) {
  const durno::MaskFormatter valueMask(" 00.000000000e+00   ");
  const long double value = durno::parseNumber(kValueText);
  std::string field;
  for (auto _ : state) {
    field.clear();
    valueMask.appendTo(field, value);
    benchmark::DoNotOptimize(field.data());
  }
}
BENCHMARK(BM_ValueMaskAppendOneValue);

// The 18-digit decimal form alone, the part every number-to-text conversion shares.
void BM_DecimalForm(benchmark::State& state) {
  const std::vector<long double> values = typicalValues();
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(durno::decimalForm(durno::decimalInteger(values[next])));
    next = (next + 1) % values.size();
  }
}
BENCHMARK(BM_DecimalForm);

void BM_StepMaskAppend(benchmark::State& state) {
  const durno::MaskFormatter stepMask(" #####    ");
  std::string field;
  long double step = 0;
  for (auto _ : state) {
    field.clear();
    stepMask.appendTo(field, step);
    step = step < 99999 ? step + 1 : 0;
    benchmark::DoNotOptimize(field.data());
  }
}
BENCHMARK(BM_StepMaskAppend);

void BM_SnprintfExponent(benchmark::State& state) {
  const std::vector<long double> values = typicalValues();
  char buffer[64];
  std::size_t next = 0;
  for (auto _ : state) {
    std::snprintf(buffer, sizeof buffer, "%.9Le", values[next]);
    next = (next + 1) % values.size();
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_SnprintfExponent);

void BM_PlainNumberText(benchmark::State& state) {
  const std::vector<long double> values = typicalValues();
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(durno::plainNumberText(values[next]));
    next = (next + 1) % values.size();
  }
}
BENCHMARK(BM_PlainNumberText);

}  // namespace
