// Argument lines as macros type them, with variables and arithmetic, through the expansion and
// the value parser: the dispatcher as a whole must reach 200,000 lines per second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "console/value_parser.h"
#include "macro/preprocess.h"
#include "macro/variables.h"
#include "platform/scripted_host.h"

namespace {

constexpr int kLines = 100000;

std::vector<std::string> typicalLines() {
  const char* shapes[] = {
      "&X &Y",   "&X+10 &Y-5", "(&X &Y) + (&DX &DY)", "(0 0 10 0 10 10 0 10) * &S + (&X &Y)",
      "-&X 2.5", "&X*2 &Y/4",  "12.5 -7.25",          "[&X + 1.5] * 2 {&Y - 0.5}",
  };
  std::vector<std::string> lines;
  lines.reserve(kLines);
  for (int i = 0; i < kLines; ++i) lines.emplace_back(shapes[i % 8]);
  return lines;
}

void BM_ArgumentLines(benchmark::State& state) {
  lav::macro::Refusals refusals;
  lav::macro::SymbolTable symbols;
  lav::macro::Assign(symbols, refusals, "&X", "100");
  lav::macro::Assign(symbols, refusals, "&Y", "-250.5");
  lav::macro::Assign(symbols, refusals, "&DX", "0.125");
  lav::macro::Assign(symbols, refusals, "&DY", "3");
  lav::macro::Assign(symbols, refusals, "&S", "2");
  const auto lines = typicalLines();
  std::vector<double> values;
  long total = 0;
  for (auto _ : state) {
    for (const auto& line : lines) {
      total += lav::macro::ParseValues(line, values, symbols, refusals);
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kLines,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ArgumentLines)->Unit(benchmark::kMillisecond);

void BM_AssignmentLines(benchmark::State& state) {
  lav::macro::Refusals refusals;
  lav::macro::SymbolTable symbols;
  std::vector<double> values;
  long total = 0;
  for (auto _ : state) {
    for (int i = 0; i < kLines; ++i) {
      total +=
          lav::macro::ParseValues(i % 2 ? "&I=&I+1" : "&J = &I * 2", values, symbols, refusals);
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kLines,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AssignmentLines)->Unit(benchmark::kMillisecond);

}  // namespace
